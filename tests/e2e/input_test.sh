#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Keyboard and mouse through the Input object of the gallery's input example
# under a real X server: keys typed with xdotool show up with their scan code,
# key code and name; the mouse stops at the limit the example sets (the
# 640 x 480 window, starting in its middle) while its free position keeps
# counting, past the screen's edge too; mouse buttons show.
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

OUT="$WORK/out.txt"
RALLEX_EXAMPLE_SECONDS=60 "$BUILD_DIR/examples/input" >"$OUT" 2>"$WORK/err.txt" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; cleanup' EXIT
id="$(wait_for_window "Rallex example: input" 20)" || {
  state=ended
  if kill -0 "$pid" 2>/dev/null; then state=running; fi
  fail "no window captioned Rallex example: input appeared (example $state; display $DISPLAY): $(cat "$WORK/err.txt" "$OUT")"
}

# On failure, show what the example printed last.
fail_shown() {
  echo "--- output (last 8 lines):" >&2
  tail -n 8 "$OUT" >&2 || true
  echo "--- errors:" >&2
  cat "$WORK/err.txt" >&2 || true
  fail "$@"
}

# last_line PATTERN SECONDS: waits for the newest output line to match.
last_line() {
  local pattern="$1" seconds="$2" line=""
  for _ in $(seq 1 $((seconds * 20))); do
    line="$(tail -n 1 "$OUT" 2>/dev/null || true)"
    if grep -Eq -- "$pattern" <<<"$line"; then return 0; fi
    sleep 0.05
  done
  echo "last line: $line" >&2
  return 1
}

# The devices are foreground devices: they wait for the window to have the focus.
if ! last_line '^frame=' 5; then
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowactivate --sync "$id" 2>/dev/null || true
  last_line '^frame=' 5 || fail_shown "the example never got its devices: $(head -n 3 "$OUT") $(cat "$WORK/err.txt")"
fi
grep -q '^ready' "$OUT" || fail_shown "no ready line"

# Mouse: from (320, 240), moves to the right on a 1280-wide screen: three of
# 100, one of 400 that meets the limit, one of 800 that would pass the screen.
moves=(100 100 100 400 800)
expected_x=(420 520 620 639 639)
free=0
for i in 0 1 2 3 4; do
  xdotool mousemove_relative -- "${moves[$i]}" 0
  free=$((free + moves[i]))
  last_line "mouse=${expected_x[$i]},240 free=${free},0 " 3 ||
    fail_shown "after move $((i + 1)) expected mouse=${expected_x[$i]},240 free=${free},0"
done
echo "ok: relative motion counted past the screen edge, clamped at 639"
xdotool mousemove_relative -- -50 -30
last_line "mouse=589,210 free=1450,-30 " 3 || fail_shown "moving back should leave the limit at once"

for button in 1:100 3:010 2:001; do
  xdotool mousedown "${button%%:*}"
  last_line "buttons=${button##*:} " 3 || fail_shown "mouse button ${button%%:*} not seen as ${button##*:}"
  xdotool mouseup "${button%%:*}"
  last_line "buttons=000 " 3 || fail_shown "mouse button ${button%%:*} not released"
done
echo "ok: mouse buttons"

# Keys: xdotool key name, then what the example must print for it.
keys=(
  'a|30/97/"A"/(pressed|held)'
  'Escape|1/27/"Esc"/(pressed|held)'
  'space|57/32/"Space"/(pressed|held)'
  'Shift_L|42/128/"Shift"/(pressed|held)'
  'Up|200/136/"Up"/(pressed|held)'
  'Home|199/152/"Home"/(pressed|held)'
  'Next|209/155/"Page Down"/(pressed|held)'
  'Delete|211/151/"Delete"/(pressed|held)'
  'KP_Enter|156/160/"Num Enter"/(pressed|held)'
  'KP_Divide|181/156/"Num /"/(pressed|held)'
  'Control_R|157/131/"Right Ctrl"/(pressed|held)'
  'Alt_R|184/133/"Right Alt"/(pressed|held)'
  'F12|88/149/"F12"/(pressed|held)'
  'Super_L|219/0/"Left Windows"/untracked'
  'Menu|221/0/"Application"/untracked'
)
for entry in "${keys[@]}"; do
  key="${entry%%|*}"
  want="${entry#*|}"
  xdotool keydown "$key"
  last_line "keys=.*$want" 3 || { xdotool keyup "$key"; fail_shown "key $key not shown as $want"; }
  xdotool keyup "$key"
  last_line 'keys=$' 3 || fail_shown "key $key stayed down"
done
echo "ok: ${#keys[@]} keys with their codes and names"

"$BUILD_DIR/tests/wm_close" "$id" || fail_shown "could not close the window"
wait_exit "$pid" 5
[ "$EXIT_STATUS" = "0" ] || fail_shown "the example's exit status $EXIT_STATUS: $(cat "$WORK/err.txt")"
echo "ok: closed"
