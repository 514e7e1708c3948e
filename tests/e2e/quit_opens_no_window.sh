# "Quit" ends the program with code 0 before any game window exists.
source "$(dirname "$0")/lib.bash"

start_game
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# The "Quit" button's centre lies at (147, 71.5) of the 179 x 88 dialog units.
xdotool mousemove --window "$dialog" $((WIDTH * 147 / 179)) $((HEIGHT * 715 / 880))
sleep 0.2
xdotool click 1
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
if xdotool search --name "$GAME_NAME" >/dev/null 2>&1; then fail "a game window appeared"; fi
echo "passed"
