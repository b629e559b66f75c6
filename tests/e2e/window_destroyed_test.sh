#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rallex's window destroyed from outside (xdotool windowclose destroys the X
# window; it is no close request): the program takes it as closed, tears down
# and ends with status 0 within a second, without an X error. Once while a
# game is being drawn, once during the one-second pause before the first
# frame; without a window manager and under evilwm (where SDL's own teardown
# of the vanished window would wait for ever).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"
start_xvfb 800x600x24
export SDL_AUDIODRIVER=dummy
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"

command -v evilwm >/dev/null || fail "evilwm is not installed (scripts/deps installs it)"

trap 'if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; fi; cleanup' EXIT

destroy_window() {
  local when="$1" pid id moving start end
  "$RALLEX" >"$WORK/out.log" 2>&1 &
  pid=$!
  id="$(wait_for_window '^Rallex$' 30)" || fail "$when: no window captioned Rallex appeared: $(cat "$WORK/out.log")"
  # Shown first: a window destroyed before it is first mapped is another case
  # (SDL waits for its MapNotify for ever; not handled yet).
  for _ in $(seq 1 50); do
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && break
    sleep 0.05
  done
  if [[ "$when" == playing* ]]; then
    wait_for_court "$pid" "$WORK/out.log" "$WORK/shot.png" "$id" 50 0.1 || fail "$when: no court was drawn"
    # The court is drawn before the one-second pause, with the ball at the
    # serve in the middle: in play, the ball has left it.
    moving=""
    for _ in $(seq 1 40); do
      import -window "$id" "$WORK/shot.png" 2>/dev/null || true
      if [ "$(count "$WORK/shot.png" 80x80+360+260 $BALL)" = 0 ] && [ "$(count "$WORK/shot.png" 800x500+0+40 $BALL)" -gt 50 ]; then
        moving=1
        break
      fi
      sleep 0.1
    done
    [ -n "$moving" ] || fail "$when: the game never moved"
  fi
  start=$(date +%s%N)
  xdotool windowclose "$id" || fail "$when: xdotool could not destroy the window"
  wait_exit "$pid" 5
  end=$(date +%s%N)
  # In the pause the game sleeps, as the platform's Sleep does, through
  # everything: it sees the close when the second is over.
  local limit=1000
  case "$when" in pause*) limit=2000 ;; esac
  [ $(((end - start) / 1000000)) -le "$limit" ] || fail "$when: took $(((end - start) / 1000000)) ms to end"
  [ "$EXIT_STATUS" = 0 ] || fail "$when: exit status $EXIT_STATUS after the window was destroyed: $(cat "$WORK/out.log")"
  if grep -qi "X Error\|BadDrawable\|BadWindow\|major opcode" "$WORK/out.log"; then
    fail "$when: an X error was reported: $(cat "$WORK/out.log")"
  fi
  echo "ok: $when: the destroyed window ended rallex with status 0"
}

destroy_window playing
destroy_window pause
# A new server, so that nothing of the last run's picture is on the screen.
stop_xvfb
start_xvfb 800x600x24
start_evilwm
destroy_window "playing under evilwm"
destroy_window "pause under evilwm"
