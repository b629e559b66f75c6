#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The sound server taken away under a running game and brought back: the game
# plays on (silently, no dialog, nothing on the terminal) and its sound comes
# back on its own within a few seconds, as a new stream on the new server.
# A private PulseAudio with a null sink stands in for the player's.
source "$(dirname "$0")/lib.sh"
command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (scripts/deps installs it)"
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"
export XDG_RUNTIME_DIR="$WORK/runtime" XDG_CONFIG_HOME="$WORK/config" PULSE_RUNTIME_PATH="$WORK/runtime/pulse"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=pulseaudio
PID=""
trap 'if [ -n "$PID" ]; then kill -9 "$PID" 2>/dev/null || true; fi; pulseaudio -k 2>/dev/null || true; cleanup' EXIT

start_server() {
  pulseaudio -D -n --exit-idle-time=-1 --log-target=file:"$WORK/pulse.log" \
    -L module-null-sink -L module-native-protocol-unix 2>/dev/null || fail "pulseaudio did not start"
  for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "pulseaudio does not answer"
}
streams() { pactl list short sink-inputs 2>/dev/null | wc -l; }
wait_streams() {
  for _ in $(seq 1 "$(($2 * 10))"); do [ "$(streams)" -eq "$1" ] && return 0; sleep 0.1; done
  return 1
}

start_xvfb 800x600x24
start_server
"$RALLEX" >"$WORK/out.log" 2>&1 &
PID=$!
wait_for_window '^Rallex$' 10 >/dev/null || fail "no window: $(cat "$WORK/out.log")"
wait_streams 1 5 || fail "the game opened no stream on the sound server"
for round in 1 2; do
  pulseaudio -k
  sleep 2
  kill -0 "$PID" 2>/dev/null || fail "round $round: the game ended with the sound server: $(cat "$WORK/out.log")"
  start_server
  wait_streams 1 4 || fail "round $round: no stream again within 4 s of the server's return"
  echo "ok: round $round: the sound came back to the game"
done
xdotool key Escape
wait_exit "$PID" 5
PID=""
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS: $(cat "$WORK/out.log")"
[ ! -s "$WORK/out.log" ] || fail "the game said: $(cat "$WORK/out.log")"
echo "ok: the game played on through two losses of the sound server and ended normally"
