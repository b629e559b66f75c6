#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The gallery's palette and geometry examples under a real X server. Each is
# full-screen 800 x 600 on a 1280 x 1024 desktop, scaled by 1.6 to
# 1280 x 960 with black bars of 32 rows above and below; screenshots are
# sampled back to 800 x 600 to compare with what the examples draw.
#
# Palette: a 256-colour picture made here by ImageMagick is shown with its
# own palette; its colours are checked, then again in the middle of the fade
# out (dimmer in every channel, not yet black), after it (black but for
# channels that started at 252 or more), after the
# fade to violet and after the fade back. Pixels of palette entry 0 never fade.
#
# Geometry: the mirrored sprites equal the original flipped; the zoomed
# sprite is centred where its unscaled rectangle was; the resized one fills
# the rectangle worked out by hand; keyed copies show no key colour.
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd "$BUILD_DIR/examples" || fail "no examples in $BUILD_DIR"
[ -x palette ] && [ -x geometry ] || fail "no palette and geometry examples in $BUILD_DIR/examples"

# shot NAME: a screenshot sampled back to the 800 x 600 picture, in NAME.png.
shot() {
  import -window root "$WORK/$1-raw.png" || fail "cannot take a screenshot"
  convert "$WORK/$1-raw.png" -crop 1280x960+0+32 +repage -sample 800x600 "$WORK/$1.png"
}

# color FILE X Y: the colour of a pixel as "R G B" in decimal.
color() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 | grep -o '#[0-9A-Fa-f]\{6\}' |
    sed -E 's/#(..)(..)(..)/\1 \2 \3/' | while read -r r g b; do echo "$((16#$r)) $((16#$g)) $((16#$b))"; done
}

# wait_line LOG TEXT SECONDS: waits until the program has written TEXT.
wait_line() {
  for _ in $(seq 1 $(($3 * 20))); do
    grep -qx "$2" "$1" && return 0
    sleep 0.05
  done
  fail "no \"$2\" within $3 s: $(cat "$1")"
}

# ---------------------------------------------------------------------------
# Palette
# ---------------------------------------------------------------------------

# 16 x 16 tiles of 16 pixels, all colours different, as an uncompressed 8-bit
# bitmap with a palette of 256 entries.
convert -size 16x16 xc: -channel R -fx 'i/15' -channel G -fx 'j/15' -channel B -fx '0.3+0.7*(i+j)/30' +channel \
  -scale 1600% -type palette -compress none bmp3:"$WORK/tiles.bmp" || fail "ImageMagick cannot make the picture"
[ "$(od -An -tu1 -j28 -N1 "$WORK/tiles.bmp" | tr -d ' ')" = 8 ] || fail "the picture is not 8-bit"
read -r b0 g0 r0 < <(od -An -tu1 -j54 -N3 "$WORK/tiles.bmp")
entry0="$r0 $g0 $b0"

# Tiles to look at (their centres in the picture) and their colours in the
# file; tiles in the colour of entry 0 are left out, as they do not fade.
points=()
for tile in "3 5" "10 12" "15 15" "8 2" "14 1" "1 9"; do
  read -r tx ty <<<"$tile"
  px=$((tx * 16 + 8)) py=$((ty * 16 + 8))
  want="$(color "$WORK/tiles.bmp" "$px" "$py")"
  [ "$want" = "$entry0" ] && continue
  points+=("$px $py $want")
done
[ "${#points[@]}" -ge 4 ] || fail "too few tiles to check"

# The picture is centred: its pixel (x, y) is at (272 + x, 172 + y).
check_tiles() {
  local name="$1" file="$2" rule="$3"
  for p in "${points[@]}"; do
    read -r px py r g b <<<"$p"
    read -r sr sg sb < <(color "$file" $((272 + px)) $((172 + py)))
    $rule "$r" "$g" "$b" "$sr" "$sg" "$sb" || fail "$name: tile at ($px, $py) is $sr $sg $sb, file has $r $g $b"
  done
  read -r br bg bb < <(color "$file" 40 40)
  [ "$br $bg $bb" = "$entry0" ] || fail "$name: the background (entry 0) is $br $bg $bb, not $entry0"
  echo "ok: $name"
}
same() { [ "$1 $2 $3" = "$4 $5 $6" ]; }
# 83 steps of 3 leave 252..255 at 3..6; anything less reaches 5 or less and
# becomes 0.
faded_out() {
  for i in 1 2 3; do
    local was="${!i}" j=$((i + 3))
    local now="${!j}" want=0
    [ "$was" -ge 252 ] && want=$((was - 249))
    [ "$now" = "$want" ] || return 1
  done
  return 0
}
violet() { [ "$4 $5 $6" = "96 64 160" ]; }
# Every channel that had light has less now (the fade has begun) and the
# brightest channel still has some (it has not ended).
dimmer() {
  for i in 1 2 3; do
    local was="${!i}" j=$((i + 3))
    local now="${!j}"
    if [ "$was" -gt 0 ]; then [ "$now" -lt "$was" ] || return 1; fi
  done
  return 0
}

# The example ends 12 s after it opened its window, some seconds after the
# last fade.
RALLEX_EXAMPLE_SECONDS=12 ./palette "$WORK/tiles.bmp" >"$WORK/palette.log" 2>&1 &
pid=$!
wait_line "$WORK/palette.log" picture 15
sleep 0.3
shot picture
check_tiles "the picture's colours" "$WORK/picture.png" same

