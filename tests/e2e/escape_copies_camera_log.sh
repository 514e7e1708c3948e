# Enter in the dialog opens the game at the screen's mode; two middle clicks
# and Escape end it with code 0 and leave the camera log on the clipboard.
source "$(dirname "$0")/lib.bash"

set_clipboard "before"
start_game
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return

window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
geometry=$(xdotool getwindowgeometry "$window" | grep Geometry | awk '{print $2}')
[ "$geometry" = "$(xdpyinfo | awk '/dimensions/{print $2}')" ] || fail "game window is $geometry"
sleep 1
xdotool mousemove 400 300 click 2
sleep 0.3
xdotool click 2
sleep 0.3
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"

# The game has ended; its text must still be on the clipboard.
text=$(xclip -o -selection clipboard)
lines=$(printf '%s\n' "$text" | grep -c -E '^(Cam|Pnt|MCr) :' || true)
[ "$lines" -eq 6 ] || fail "expected six marker lines, got: $text"
printf '%s\n' "$text" | head -n 1 | grep -q -E '^Cam :[-0-9.e+]+,[-0-9.e+]+,0  $' || fail "first line: $text"
set_clipboard "done"  # releases the clipboard helper
echo "passed"
