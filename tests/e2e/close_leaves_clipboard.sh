# Closing the game window ends with code 0 and leaves the clipboard alone.
source "$(dirname "$0")/lib.bash"
CLOSE_WINDOW=$2

set_clipboard "untouched"
start_game
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
sleep 1
xdotool mousemove 420 320 click 2
sleep 0.3
"$CLOSE_WINDOW" "$window"
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
[ "$(xclip -o -selection clipboard)" = "untouched" ] || fail "clipboard changed"
echo "passed"
