#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tests/web/porter_build.sh BUILD_WEB: what a porter does. Installs the web
# build (scripts/web --build made it) into a fresh prefix, builds examples/
# against that prefix alone with emscripten's toolchain file, and puts the
# program (sprite.js, .wasm, .data) beside the page in BUILD_WEB/web, where the
# browser tests start it as index.html?program=sprite.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
export NODE_PATH=/usr/share/nodejs
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; echo "porter: the web build does not install" >&2; exit 1; }
cp -r "$root/examples" "$work/example"
emcmake cmake -S "$work/example" -B "$work/example-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_FIND_ROOT_PATH="$work/prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$work/example.log" 2>&1 &&
  cmake --build "$work/example-build" >>"$work/example.log" 2>&1 ||
  { cat "$work/example.log" >&2; echo "porter: examples/ does not build for the web against the installed package" >&2; exit 1; }
grep -q "Rallex_DIR:PATH=$work/prefix/" "$work/example-build/CMakeCache.txt" ||
  { echo "porter: the example found another Rallex" >&2; exit 1; }
cp "$work/example-build"/sprite.{js,wasm,data} "$build/web/"
echo "porter: examples/ built for the web against the installed package"
