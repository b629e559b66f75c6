#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The gallery's effects and fades examples under a real X server: full-screen
# 800 x 600 x 16 shown on a 1280 x 1024 desktop, scaled by 1.6 to 1280 x 960
# with black bars of 32 rows above and below. A screenshot of the effects
# example shows each effect's colours in its cell; one taken while the fades
# example fades out shows every colour dimmed by the same factor; the fades'
# own report gives their frames and level steps.
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd "$BUILD_DIR/examples" || fail "no examples in $BUILD_DIR"
[ -x effects ] && [ -x fades ] || fail "no effects and fades examples in $BUILD_DIR/examples"

# wait_line LOG TEXT SECONDS: waits until the program (pid) has written TEXT.
wait_line() {
  for _ in $(seq 1 $(($3 * 20))); do
    grep -q "^$2" "$1" && return 0
    kill -0 "$pid" 2>/dev/null || fail "the example ended before \"$2\": $(cat "$1")"
    sleep 0.05
  done
  fail "no \"$2\" from the example: $(cat "$1")"
}

RALLEX_EXAMPLE_SECONDS=3 ./effects >"$WORK/effects.log" 2>&1 &
pid=$!
wait_line "$WORK/effects.log" ready 15
sleep 0.4
import -window root "$WORK/effects.png" || fail "cannot take a screenshot"

# The colour at a point of the back buffer, as three decimal numbers.
rgb() {
  local x=$(($2 * 8 / 5)) y=$((32 + $3 * 8 / 5))
  convert "$1" -crop "1x1+$x+$y" -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:
}

# expect NAME X Y R G B: each channel within 12 of the expected value, worked
# out in 8 bits from the cell's rule (16-bit colour keeps 5 or 6 bits a channel).
expect() {
  local name="$1" x="$2" y="$3" got
  got="$(rgb "$WORK/effects.png" "$x" "$y")"
  [ -n "$got" ] || fail "no pixel read at $x,$y"
  awk -v got="$got" -v want="$4 $5 $6" 'BEGIN {
      split(got, g, " "); split(want, w, " ");
      for (i = 1; i <= 3; i++) { d = g[i] - w[i]; if (d < 0) d = -d; if (d > 12) exit 1 } }' ||
    fail "$name at ($x, $y): got ($got), want ($4 $5 $6)"
  echo "ok: $name at ($x, $y) is ($got)"
}

# Background (192, 192, 64); sprite square (32, 64, 224) on the magenta key;
# cell i has its top-left corner at (200 * (i % 4), 200 * (i / 4)) and its
# centre on the sprite's square; (50, 50) of a cell is on the sprite's key.
expect "background" 190 190 192 192 64
expect "keyed sprite over its shadow" 100 100 32 64 224
expect "shadow at level 128: background / 2" 150 150 96 96 32
expect "half shadow: background / 2" 350 150 96 96 32
expect "half blend: (sprite + background) / 2" 500 100 112 128 144
expect "half blend of the key: (magenta + background) / 2" 450 50 223 96 159
expect "keyed half blend" 700 100 112 128 144
expect "keyed half blend leaves the key" 650 50 192 192 64
expect "blend 64: 3/4 sprite + 1/4 background" 100 300 72 96 184
expect "blend 192: 1/4 sprite + 3/4 background" 300 300 152 160 104
expect "keyed blend 128" 500 300 112 128 144
expect "keyed blend leaves the key" 450 250 192 192 64
expect "alpha mask 255: the orange disc" 700 300 248 128 0
expect "alpha mask 128: (orange + background) / 2" 742 300 223 160 32
expect "alpha mask 0 outside the disc" 645 245 192 192 64
expect "darken 64: background / 4" 100 500 48 48 16
expect "half darken: background / 2" 300 500 96 96 32
expect "inverted box: 255 - background" 500 500 63 63 191
expect "faded sprite at 128: sprite / 2" 700 500 16 32 112
expect "faded key at 128: magenta / 2" 650 450 127 0 127
wait_exit "$pid" 10
[ "$EXIT_STATUS" = "0" ] || fail "the effects example ended with status $EXIT_STATUS: $(cat "$WORK/effects.log")"

# The longest fade there is: whatever the duration, the level moves by at
# least 2 a frame, so 128 frames (about two seconds at 60 a second). The
# example shows its picture 3 s, fades out and in, and is ended 8 s in.
RALLEX_EXAMPLE_SECONDS=8 ./fades 65535 >"$WORK/out.log" 2>&1 &
pid=$!
wait_line "$WORK/out.log" ready 15
sleep 0.4
import -window root "$WORK/full.png" || fail "cannot take a screenshot"
wait_line "$WORK/out.log" "fading out" 10
sleep 0.3
import -window root "$WORK/dim.png" || fail "cannot take a screenshot during the fade"

# During the fade every colour is the full picture's times one factor below 1:
# the white, yellow, cyan, red and blue bars and the light disc.
ratios=""
for point in "50 200" "150 200" "250 200" "550 200" "650 200" "400 300"; do
  ratios="$ratios $(rgb "$WORK/full.png" $point) $(rgb "$WORK/dim.png" $point)"
done
awk -v v="$ratios" 'BEGIN {
    n = split(v, a, " "); lo = 2; hi = -1; count = 0;
    for (i = 1; i + 5 <= n; i += 6)
      for (c = 0; c < 3; c++) {
        full = a[i + c]; dim = a[i + 3 + c];
        if (full < 100) continue;
        r = dim / full; count++;
        if (r < lo) lo = r; if (r > hi) hi = r;
      }
    printf "dimming factors from %.2f to %.2f over %d channels\n", lo, hi, count;
    exit !(count >= 8 && lo > 0.1 && hi < 0.97 && hi - lo < 0.15) }' ||
  fail "the picture during the fade is not uniformly dimmer"
echo "ok: the picture during the fade is uniformly dimmer"

wait_exit "$pid" 40
[ "$EXIT_STATUS" = "0" ] || fail "the fades example ended with status $EXIT_STATUS: $(cat "$WORK/out.log")"
grep -q "^fade out: 128 frames, level steps 2 to 2" "$WORK/out.log" || fail "fade out report: $(cat "$WORK/out.log")"
grep -q "^fade in: 128 frames, level steps 2 to 2" "$WORK/out.log" || fail "fade in report: $(cat "$WORK/out.log")"
echo "ok: both fades took 128 frames of 2 levels; the examples ended with status 0"
