# SPDX-License-Identifier: MIT
# Sourced by the scripts that run the unit tests of a cross build under an
# emulator (tests/arm64_test.sh, tests/wasm_test.sh).
#
# exclude PATTERNS REASON    leaves the tests that match PATTERNS (GoogleTest's
#                            form: Suite.Name, * for any text, : between
#                            patterns) out of every run, and says so with
#                            REASON before the runs
# cross_ctest DIR [ARGS...]  the unit tests of the build in DIR through CTest,
#                            the excluded ones left out both as CTest's tests
#                            (-E) and inside each program (GTEST_FILTER)
# run_cross_levels NAME DIR RUN
#                            calls "RUN LEVEL" for each processor level of the
#                            build in DIR (DIR/cpu_levels, written by
#                            tests/CMakeLists.txt); fails if any level fails or
#                            the build names no level

cross_excluded=""
cross_reasons=()
exclude() {
  cross_excluded="${cross_excluded:+$cross_excluded:}$1"
  cross_reasons+=("  ${1//:/ }"$'\n'"    ($2)")
}

# The MIDI sequencer loads FluidSynth (dlopen) when a program first opens it;
# neither cross build has it (each script says why), so what needs a
# synthesiser to be heard is left out.
cross_exclude_midi() {
  exclude 'MciTest.*:MusicTest.*:MidiFile.FilesWrittenByMido*' "$1"
}

# GoogleTest's patterns as one CTest regular expression.
cross_ctest_regex() {
  local pattern regex=""
  local IFS=:
  for pattern in $1; do
    pattern="${pattern//./\\.}"
    regex="${regex:+$regex|}^${pattern//\*/.*}\$"
  done
  echo "$regex"
}

cross_ctest() {
  local dir="$1"
  shift
  local excluded=()
  if [ -n "$cross_excluded" ]; then
    excluded=(-E "$(cross_ctest_regex "$cross_excluded")")
    export GTEST_FILTER="-$cross_excluded"
  fi
  ctest --test-dir "$dir" -L unit -j "$(nproc)" --output-on-failure "${excluded[@]}" "$@"
}

run_cross_levels() {
  local name="$1" dir="$2" run="$3" status=0 levels=() level
  [ -f "$dir/cpu_levels" ] && mapfile -t levels < "$dir/cpu_levels"
  if [ ${#levels[@]} -eq 0 ]; then
    echo "$name: $dir/cpu_levels names no processor level"
    return 1
  fi
  if [ ${#cross_reasons[@]} -gt 0 ]; then
    echo "$name: tests left out of every run, and why:"
    printf '%s\n' "${cross_reasons[@]}"
  fi
  for level in "${levels[@]}"; do
    echo "== $name: unit tests at the $level level"
    "$run" "$level" || { echo "$name: FAILED at the $level level"; status=1; }
    # The emulated processor must have every level of the build: a run that
    # fell back to a lower one has not tested its own.
    if grep -qE "RALLEX_CPU=[^ ]*( is not a level|: this processor lacks it)" "$dir/Testing/Temporary/LastTest.log"; then
      echo "$name: FAILED at the $level level: the programs did not run at it"
      status=1
    fi
  done
  return "$status"
}
