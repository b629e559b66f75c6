#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# web/build_gallery.sh BUILD_WEB: the examples for the browser, built as a
# porter builds a program. Installs the web build (BUILD_WEB, which
# scripts/web made) into a prefix, builds a copy of examples/ against that
# prefix alone with emscripten's toolchain file, and puts the programs
# (NAME.js, .wasm, .data) beside the page in BUILD_WEB/web, where
# index.html?program=NAME starts them; then writes the gallery page there
# (web/gallery.mjs). The prefix and the build stay in BUILD_WEB/gallery, so a
# second run builds only what changed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
export NODE_PATH=/usr/share/nodejs
work="$build/gallery"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; echo "gallery: the web build does not install" >&2; exit 1; }
# A copy outside the source tree, with the files' times kept so that an
# unchanged example is not built again.
rm -rf "$work/examples"
cp -a "$root/examples" "$work/examples"
if [ ! -f "$work/build/build.ninja" ]; then
  # No build type, as a porter's first build: the library comes optimised from
  # the prefix, and the link skips the whole-program optimisation that would
  # take minutes for the fourteen programs.
  emcmake cmake -S "$work/examples" -B "$work/build" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_FIND_ROOT_PATH="$work/prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; echo "gallery: examples/ does not configure for the web" >&2; exit 1; }
fi
grep -q "Rallex_DIR:PATH=$work/prefix/" "$work/build/CMakeCache.txt" ||
  { echo "gallery: the examples found another Rallex" >&2; exit 1; }
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; echo "gallery: examples/ does not build for the web against the installed package" >&2; exit 1; }
count=0
for program in "$work"/build/*.wasm; do
  name="$(basename "$program" .wasm)"
  cp "$work/build/$name.js" "$work/build/$name.wasm" "$build/web/"
  # A program that reads no file has no .data.
  if [ -f "$work/build/$name.data" ]; then cp "$work/build/$name.data" "$build/web/"; fi
  count=$((count + 1))
done
node "$root/web/gallery.mjs" "$root/examples" "$build/web"
echo "gallery: $count examples built for the web against the installed package" >&2