wait_line "$WORK/palette.log" "fading out" 5
sleep 0.5
grep -qx "faded out" "$WORK/palette.log" && fail "the fade out ended before the screenshot; the machine is too slow"
shot fading
check_tiles "dimmer in every channel in the middle of the fade out" "$WORK/fading.png" dimmer
read -r wr wg wb < <(color "$WORK/fading.png" $((272 + 248)) $((172 + 248)))
[ $((wr + wg + wb)) -gt 0 ] || fail "the picture is black already in the middle of the fade out"

wait_line "$WORK/palette.log" "faded out" 5
sleep 0.2
shot out
check_tiles "black, or 3 to 6 from 252 to 255, after the fade out" "$WORK/out.png" faded_out

wait_line "$WORK/palette.log" coloured 5
sleep 0.2
shot coloured
check_tiles "violet after the fade to a colour" "$WORK/coloured.png" violet

wait_line "$WORK/palette.log" restored 5
shot restored
check_tiles "the picture's colours after the fade back" "$WORK/restored.png" same

wait_exit "$pid" 12
[ "$EXIT_STATUS" = "0" ] || fail "the palette example ended with status $EXIT_STATUS: $(cat "$WORK/palette.log")"
echo "ok: the palette example ended with status 0"

# ---------------------------------------------------------------------------
# Geometry
# ---------------------------------------------------------------------------

RALLEX_EXAMPLE_SECONDS=3 ./geometry >"$WORK/geometry.log" 2>&1 &
pid=$!
wait_line "$WORK/geometry.log" ready 15
sleep 0.5
shot geometry
g="$WORK/geometry.png"

# different A B: the number of pixels in which two pictures differ.
different() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

convert "$g" -crop 64x64+40+40 +repage "$WORK/original.png"
convert "$WORK/original.png" -flop "$WORK/flopped.png"
convert "$WORK/original.png" -flip "$WORK/flipped.png"
convert "$g" -crop 64x64+140+40 +repage "$WORK/mirrored-h.png"
convert "$g" -crop 64x64+240+40 +repage "$WORK/mirrored-v.png"
[ "$(different "$WORK/flopped.png" "$WORK/mirrored-h.png")" = 0 ] || fail "the left-right copy is not the sprite flopped"
echo "ok: the left-right copy is the sprite flopped"
[ "$(different "$WORK/flipped.png" "$WORK/mirrored-v.png")" = 0 ] || fail "the up-down copy is not the sprite flipped"
echo "ok: the up-down copy is the sprite flipped"
# At x = -20 the 20 leftmost columns of the flopped sprite are cut off.
convert "$WORK/flopped.png" -crop 44x64+20+0 +repage "$WORK/flopped-cut.png"
convert "$g" -crop 44x64+0+140 +repage "$WORK/mirrored-cut.png"
[ "$(different "$WORK/flopped-cut.png" "$WORK/mirrored-cut.png")" = 0 ] ||
  fail "the left-right copy cut by the left edge is not the flopped sprite's right part"
echo "ok: the left-right copy cut by the left edge shows the flopped sprite's right part"

# The 64 x 64 sprite resized to 200 x 40 about the centre (132, 432) of its
# unscaled place (100, 400): left 132 - 100 = 32, top 432 - 20 = 412.
box="$(convert "$g" -crop 290x100+0+380 +repage -format '%@' info:)"
[ "$box" = "200x40+32+32" ] || fail "the resized sprite covers $box of the crop at (0, 380), not 200x40+32+32"
echo "ok: the resized sprite fills (32, 412) to (232, 452)"

# Zoomed about (528 + 32, 268 + 32) = (560, 300), whatever the factor f at the
# moment of the screenshot: a square of side W = trunc(64 f) (exact in single
# and double precision alike), left trunc(560 - 32 f) and top trunc(300 - 32 f),
# which lie between trunc(c - W / 2 - 1 / 2) and trunc(c - W / 2) for their
# centre c.
box="$(convert "$g" -crop 300x300+410+150 +repage -format '%@' info:)"
IFS='x+' read -r bw bh bx by <<<"$box"
[ "$bw" = "$bh" ] || fail "the zoomed sprite is $box, not square"
[ "$bw" -ge 16 ] && [ "$bw" -le 256 ] || fail "the zoomed sprite's side $bw is outside 16..256"
left=$((410 + bx)) top=$((150 + by))
[ "$left" -ge $(((1119 - bw) / 2)) ] && [ "$left" -le $(((1120 - bw) / 2)) ] ||
  fail "the zoomed sprite of side $bw starts at x $left, outside $(((1119 - bw) / 2))..$(((1120 - bw) / 2))"
[ "$top" -ge $(((599 - bw) / 2)) ] && [ "$top" -le $(((600 - bw) / 2)) ] ||
  fail "the zoomed sprite of side $bw starts at y $top, outside $(((599 - bw) / 2))..$(((600 - bw) / 2))"
echo "ok: the zoomed sprite (side $bw) is centred on (560, 300)"

magenta="$(convert "$g" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
  -format '%[fx:round(mean*w*h)]' info:)"
[ "$magenta" = 0 ] || fail "$magenta pixels of the key colour are shown"
echo "ok: no key-coloured pixel is shown"

wait_exit "$pid" 10
[ "$EXIT_STATUS" = "0" ] || fail "the geometry example ended with status $EXIT_STATUS: $(cat "$WORK/geometry.log")"
echo "ok: the geometry example ended with status 0"
