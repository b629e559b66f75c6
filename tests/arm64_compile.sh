#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles every source of the platform core, the headless backend, the test
# controls and the media layer for arm64, warnings as errors: their x86
# vector code must stay behind its guards, with the plain loops in its place.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cxx=aarch64-linux-gnu-g++
command -v "$cxx" >/dev/null || { echo "arm64_compile: $cxx missing (scripts/deps installs it)"; exit 1; }
# Highway's headers are the same for every processor: Debian's, through a
# directory of their own so that no other header of the desktop's comes along.
hwy="$(mktemp -d)"
trap 'rm -rf "$hwy"' EXIT
ln -s /usr/include/hwy "$hwy/hwy"
failed=0
count=0
for f in "$root"/platform/src/{user,kernel,gdi,ddraw,dinput,dsound,winmm,cpu,pixel,presentation,backend/headless,testing}/*.cpp \
         "$root"/src/media/*.cpp; do
  count=$((count + 1))
  if ! "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -DHWY_COMPILE_ONLY_STATIC=1 -I"$hwy" -I"$root/platform/src" -I"$root/platform/include" \
       -I"$root/src" -I/usr/include/freetype2 "$f"; then
    echo "arm64_compile: $f does not compile for arm64"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "arm64_compile: $count sources compile for arm64"
exit "$failed"
