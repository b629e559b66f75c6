#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tests/arm64_test.sh [BUILD_DIR]: cross-builds the platform and media layers
# and their unit tests for arm64 on the headless backend (Debian's cross
# compiler and arm64 libraries, cmake/toolchain-arm64.cmake), then runs the
# unit tests under qemu-aarch64 at each processor level of the arm64 build, the
# vector loops at more of SVE's vector lengths, and a processor without SVE or
# AES. Exits non-zero when the build or any test fails.
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

# The processor qemu plays at each level: SVE and SVE2 need qemu's largest
# model ("max", with 512-bit vectors unless told otherwise), every other level
# runs on it with SVE switched off, the features of an arm64 processor without
# SVE such as a Raspberry Pi's.
qemu_cpu_for() {
  case "$1" in
    sve*) echo max ;;
    *) echo max,sve=off ;;
  esac
}
run_at_level() {
  QEMU_CPU="$(qemu_cpu_for "$1")" RALLEX_CPU="$1" cross_ctest "$dir" --timeout 300
}

# run_program QEMU_CPU PROGRAM [ARGS...]: one test program of the build under
# qemu, with the environment's RALLEX_CPU, in the folder CTest runs it in;
# standard error to $dir/stderr.
run_program() {
  local cpu="$1" program="$2"
  shift 2
  (cd "$dir/tests" && QEMU_CPU="$cpu" qemu-aarch64 -L /usr/aarch64-linux-gnu "./$program" --gtest_brief=1 "$@") \
    > "$dir/stdout" 2> "$dir/stderr"
}
status=0
fail() {
  echo "arm64: FAILED: $1"
  sed 's/^/  /' "$dir/stdout" "$dir/stderr" | tail -20
  status=1
}

# The tests of the vector loops (cpu_loop_tests: a program and its filter a
# line) at SVE's vector lengths other than qemu's 512 bits: 128 (most
# processors with SVE) and 256, on the processor's own choice (sve2) and at
# sve. Nothing may go to standard error.
mapfile -t loop_tests < "$dir/cpu_loop_tests"
for bits in 128 256; do
  for level in "" sve; do
    echo "== arm64: the vector loops at the ${level:-best} level with $bits-bit vectors"
    for line in "${loop_tests[@]}"; do
      RALLEX_CPU=$level run_program "max,sve-default-vector-length=$((bits / 8))" "${line%% *}" \
        --gtest_filter="${line#* }" && [ ! -s "$dir/stderr" ] || fail "${line%% *}"
    done
  done
done

# A processor with NEON but neither SVE nor the cryptography extension, as a
# Raspberry Pi 4 (Cortex-A72) is: it runs the neon level by itself and prints
# nothing about its processor, and a level above it is one line naming neon.
echo "== arm64: a Cortex-A72 without the cryptography extension, as a Raspberry Pi 4"
aarch64-linux-gnu-gcc -shared -fPIC -O1 -Wall -Werror -o "$dir/without_crypto.so" \
  "$root/tests/arm64_without_crypto.c" || exit 1
export QEMU_SET_ENV="LD_PRELOAD=$dir/without_crypto.so"
for line in "${loop_tests[@]}"; do
  RALLEX_CPU= run_program cortex-a72 "${line%% *}" --gtest_filter="${line#* }" && [ ! -s "$dir/stderr" ] ||
    fail "${line%% *} on the processor's own choice"
done
RALLEX_CPU=sve run_program cortex-a72 platform_tests --gtest_filter='CpuChoice.*'
[ "$(cat "$dir/stderr")" = "RALLEX_CPU=sve: this processor lacks it; using neon" ] ||
  fail "RALLEX_CPU=sve: not the one line that names neon"
unset QEMU_SET_ENV

cross_exclude_midi "no FluidSynth for arm64 here: its library would bring about 80 more arm64 packages"
run_cross_levels arm64 "$dir" run_at_level || status=1
exit "$status"
