# SPDX-License-Identifier: MIT
# Shared by the end-to-end scripts that look at screenshots of the game:
# pixel and region measurements with ImageMagick, the game's colours, and a
# check of the court and the score lines. Source after lib.sh.
# One pixel of a screenshot as three decimal numbers "R G B".
rgb() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
    sed -n 's/.*srgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p'
}
# A region of a screenshot as a black-and-white mask of the pixels whose
# channels lie in the given ranges (percent): rmin rmax gmin gmax bmin bmax.
# Per-channel thresholds combined with a minimum, fast enough for whole frames.
mask() {
  local shot="$1" geometry="$2"
  convert "$shot" -crop "$geometry" +repage -separate \
    \( -clone 0 -threshold "$3%" \) \( -clone 0 -threshold "$4%" -negate \) \
    \( -clone 1 -threshold "$5%" \) \( -clone 1 -threshold "$6%" -negate \) \
    \( -clone 2 -threshold "$7%" \) \( -clone 2 -threshold "$8%" -negate \) \
    -delete 0-2 -evaluate-sequence min "${@:9}"
}
# How many pixels of a region pass.
count() {
  mask "$@" -format '%[fx:round(mean*w*h)]' info:
}
# The leftmost and rightmost columns of a region that hold a passing pixel.
ink_columns() {
  mask "$@" -scale "x1!" -threshold 0 txt:- |
    awk -F'[,:]' '/#FFFFFF|white|gray\(255\)/ { if (first == "") first = $1; last = $1 } END { print first, last }'
}
BALL="60 100 30 85 -1 35"     # the orange ball
METAL="45 100 45 100 50 100"  # the paddles' silver
YELLOW="80 100 80 100 -1 30"  # the score lines
COURT="-1 30 -1 100 25 100"   # the blue court

# check_court_and_scores SHOT: the blue court fills the open field, the score
# band is dark, and yellow ink starts at x 60 and 650 in the rows 560..576, as
# wide as "Your Score: 0" and "Computer Score: 0".
check_court_and_scores() {
  local shot="$1" n r g b left right l1 l2 r1 r2
  n="$(count "$shot" 200x100+100+150 $COURT)"
  [ "$n" -ge 19000 ] || fail "no blue court in the field ($n blue pixels)"
  read -r r g b <<<"$(rgb "$shot" 20 590)"
  [ "$r" -lt 40 ] && [ "$g" -lt 40 ] && [ "$b" -lt 50 ] || fail "the score band is not dark ($r $g $b)"
  left="$(ink_columns "$shot" 300x18+0+559 $YELLOW)"
  right="$(ink_columns "$shot" 200x18+600+559 $YELLOW)"
  read -r l1 l2 <<<"$left"
  read -r r1 r2 <<<"$right"
  [ -n "$l1" ] && [ "$l1" -ge 60 ] && [ "$l1" -le 63 ] || fail "the player's score line does not start at x 60 ($left)"
  [ $((l2 - l1)) -ge 70 ] && [ $((l2 - l1)) -le 100 ] || fail "the player's score line has the wrong width ($left)"
  [ -n "$r1" ] && [ $((r1 + 600)) -ge 650 ] && [ $((r1 + 600)) -le 653 ] ||
    fail "the computer's score line does not start at x 650 ($right)"
  [ $((r2 - r1)) -ge 100 ] && [ $((r2 - r1)) -le 130 ] || fail "the computer's score line has the wrong width ($right)"
}

# play_from DIR COMMAND...: starts COMMAND with DIR as its working directory
# (under the running Xvfb, which must be 800 x 600), waits for the court, checks
# a screenshot of it, then presses Escape: the program must end with status 0.
play_from() {
  local dir="$1" pid id log
  shift
  log="$WORK/play.$$.$RANDOM.log"
  (cd "$dir" && exec "$@") >"$log" 2>&1 &
  pid=$!
  id="$(wait_for_window Rallex 30)" || fail "no window captioned Rallex appeared: $(cat "$log")"
  wait_for_court "$pid" "$log" "$WORK/installed.png" root 60 0.2 || fail "no blue court in the field: $(cat "$log")"
  sleep 0.2
  import -window root "$WORK/installed.png" || fail "cannot take a screenshot"
  check_court_and_scores "$WORK/installed.png"
  grep -q "cannot load" "$log" && fail "rallex could not load its files: $(cat "$log")"
  xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape
  wait_exit "$pid" 5
  [ "$EXIT_STATUS" = "0" ] || fail "exit status after Escape was $EXIT_STATUS: $(cat "$log")"
  rm -f "$WORK/installed.png"
}
