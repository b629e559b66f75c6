#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tests/arm64_test.sh [BUILD_DIR]: cross-builds the platform and media layers
# and their unit tests for arm64 on the headless backend (Debian's cross
# compiler and arm64 libraries, cmake/toolchain-arm64.cmake), then runs the
# unit tests under qemu-aarch64 at each processor level of the arm64 build.
# Exits non-zero when the build or any test fails.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-arm64}"
. "$root/tests/cross_levels.sh"

"$root/scripts/deps" --arm64 || exit 1

# A debug build (assertions on) at -O1: the code runs under an emulator, so
# -O0 would cost more in the runs than -O1 costs in the build.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-arm64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 -DCMAKE_C_FLAGS_DEBUG=-O1 \
    -DRALLEX_WERROR=ON -DRALLEX_HEADLESS_ONLY=ON -DRALLEX_BENCH=OFF >&2 || exit 1
fi
cmake --build "$dir" -j "$(nproc)" --target platform_tests media_tests >&2 || exit 1

# The processor qemu plays at each level: SVE needs qemu's largest model
# ("max" has SVE2), every other level runs on it with SVE switched off, the
# features of an arm64 processor without SVE such as a Raspberry Pi's.
qemu_cpu_for() {
  case "$1" in
    sve*) echo max ;;
    *) echo max,sve=off ;;
  esac
}
run_at_level() {
  QEMU_CPU="$(qemu_cpu_for "$1")" RALLEX_CPU="$1" cross_ctest "$dir" --timeout 300
}
cross_exclude_midi "no FluidSynth for arm64 here: its library would bring about 80 more arm64 packages"
run_cross_levels arm64 "$dir" run_at_level
