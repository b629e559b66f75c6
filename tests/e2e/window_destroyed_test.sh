#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rallex's window destroyed from outside (xdotool windowclose destroys the X
# window; it is no close request): the program takes it as closed, tears down
# and ends with status 0, without an X error. Once while a game is being drawn,
# once during the one-second pause before the first frame.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"
start_xvfb 800x600x24
export SDL_AUDIODRIVER=dummy
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"

for when in playing pause; do
  "$RALLEX" >"$WORK/out.log" 2>&1 &
  pid=$!
  id="$(wait_for_window '^Rallex$' 30)" || fail "$when: no window captioned Rallex appeared: $(cat "$WORK/out.log")"
  if [ "$when" = playing ]; then
    shown=""
    for _ in $(seq 1 50); do
      import -window root "$WORK/shot.png" 2>/dev/null || true
      if [ -f "$WORK/shot.png" ] && [ "$(count "$WORK/shot.png" 200x100+100+150 $COURT)" -ge 19000 ]; then
        shown=1
        break
      fi
      sleep 0.1
    done
    [ -n "$shown" ] || fail "$when: no court was drawn"
  fi
  xdotool windowclose "$id" || fail "$when: xdotool could not destroy the window"
  wait_exit "$pid" 5
  [ "$EXIT_STATUS" = 0 ] || fail "$when: exit status $EXIT_STATUS after the window was destroyed: $(cat "$WORK/out.log")"
  if grep -qi "X Error\|BadDrawable\|BadWindow\|major opcode" "$WORK/out.log"; then
    fail "$when: an X error was reported: $(cat "$WORK/out.log")"
  fi
  echo "ok: $when: the destroyed window ended rallex with status 0"
done
