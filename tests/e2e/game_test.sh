#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rallex played in a real window: under Xvfb at 800 x 600 (so the full-screen
# picture is shown one to one) with SDL's disk audio driver recording what the
# game plays. After start-up a screenshot shows the court, the ball, both
# paddles and both score lines; the serve comes straight down onto the player's
# paddle, and the recorded audio is no longer silent after that hit; a relative
# mouse motion moves the player's paddle; Escape ends the program with status 0
# within a second.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600x24
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$WORK/audio.raw"
export SDL_DISKAUDIODELAY=10
RALLEX="$BUILD_DIR/game/rallex"
[ -x "$RALLEX" ] || fail "no rallex in $BUILD_DIR/game"
cd "$E2E_ROOT/assets"

"$RALLEX" >"$WORK/out.log" 2>&1 &
pid=$!
id="$(wait_for_window Rallex 30)" || fail "no window captioned Rallex appeared: $(cat "$WORK/out.log")"

source "$(dirname "$0")/shots.sh"

# Past the one-second pause: wait for the first picture of the court (start-up
# can take a while on a busy machine).
wait_for_court "$pid" "$WORK/out.log" "$WORK/start.png" root 40 0.2 || fail "no blue court in the field"
sleep 0.2
import -window root "$WORK/start.png" || fail "cannot take a screenshot"
[ -n "${GAME_SHOTS:-}" ] && cp "$WORK/start.png" "$GAME_SHOTS/start.png"

# The court: blue in the open field, plain dark score band.
read -r r g b <<<"$(rgb "$WORK/start.png" 20 590)"
[ "$r" -lt 40 ] && [ "$g" -lt 40 ] && [ "$b" -lt 50 ] || fail "the score band is not dark ($r $g $b)"
echo "ok: court and score band"

# The ball: one ball's worth of orange on the screen. At 60 frames a second the
# serve crosses the field in about a second, which a screenshot on a busy
# machine can miss (the ball then waits off the screen through the pause after
# the point), so look again a few times.
for _ in $(seq 1 20); do
  n="$(count "$WORK/start.png" 800x600+0+0 $BALL)"
  [ "$n" -ge 200 ] && [ "$n" -le 625 ] && break
  sleep 0.1
  import -window root "$WORK/start.png" || fail "cannot take a screenshot"
done
[ "$n" -ge 200 ] && [ "$n" -le 625 ] || fail "no single ball on the screen ($n orange pixels)"
echo "ok: the ball"

# The paddles: the player's at (360, 530) where the mouse starts, the
# computer's at y 50 (following the ball, so somewhere near the middle).
n="$(count "$WORK/start.png" 80x15+360+530 $METAL)"
[ "$n" -ge 600 ] || fail "no player paddle at (360, 530) ($n silver pixels)"
n="$(count "$WORK/start.png" 300x15+250+50 $METAL)"
[ "$n" -ge 600 ] || fail "no computer paddle at y 50 ($n silver pixels)"
echo "ok: both paddles"

# The court fills the field and the score lines stand at x 60 and 650, as wide
# as "Your Score: 0" and "Computer Score: 0".
check_court_and_scores "$WORK/start.png"
echo "ok: court and score lines"

# The first sound is the paddle hit of the serve; wait for it in the recording.
audio_peak() {
  od -An -v -td2 -w2 "$SDL_DISKAUDIOFILE" 2>/dev/null |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}
peak=0
for _ in $(seq 1 50); do
  peak="$(audio_peak)"
  [ "$peak" -gt 1000 ] && break
  sleep 0.1
done
[ "$peak" -gt 1000 ] || fail "the recorded audio stays silent (peak $peak) after the serve reached the paddle"
echo "ok: the paddle hit is heard (peak $peak)"

# The mouse moves the player's paddle: 200 pixels to the left.
xdotool mousemove_relative -- -200 0
# A busy machine may show the move a few frames late: look again for a while.
for _ in $(seq 1 15); do
  sleep 0.2
  import -window root "$WORK/moved.png" || fail "cannot take a screenshot"
  n="$(count "$WORK/moved.png" 80x15+160+530 $METAL)"
  [ "$n" -ge 600 ] && break
done
[ -n "${GAME_SHOTS:-}" ] && cp "$WORK/moved.png" "$GAME_SHOTS/moved.png"
[ "$n" -ge 600 ] || fail "the player's paddle did not move to x 160 ($n silver pixels there)"
n="$(count "$WORK/moved.png" 40x15+380+530 $METAL)"
[ "$n" -le 40 ] || fail "the player's paddle is still at x 360 ($n silver pixels)"
echo "ok: the mouse moved the player's paddle to x 160"

# A pointer that reports positions (a tablet, a remote desktop; xdotool's
# mousemove): the paddle's red middle follows it step for step, left and right.
RED="70 100 -1 40 -1 40"
paddle_middle() {
  import -window root "$WORK/abs.png" || fail "cannot take a screenshot"
  ink_columns "$WORK/abs.png" 800x8+0+533 $RED | awk '{ print int(($1 + $2) / 2) }'
}
xdotool mousemove 400 500
# The starting place once the paddle has settled there: two readings 0.3 s
# apart that agree (a busy machine shows the move a few frames late).
before="$(paddle_middle)"
for _ in $(seq 1 10); do
  sleep 0.3
  again="$(paddle_middle)"
  [ "$again" = "$before" ] && break
  before="$again"
done
for step in -100 250 -300; do
  target=$(( $(xdotool getmouselocation | sed 's/x:\([0-9]*\).*/\1/') + step ))
  xdotool mousemove "$target" 500
  # (A point's one-second pause holds the game.)
  for _ in $(seq 1 15); do
    sleep 0.1
    after="$(paddle_middle)"
    moved=$((after - before))
    [ $((moved - step)) -ge -2 ] && [ $((moved - step)) -le 2 ] && break
  done
  [ $((moved - step)) -ge -2 ] && [ $((moved - step)) -le 2 ] ||
    fail "the pointer moved $step to x $target, the paddle's middle $moved ($before to $after)"
  before="$after"
done
echo "ok: the paddle follows a pointer that reports positions"

# Escape ends the game with status 0 (a point's one-second pause may be
# running, which holds every message; the timing is checked on a fresh start).
kill -0 "$pid" 2>/dev/null || fail "rallex ended by itself: $(cat "$WORK/out.log")"
xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape
wait_exit "$pid" 5
[ "$EXIT_STATUS" = "0" ] || fail "exit status after Escape was $EXIT_STATUS: $(cat "$WORK/out.log")"
echo "ok: Escape ended rallex with status 0"

# Escape while the serve is on its way (no pause running): the program ends
# within a second.
"$RALLEX" >"$WORK/out2.log" 2>&1 &
pid=$!
id="$(wait_for_window Rallex 30)" || fail "no window on the second start: $(cat "$WORK/out2.log")"
wait_for_court "$pid" "$WORK/out2.log" "$WORK/second.png" root 80 0.1 || fail "no court on the second start"
start=$(date +%s%N)
xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape
wait_exit "$pid" 5
end=$(date +%s%N)
[ "$EXIT_STATUS" = "0" ] || fail "exit status after Escape was $EXIT_STATUS: $(cat "$WORK/out2.log")"
ms=$(((end - start) / 1000000))
[ "$ms" -le 1000 ] || fail "rallex took $ms ms to end after Escape"
echo "ok: Escape ended rallex with status 0 in $ms ms"
