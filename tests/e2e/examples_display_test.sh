#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The gallery's display example under a real X server: full-screen
# 800 x 600 x 16 shown on a 1280 x 1024 desktop, scaled by 1.6 to 1280 x 960
# with black bars of 32 rows above and below. A screenshot shows the colour
# bars, the ramps, the text and the frame-rate line where the example draws
# them.
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

cd "$BUILD_DIR/examples" || fail "no examples in $BUILD_DIR"
[ -x display ] || fail "no display example in $BUILD_DIR/examples"

RALLEX_EXAMPLE_SECONDS=8 ./display >"$WORK/out.log" 2>&1 &
pid=$!
wait_for_window "Rallex example: display" 10 >/dev/null || fail "no example window appeared: $(cat "$WORK/out.log")"
sleep 2.5
kill -0 "$pid" 2>/dev/null || fail "the example ended early: $(cat "$WORK/out.log")"
import -window root "$WORK/shot.png" || fail "cannot take a screenshot"

# The colour at a point of the back buffer, as #RRGGBB from the screenshot.
pixel() {
  local x=$(($1 * 8 / 5)) y=$((32 + $2 * 8 / 5))
  convert "$WORK/shot.png" -crop "1x1+$x+$y" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1
}

# Each channel within 8 of the expected value (16-bit colour keeps 5 or 6 bits).
expect_color() {
  local name="$1" x="$2" y="$3" want="$4" got
  got="$(pixel "$x" "$y")"
  [ -n "$got" ] || fail "no pixel read at $x,$y"
  for i in 1 3 5; do
    local g=$((16#${got:$i:2})) w=$((16#${want:$i:2}))
    local d=$((g > w ? g - w : w - g))
    [ "$d" -le 8 ] || fail "$name at ($x, $y): got $got, want $want"
  done
  echo "ok: $name at ($x, $y) is $got"
}

# Letterbox bars.
got="$(convert "$WORK/shot.png" -crop 1x1+640+10 -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1)"
[ "$got" = "#000000" ] || fail "the bar above the picture is $got, not black"
got="$(convert "$WORK/shot.png" -crop 1x1+640+1010 -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1)"
[ "$got" = "#000000" ] || fail "the bar below the picture is $got, not black"
echo "ok: black bars above and below"

expect_color white 50 200 "#FFFFFF"
expect_color yellow 150 200 "#FFFF00"
expect_color cyan 250 200 "#00FFFF"
expect_color green 350 200 "#00FF00"
expect_color magenta 450 200 "#FF00FF"
expect_color red 550 200 "#FF0000"
expect_color blue 650 200 "#0000FF"
expect_color black 750 200 "#000000"
expect_color "grey ramp start" 1 350 "#000000"
expect_color "grey ramp middle" 401 350 "#808080"
expect_color "grey ramp end" 798 350 "#FFFFFF"
expect_color "red ramp end" 798 425 "#FF0000"
expect_color "green ramp end" 798 475 "#00FF00"
expect_color "blue ramp end" 798 525 "#0000FF"

# The white text on the black band at the bottom.
lit="$(convert "$WORK/shot.png" -crop "1216x48+32+$((32 + 552 * 8 / 5))" -colorspace gray -threshold 60% \
  -format '%[fx:mean]' info:)"
awk -v m="$lit" 'BEGIN { exit !(m > 0.02 && m < 0.6) }' || fail "no text in the bottom band (lit $lit)"
echo "ok: text drawn (lit share $lit)"

# The frame-rate line: yellow ink (red 240, green 255, blue 0) on the white bar.
blue_min="$(convert "$WORK/shot.png" -crop "$((90 * 8 / 5))x$((18 * 8 / 5))+$((10 * 8 / 5))+$((32 + 20 * 8 / 5))" \
  -channel B -separate -format '%[fx:minima]' info:)"
awk -v m="$blue_min" 'BEGIN { exit !(m < 0.2) }' || fail "no frame-rate text on the white bar (blue min $blue_min)"
echo "ok: frame-rate text drawn"

wait_exit "$pid" 15
[ "$EXIT_STATUS" = "0" ] || fail "the example ended with status $EXIT_STATUS: $(cat "$WORK/out.log")"
echo "ok: the example ended with status 0"
