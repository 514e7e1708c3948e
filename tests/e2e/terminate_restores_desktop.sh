# SIGTERM during play ends the game through its ordinary teardown: the exit
# report is written, the full-screen window goes and the exit code is 128 + 15.
source "$(dirname "$0")/lib.bash"

export GLASSWAKE_EXIT_REPORT=$(mktemp)
start_game
trap 'kill -9 $GAME_PID 2>/dev/null || true; rm -f "$GLASSWAKE_EXIT_REPORT"' EXIT
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
wait_window "$GAME_NAME" 30 >/dev/null || fail "no game window"
sleep 1
kill -TERM "$GAME_PID"
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 143 ] || fail "exit code $EXIT_CODE"
grep -q '"demo_time"' "$GLASSWAKE_EXIT_REPORT" || fail "no exit report"
if xdotool search --name "$GAME_NAME" >/dev/null 2>&1; then fail "the game window is still there"; fi
echo "passed"
