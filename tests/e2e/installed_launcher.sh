# The installed launcher in bin/ starts the game from an unrelated working
# folder: it finds its assets beside the real executable, plays, and Escape
# ends it with code 0 and the camera log on the clipboard (a missing asset
# would have ended it at loading, before any marker).
source "$(dirname "$0")/lib.bash"

prefix=$(mktemp -d)
elsewhere=$(mktemp -d)
cmake --install "$(dirname "$GAME")" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
GAME=$prefix/games/glasswake
[ -x "$GAME" ] || fail "no launcher in games/"

set_clipboard "before"
cd "$elsewhere"
start_game
trap 'kill -9 $GAME_PID 2>/dev/null || true; rm -rf "$prefix" "$elsewhere" "$GW_TEST_HOME"' EXIT
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
sleep 2
xdotool mousemove 400 300 click 2  # a camera marker for the log
sleep 0.3
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
text=$(xclip -o -selection clipboard)
printf '%s\n' "$text" | grep -q -E '^Cam :' || fail "no camera log on the clipboard: $text"
set_clipboard "done"  # releases the clipboard helper
echo "passed"
