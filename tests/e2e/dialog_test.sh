#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The "Continue with Sound turned off?" box of a start without a sound device
# (SDL_AUDIODRIVER names a driver that does not exist), answered from the
# keyboard only: under Xvfb without a window manager and under evilwm, the box
# takes the keyboard focus; Return (Yes) gives the full-screen window back
# focused, with the court shown and the paddle following the mouse; Escape (No)
# ends the program (with ALSA on a machine without a sound card, whose library
# says nothing on the terminal). Where no dialog can be shown (an X server without fonts),
# one line says so with the answer taken, and the game plays on. The terminal
# holds one line about the missing sound device and nothing from libraries.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
command -v evilwm >/dev/null || fail "evilwm is not installed (scripts/deps installs it)"
cd "$E2E_ROOT/assets"

PID=""
trap 'if [ -n "$PID" ]; then kill -9 "$PID" 2>/dev/null || true; fi; if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; fi; cleanup' EXIT

# The box's window id (decimal, as xdotool prints ids); its name is UTF-8 text,
# which xdotool's search does not read.
wait_for_box() {
  local id
  for _ in $(seq 1 $(($1 * 10))); do
    id="$(xwininfo -root -tree 2>/dev/null | awk '/"Error"/ { print $1; exit }')"
    if [ -n "$id" ]; then printf '%d\n' "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

start_rallex() {
  SDL_AUDIODRIVER="${1:-nosuchdriver}" "$RALLEX" >"$WORK/out.log" 2>&1 &
  PID=$!
}

# Waits for the court in the field; fails with what the terminal said.
wait_for_court() {
  local what="$1"
  for _ in $(seq 1 50); do
    kill -0 "$PID" 2>/dev/null || fail "$what: rallex ended: $(cat "$WORK/out.log")"
    import -window root "$WORK/shot.png" 2>/dev/null || true
    if [ -f "$WORK/shot.png" ] && [ "$(count "$WORK/shot.png" 200x100+100+150 $COURT)" -ge 19000 ]; then return 0; fi
    sleep 0.1
  done
  fail "$what: the court did not come back"
}

# The paddle follows the mouse: 200 pixels to the left of where it starts.
check_paddle_follows() {
  local what="$1"
  xdotool mousemove_relative -- -200 0
  for _ in $(seq 1 20); do
    sleep 0.1
    import -window root "$WORK/moved.png" || fail "cannot take a screenshot"
    [ "$(count "$WORK/moved.png" 80x15+160+530 $METAL)" -ge 600 ] && return 0
  done
  fail "$what: the player's paddle did not follow the mouse to x 160"
}

# The terminal: the one line about the sound device, and the given extra lines.
check_terminal() {
  local what="$1" lines="$2"
  grep -q "ALSA lib" "$WORK/out.log" && fail "$what: library chatter on the terminal: $(cat "$WORK/out.log")"
  [ "$(grep -c "sound\|audio" "$WORK/out.log")" -ge 1 ] || fail "$what: no line about the missing sound device"
  [ "$(wc -l <"$WORK/out.log")" -eq "$lines" ] || fail "$what: $lines lines expected on the terminal: $(cat "$WORK/out.log")"
}

dialog_case() {
  local wm="$1" key="$2" driver="${3:-nosuchdriver}" what="$1, $2, audio driver ${3:-nosuchdriver}"
  start_xvfb 800x600x24
  if [ "$wm" = evilwm ]; then start_evilwm; fi
  start_rallex "$driver"
  box="$(wait_for_box 20)" || fail "$what: no box appeared: $(cat "$WORK/out.log")"
  # The box has the keyboard: keys go to whatever window holds the focus.
  for _ in $(seq 1 30); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ] && break
    sleep 0.1
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ] || fail "$what: the box did not take the keyboard focus"
  xdotool key "$key"
  if [ "$key" = Escape ]; then
    # No: the program ends (after its one-second start pause).
    wait_exit "$PID" 5
    [ "$EXIT_STATUS" = 0 ] || fail "$what: exit status $EXIT_STATUS after No: $(cat "$WORK/out.log")"
  else
    wait_for_court "$what"
    id="$(xdotool search --name '^Rallex$' | head -n 1)"
    [ "$(xdotool getwindowfocus)" = "$id" ] || fail "$what: the game window did not get the focus back"
    read -r w h <<<"$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')"
    [ "$w" = 800 ] && [ "$h" = 600 ] || fail "$what: the game window is ${w}x${h}, not full-screen"
    check_paddle_follows "$what"
    xdotool key Escape
    wait_exit "$PID" 5
    [ "$EXIT_STATUS" = 0 ] || fail "$what: exit status $EXIT_STATUS after Escape: $(cat "$WORK/out.log")"
  fi
  PID=""
  check_terminal "$what" 1
  echo "ok: $what"
  if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; wait "$WM_PID" 2>/dev/null || true; WM_PID=""; fi
  stop_xvfb
}

dialog_case none Return
# Where the machine has no sound card, ALSA itself is tried: its library's
# complaints stay off the terminal.
if [ -e /dev/snd ]; then dialog_case none Escape; else dialog_case none Escape alsa; fi
dialog_case evilwm Return

# No fonts on the server: no dialog can be shown.
start_xvfb 800x600x24 -fp /nonexistent
start_rallex
wait_for_court "no dialog"
grep -q "no dialog could be shown; answering Yes" "$WORK/out.log" ||
  fail "no dialog: the terminal does not say so: $(cat "$WORK/out.log")"
check_paddle_follows "no dialog"
xdotool key Escape
wait_exit "$PID" 5
[ "$EXIT_STATUS" = 0 ] || fail "no dialog: exit status $EXIT_STATUS: $(cat "$WORK/out.log")"
PID=""
check_terminal "no dialog" 2
echo "ok: no dialog: $(grep "no dialog" "$WORK/out.log")"
