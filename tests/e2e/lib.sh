# SPDX-License-Identifier: MIT
# Shared by the end-to-end scripts: starts a private Xvfb and finds the builds.
# Usage: source lib.sh; start_xvfb [WxHxD [more Xvfb options...]]
set -euo pipefail
E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${RALLEX_BUILD_DIR:-$E2E_ROOT/build}"
WORK="$(mktemp -d)"
XVFB_PID=""

# The server is waited for: a server still shutting down removes its lock file
# and socket by name, and would take them from the next script's server that
# took the same display number meanwhile.
cleanup() {
  stop_xvfb
  rm -rf "$WORK"
}
trap cleanup EXIT

start_xvfb() {
  local screen="${1:-1280x1024x24}" number=""
  shift || true
  # The server picks a free display number itself and writes it once it
  # accepts connections, so two scripts (or a server of an earlier script still
  # shutting down) can never share one. It never resets: a reset after the last
  # client leaves (the readiness check below, a finished xdotool) refuses the
  # connections that arrive meanwhile.
  : >"$WORK/display"
  Xvfb -displayfd 3 -noreset -screen 0 "$screen" -nolisten tcp "$@" 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 100); do
    number="$(tr -dc '0-9' <"$WORK/display")"
    # Once named, the server must also answer a client.
    if [ -n "$number" ] && DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
      export DISPLAY=":$number"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "cannot start Xvfb: $(cat "$WORK/xvfb.log")" >&2
  stop_xvfb
  return 1
}

# wait_for_window NAME SECONDS: prints the window id once a window of that name exists.
wait_for_window() {
  local name="$1" seconds="$2" id
  for _ in $(seq 1 $((seconds * 10))); do
    id="$(xdotool search --name "$name" 2>/dev/null | head -n 1 || true)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# wait_exit PID SECONDS: waits for the process (a child of this shell) to end and
# sets EXIT_STATUS to its exit status, or to "timeout" after killing it.
EXIT_STATUS=""
wait_exit() {
  local pid="$1" seconds="$2"
  for _ in $(seq 1 $((seconds * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_STATUS=0
      wait "$pid" || EXIT_STATUS=$?
      return 0
    fi
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  EXIT_STATUS=timeout
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_for_court PID LOG SHOT WINDOW TRIES PAUSE: screenshots of WINDOW ("root"
# or a window id) into SHOT, TRIES times PAUSE seconds apart, until the game's
# blue court fills the open field (count and COURT come from shots.sh); false
# when it never does. The game started as PID (writing to LOG) ending
# meanwhile fails the script.
wait_for_court() {
  local pid="$1" log="$2" shot="$3" window="$4" tries="$5" pause="$6"
  for _ in $(seq 1 "$tries"); do
    kill -0 "$pid" 2>/dev/null || fail "rallex ended early: $(cat "$log")"
    import -window "$window" "$shot" 2>/dev/null || true
    if [ -f "$shot" ] && [ "$(count "$shot" 200x100+100+150 $COURT)" -ge 19000 ]; then
      return 0
    fi
    sleep "$pause"
  done
  return 1
}

# start_evilwm: a window manager on the server, WM_PID set, once it says it
# manages the screen. (Its default font is not among the server's core fonts.)
WM_PID=""
start_evilwm() {
  evilwm -fn fixed >"$WORK/wm.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  fail "the window manager did not start: $(cat "$WORK/wm.log")"
}

# stop_xvfb: ends the server that start_xvfb started (to start another).
stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  XVFB_PID=""
}
