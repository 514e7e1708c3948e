# P pauses and P resumes. While paused no game time passes, and the course
# goes on without a jump: the game time reached is 1.1 times the wall time
# minus the pause (the game runs 1.1 times the frame clock), and the pause
# the game counted is the one the player made. The game reports its clocks
# on exit through GLASSWAKE_EXIT_REPORT.
source "$(dirname "$0")/lib.bash"

export GLASSWAKE_EXIT_REPORT=$GW_TEST_HOME/exit-report
start_game --skip-dialog --windowed --size 320x180
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
# Keys reach the game only once it draws frames.
wait_drawn "$window" 60 || fail "no frame drawn"
# The right button keeps life full, so no restart sets the game clock back.
# It is released however the test ends, so that no later test finds it held.
trap 'xdotool mouseup 3 2>/dev/null || true; kill -9 $GAME_PID 2>/dev/null || true; cleanup' EXIT
xdotool mousemove 150 120 mousedown 3
sleep 1
press "$window" p
paused_at=$(date +%s.%N)
sleep 4
press "$window" p
resumed_at=$(date +%s.%N)
sleep 2
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"
press "$window" Escape
wait_exit "$GAME_PID" 30
xdotool mouseup 3
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
[ -s "$GLASSWAKE_EXIT_REPORT" ] || fail "no exit report"
cat "$GLASSWAKE_EXIT_REPORT"

game=$(json_number "$GLASSWAKE_EXIT_REPORT" game_time)
demo=$(json_number "$GLASSWAKE_EXIT_REPORT" demo_time)
paused=$(json_number "$GLASSWAKE_EXIT_REPORT" paused_time)
wall=$(json_number "$GLASSWAKE_EXIT_REPORT" wall_time)
frames=$(json_number "$GLASSWAKE_EXIT_REPORT" frames)
[ -n "$game" ] && [ -n "$paused" ] && [ -n "$wall" ] && [ "${frames:-0}" -gt 1 ] || fail "incomplete exit report"
# Presses take effect at the next frame, so the bounds allow two frames' time
# (software rendering is slow) besides the delivery of the keys.
awk -v game="$game" -v demo="$demo" -v paused="$paused" -v wall="$wall" -v frames="$frames" \
    -v paused_at="$paused_at" -v resumed_at="$resumed_at" 'BEGIN {
  pause = resumed_at - paused_at
  slack = 0.5 + 2 * wall / frames
  printf "pause %.2f s, counted %.2f s; wall %.2f s; game %.2f s; slack %.2f s\n", pause, paused, wall, game, slack
  if (paused < pause - slack || paused < 0.4 * pause || paused > pause + slack) {
    print "the pause counted is not the pause made"; exit 1
  }
  if (game < 1.1 * demo - 0.01 || game > 1.1 * demo + 0.01) { print "game time is not 1.1 times the frame time"; exit 1 }
  if (demo + paused > wall + 0.01 || demo + paused < wall - slack) { print "game time is not the wall time minus the pause"; exit 1 }
}' || fail "clocks"
echo "passed"
