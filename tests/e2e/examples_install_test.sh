#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every program of the gallery builds for the desktop against the installed
# package alone: the build is installed into a staging prefix, and a copy of
# examples/ outside this tree is configured with find_package against that
# prefix and built whole (install_test.sh runs the sprite example so built).
source "$(dirname "$0")/lib.sh"
[ -f "$BUILD_DIR/cmake_install.cmake" ] || fail "no configured build in $BUILD_DIR"
prefix="$WORK/prefix"
cmake --install "$BUILD_DIR" --prefix "$prefix" --component dev >"$WORK/install.log" 2>&1 ||
  fail "install failed: $(cat "$WORK/install.log")"
cp -r "$E2E_ROOT/examples" "$WORK/examples"
cmake -S "$WORK/examples" -B "$WORK/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF \
  >"$WORK/build.log" 2>&1 || fail "the examples do not configure: $(tail -n 30 "$WORK/build.log")"
grep -qx "Rallex_DIR:PATH=$prefix/lib/cmake/Rallex" "$WORK/build/CMakeCache.txt" ||
  fail "the examples found another Rallex: $(grep Rallex_DIR "$WORK/build/CMakeCache.txt")"
cmake --build "$WORK/build" >>"$WORK/build.log" 2>&1 || fail "the examples do not build: $(tail -n 30 "$WORK/build.log")"
# Every example of the gallery (each has a golden script) is a program now.
count=0
for script in "$E2E_ROOT"/examples/golden/*.script; do
  name="$(basename "$script" .script)"
  [ -x "$WORK/build/$name" ] || fail "no $name was built"
  count=$((count + 1))
done
[ "$count" -ge 10 ] || fail "only $count examples"
echo "ok: the $count examples build for the desktop against the installed package"
