#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The gallery's goldens: each example of examples/ runs on the headless backend
# under its script (examples/golden/NAME.script, NAME_golden of the build) and
# what it left is compared with what is committed beside the script:
#   NAME.png    the picture, pixel for pixel
#   NAME.txt    exit status, frame size and message boxes, line for line
#   NAME.audio  (sound only) peak and RMS of each 100 ms, each within 3 % of
#               the golden value plus 64 (a sixteenth of a decibel would pass,
#               a change of volume, timing or sample would not)
# A picture that differs is kept, with a picture of the differences, in
# BUILD/examples/golden-diff/.
#
# RALLEX_BLESS=1 writes the goldens instead (scripts/bless-gallery): for a
# change that is meant to alter an example's picture or sound.
source "$(dirname "$0")/lib.sh"
programs="$BUILD_DIR/examples"
golden="$E2E_ROOT/examples/golden"
diffs="$programs/golden-diff"
rm -rf "$diffs"
failed=()

# same_audio GOLDEN GOT: every window within the tolerance, the same count
# give or take the last window.
same_audio() {
  awk 'NR == FNR { peak[$1] = $2; rms[$1] = $3; n++; next }
       { m++; if (!($1 in peak)) next; seen++
         for (i = 2; i <= 3; i++) {
           want = (i == 2 ? peak[$1] : rms[$1]); d = $i - want; if (d < 0) d = -d
           if (d > 64 + want * 0.03) { printf "at %d ms: %s %d, golden %d\n", $1, (i == 2 ? "peak" : "RMS"), $i, want; bad = 1 } } }
       END { if (n - seen > 1 || m - seen > 1) { printf "%d windows, golden %d\n", m, n; bad = 1 }; exit bad }' "$1" "$2"
}

for script in "$golden"/*.script; do
  name="$(basename "$script" .script)"
  out="$WORK/$name"
  [ -x "$programs/${name}_golden" ] || fail "no ${name}_golden in $programs"
  if ! (cd "$programs" && timeout 60 "./${name}_golden" "$script" "$out") >"$out.log" 2>&1; then
    echo "FAIL: $name did not run: $(tail -n 5 "$out.log")" >&2
    failed+=("$name")
    continue
  fi
  if [ -n "${RALLEX_BLESS:-}" ]; then
    convert "$out.ppm" -strip -define png:exclude-chunks=date,time "PNG24:$golden/$name.png"
    cp "$out.txt" "$golden/$name.txt"
    if [ -f "$out.audio" ]; then cp "$out.audio" "$golden/$name.audio"; else rm -f "$golden/$name.audio"; fi
    echo "blessed: $name"
    continue
  fi
  problems=""
  [ -f "$golden/$name.png" ] || problems+=" no golden picture;"
  if ! diff -u "$golden/$name.txt" "$out.txt" >"$out.textdiff" 2>&1; then
    problems+=" status or message boxes differ: $(tail -n +3 "$out.textdiff" | tr '\n' ' ');"
  fi
  if [ -f "$golden/$name.png" ]; then
    pixels="$(compare -metric AE "$golden/$name.png" "$out.ppm" "$out-diff.png" 2>&1)" || true
    if [ "$pixels" != 0 ]; then
      problems+=" the picture differs ($pixels pixels);"
      mkdir -p "$diffs"
      convert "$out.ppm" "$diffs/$name.png"
      [ -f "$out-diff.png" ] && cp "$out-diff.png" "$diffs/$name-diff.png"
    fi
  fi
  if [ -f "$golden/$name.audio" ] || [ -f "$out.audio" ]; then
    if [ ! -f "$golden/$name.audio" ] || [ ! -f "$out.audio" ]; then
      problems+=" sound heard in only one of the golden and the run;"
    elif ! why="$(same_audio "$golden/$name.audio" "$out.audio")"; then
      problems+=" the sound differs: $(head -n 3 <<<"$why" | tr '\n' ' ');"
    fi
  fi
  if [ -n "$problems" ]; then
    echo "FAIL: $name:$problems" >&2
    failed+=("$name")
  else
    echo "ok: $name matches its golden picture$([ -f "$golden/$name.audio" ] && echo " and sound")"
  fi
done
[ ${#failed[@]} -eq 0 ] || fail "examples differing from their goldens: ${failed[*]} (pictures in $diffs)"
