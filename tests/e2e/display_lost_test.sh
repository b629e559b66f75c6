#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The connection to the display lost under a running game: the client killed
# by the server (xdotool windowkill), and the X server itself ending. Each
# time the program says so in one line and ends with status 1 within a
# second; never a hang, never Xlib's dump. Repeated, as the teardown that
# talked to the dead connection used to hang about one time in six.
source "$(dirname "$0")/lib.sh"
export SDL_AUDIODRIVER=dummy
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"
RUNS="${RALLEX_DISPLAY_LOST_RUNS:-8}"

lose_display() {
  local how="$1" run="$2" pid id start end
  start_xvfb 800x600x24
  "$RALLEX" >"$WORK/out.log" 2>&1 &
  pid=$!
  id="$(wait_for_window '^Rallex$' 30)" || fail "$how: no window: $(cat "$WORK/out.log")"
  # Sometimes in the pause before the first frame, sometimes in play.
  sleep "$(((run % 2) * 1)).$(((run * 37) % 10))"
  start=$(date +%s%N)
  case "$how" in
    windowkill) xdotool windowkill "$id" ;;
    server) kill "$XVFB_PID" ;;
  esac
  wait_exit "$pid" 5
  end=$(date +%s%N)
  stop_xvfb
  [ "$EXIT_STATUS" = 1 ] || fail "$how run $run: exit status $EXIT_STATUS: $(cat "$WORK/out.log")"
  [ "$(cat "$WORK/out.log")" = "rallex: lost the connection to the display" ] ||
    fail "$how run $run: said: $(cat "$WORK/out.log")"
  [ $(((end - start) / 1000000)) -le 1000 ] || fail "$how run $run: took $(((end - start) / 1000000)) ms to end"
}

for how in windowkill server; do
  for run in $(seq 1 "$RUNS"); do lose_display "$how" "$run"; done
  echo "ok: $how: $RUNS runs, one line and status 1 within a second each"
done
