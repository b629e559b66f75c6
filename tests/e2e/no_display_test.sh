#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rallex started where no window can be shown: without DISPLAY and
# WAYLAND_DISPLAY, and with DISPLAY naming an X server that is not there. Each
# time the program ends at once with a non-zero status and one line that says
# there is no display and how to get one (xvfb-run -a). An invisible driver
# asked for by name is still taken.
source "$(dirname "$0")/lib.sh"
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"

check_no_display() {
  local what="$1"
  shift
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$@" "$RALLEX" >"$WORK/out.log" 2>&1 &
  local pid=$!
  wait_exit "$pid" 10
  [ "$EXIT_STATUS" != "timeout" ] || fail "$what: rallex went on running without a display"
  [ "$EXIT_STATUS" != "0" ] || fail "$what: rallex ended with status 0 without a display"
  [ "$(wc -l <"$WORK/out.log")" -eq 1 ] || fail "$what: not one line on the terminal: $(cat "$WORK/out.log")"
  grep -q "no display" "$WORK/out.log" || fail "$what: the line does not say there is no display: $(cat "$WORK/out.log")"
  grep -q "xvfb-run -a" "$WORK/out.log" || fail "$what: the line does not say how to get one: $(cat "$WORK/out.log")"
  echo "ok: $what: status $EXIT_STATUS, $(cat "$WORK/out.log")"
}
check_no_display "no DISPLAY" -u DISPLAY
# A display number no server has (its lock and socket absent).
for n in $(seq 250 299); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then break; fi
done
check_no_display "DISPLAY :$n without a server" DISPLAY=":$n"

# Asked for by name, the invisible driver runs (stopped after a moment).
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen "$RALLEX" >"$WORK/named.log" 2>&1 &
pid=$!
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "with SDL_VIDEODRIVER=offscreen rallex ended: $(cat "$WORK/named.log")"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "ok: an invisible driver asked for by name is used"
