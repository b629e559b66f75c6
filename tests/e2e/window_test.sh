#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The game's window under a real X server: it is found by its caption, Escape
# ends the program with status 0 within 2 seconds, and so does a window
# manager's close request.
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd "$E2E_ROOT/assets"

run_and_close() {
  local how="$1"
  "$BUILD_DIR/game/rallex" >"$WORK/out.log" 2>&1 &
  local pid=$!
  local id
  id="$(wait_for_window Rallex 10)" || fail "no window captioned Rallex appeared ($how)"
  [ "$(xdotool getwindowname "$id")" = "Rallex" ] || fail "caption is not Rallex"
  sleep 1.5  # past the one-second pause before the first frame
  kill -0 "$pid" 2>/dev/null || fail "rallex ended by itself ($how): $(cat "$WORK/out.log")"
  local start end
  start=$(date +%s%N)
  case "$how" in
    escape) xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape ;;
    close) "$BUILD_DIR/tests/wm_close" "$id" || fail "could not send WM_DELETE_WINDOW" ;;
  esac
  wait_exit "$pid" 5
  end=$(date +%s%N)
  [ "$EXIT_STATUS" = "0" ] || fail "rallex exit status after $how was $EXIT_STATUS; output: $(cat "$WORK/out.log")"
  local ms=$(((end - start) / 1000000))
  [ "$ms" -le 2000 ] || fail "rallex took ${ms} ms to end after $how"
  echo "ok: $how ended rallex with status 0 in ${ms} ms"
}

run_and_close escape
run_and_close close
