#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The game's full-screen mode shown the player's way, under Xvfb without a
# window manager and under evilwm: --window opens a window of the largest
# whole multiple that fits; Alt+Enter switches to the whole screen and back;
# a resized window shows the picture as each scaling places it; the settings
# file is written and read on the next start; a bad option is one line; a
# remembered window too small or off the screen opens at its floor, on it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
command -v evilwm >/dev/null || fail "evilwm is not installed (scripts/deps installs it)"
cd "$E2E_ROOT/assets"
export XDG_CONFIG_HOME="$WORK/config"
CONF="$XDG_CONFIG_HOME/rallex/rallex.conf"
PID=""
trap 'if [ -n "$PID" ]; then kill -9 "$PID" 2>/dev/null || true; fi; if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; fi; cleanup' EXIT

start_rallex() {
  "$BUILD_DIR/game/rallex" "$@" >"$WORK/out.log" 2>"$WORK/err.log" &
  PID=$!
  ID="$(wait_for_window Rallex 10)" || fail "no window ($*): $(cat "$WORK/err.log")"
  sleep 1.5  # past the one-second pause before the first frame
}

# "X Y WIDTH HEIGHT" of the game's window on the screen.
geometry() {
  xwininfo -id "$ID" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# A busy machine shows a change a few frames late: each check below looks
# again for up to five seconds before it fails.
expect_size() {
  local g w h
  for _ in $(seq 1 25); do
    g="$(geometry)"
    read -r _ _ w h <<<"$g"
    [ "$w $h" = "$1" ] && return 0
    sleep 0.2
  done
  fail "$WM_NAME: $2: the window is ${w}x$h ($g), not ${1/ /x}"
}

# picture_columns EXPECTED WHAT: the first and last court-blue columns of one
# row of the open field, relative to the window, are as the scaling places
# the 800-pixel picture.
picture_columns() {
  local x y w h got
  for _ in $(seq 1 25); do
    read -r x y w h <<<"$(geometry)"
    import -window root "$WORK/shot.png"
    got="$(ink_columns "$WORK/shot.png" "${w}x1+$x+$((y + h * 240 / 700))" $COURT)"
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "$WM_NAME: $2: court columns $got, not $1 (window $x $y $w $h)"
}

key() { xdotool key --window "$ID" "$1"; sleep 0.8; }

run_case() {
  WM_NAME="$1"
  start_xvfb 1700x1300x24
  if [ "$WM_NAME" = evilwm ]; then start_evilwm; fi
  rm -rf "$XDG_CONFIG_HOME"

  start_rallex --window
  expect_size "1600 1200" "--window on 1700x1300"
  picture_columns "0 1599" "the first window"
  [ ! -e "$CONF" ] || fail "$WM_NAME: settings written before the player changed anything"

  key alt+Return
  expect_size "1700 1300" "after Alt+Enter"
  picture_columns "0 1699" "full screen, aspect kept (1700x1275)"
  grep -qx fullscreen "$CONF" || fail "$WM_NAME: Alt+Enter not remembered: $(cat "$CONF" 2>&1)"
  key alt+Return
  expect_size "1600 1200" "after Alt+Enter twice"

  # 800x600 in 1000x700: aspect 933x700 at 33, integer 800x600 at 100, stretch all.
  xdotool windowsize "$ID" 1000 700
  sleep 1.2
  expect_size "1000 700" "resized"
  picture_columns "33 965" "aspect in the resized window"
  key alt+s
  picture_columns "100 899" "integer"
  key alt+s
  picture_columns "0 999" "stretch"
  key alt+s
  key alt+f
  sleep 0.5
  for word in window scale=aspect filter=linear size=1000x700; do
    grep -qx "$word" "$CONF" || fail "$WM_NAME: $word not in the settings: $(cat "$CONF")"
  done
  xdotool key --window "$ID" Escape
  wait_exit "$PID" 5
  [ "$EXIT_STATUS" = 0 ] || fail "$WM_NAME: exit status $EXIT_STATUS: $(cat "$WORK/err.log")"

  # The next start: the window as it was left; bad options are one line each.
  start_rallex --scale huge --monitor 3
  expect_size "1000 700" "the next start"
  picture_columns "33 965" "the remembered scaling"
  grep -q 'unknown scaling "huge" (choices: aspect, integer, stretch); keeping aspect' "$WORK/err.log" ||
    fail "$WM_NAME: no line for --scale huge: $(cat "$WORK/err.log")"
  grep -q 'there is no monitor 3 (monitors: 0 to 0); using monitor 0' "$WORK/err.log" ||
    fail "$WM_NAME: no line for --monitor 3: $(cat "$WORK/err.log")"
  [ "$(wc -l <"$WORK/err.log")" -eq 2 ] || fail "$WM_NAME: more than the two lines: $(cat "$WORK/err.log")"
  xdotool key --window "$ID" Escape
  wait_exit "$PID" 5
  [ "$EXIT_STATUS" = 0 ] || fail "$WM_NAME: exit status $EXIT_STATUS at the second start"

  # A window shrunk to almost nothing and left beyond the screen (a monitor
  # since unplugged) opens at a quarter of the mode, on the screen.
  printf 'window\nsize=50x40\nposition=5000,5000\n' >"$CONF"
  start_rallex
  expect_size "200 150" "a remembered 50x40"
  read -r x y _ _ <<<"$(geometry)"
  [ "$x" -ge 0 ] && [ "$((x + 200))" -le 1700 ] && [ "$y" -ge 0 ] && [ "$((y + 150))" -le 1300 ] ||
    fail "$WM_NAME: the window left beyond the screen opened at $x,$y"
  picture_columns "0 199" "the picture in the smallest window"
  [ ! -s "$WORK/err.log" ] || fail "$WM_NAME: lines for a small window: $(cat "$WORK/err.log")"
  xdotool key --window "$ID" Escape
  wait_exit "$PID" 5
  [ "$EXIT_STATUS" = 0 ] || fail "$WM_NAME: exit status $EXIT_STATUS at the third start"
  PID=""
  if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; wait "$WM_PID" 2>/dev/null || true; WM_PID=""; fi
  stop_xvfb
  echo "ok: $WM_NAME: window, Alt+Enter, scalings after a resize, settings remembered, bad options, a small window off the screen"
}

run_case none
run_case evilwm
