# Command lines that once lost a run, end to end:
# - a window too small for a picture is a usage error (exit 2), not a replay
#   the reader refuses;
# - a pipe where settings.ini should be does not hang the start (one line on
#   stderr, the designed defaults);
# - quitting from the pause (P, then Escape) leaves a replay that
#   glasswake-inspect re-simulates in agreement and --replay plays (exit 0);
# - SIGHUP (the terminal closed) ends the run as closing the window does:
#   exit 129, the trailer written;
# - a recording whose last 200 bytes are zeros (a power cut) keeps the frames
#   before the damage, and glasswake-inspect reports them.
source "$(dirname "$0")/lib.bash"

build=$(dirname "$GAME")
work=$(mktemp -d)
cleanup() { rm -rf "$GW_TEST_HOME" "$work"; }
field() { grep -o "\"$1\":[^,}]*" <<<"$2" | head -n 1 | cut -d: -f2 | tr -d '"'; }
# wait_frames FILE N: until the recording being written holds N frames
wait_frames() {
  local n
  for _ in $(seq 600); do
    n=$(field frames "$("$build/glasswake-inspect" replay "$1" 2>/dev/null || true)")
    [ "${n:-0}" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

set +e
"$GAME" --skip-dialog --windowed --size 1x1 2>"$work/usage.txt"
code=$?
set -e
[ "$code" -eq 2 ] || fail "--size 1x1: exit code $code, expected 2"
grep -q "16x16 at least" "$work/usage.txt" || fail "--size 1x1: no reason given"

mkdir -p "$XDG_CONFIG_HOME/glasswake"
mkfifo "$XDG_CONFIG_HOME/glasswake/settings.ini"
paused=$work/paused.gwreplay
start_game --skip-dialog --windowed --size 160x90 --record "$paused" 2>"$work/start.txt"
window=$(wait_window "$GAME_NAME" 60) || fail "no game window with a pipe at settings.ini"
wait_drawn "$window" 60 || fail "no frame drawn"
grep -q "settings.ini" "$work/start.txt" || fail "nothing said of the unreadable settings.ini"
press "$window" p
sleep 1
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "quit from the pause: exit code $EXIT_CODE"
inspected=$("$build/glasswake-inspect" replay "$paused") || fail "quit from the pause: $inspected"
grep -q '"ending":"exit fade"' <<<"$inspected" || fail "quit from the pause: $inspected"
grep -q '"agrees":true' <<<"$inspected" || fail "quit from the pause: $inspected"
"$GAME" --replay "$paused" || fail "--replay of a run quit from the pause: exit code $?"

hangup=$work/hangup.gwreplay
start_game --skip-dialog --windowed --size 160x90 --record "$hangup"
window=$(wait_window "$GAME_NAME" 60) || fail "no game window"
wait_frames "$hangup" 40 || fail "the recording does not grow"
kill -HUP "$GAME_PID"
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 129 ] || fail "SIGHUP: exit code $EXIT_CODE"
inspected=$("$build/glasswake-inspect" replay "$hangup") || fail "SIGHUP: $inspected"
grep -q '"ending":"window closed"' <<<"$inspected" || fail "SIGHUP: no trailer: $inspected"

# The power cut: the last 200 bytes become zeros.
frames=$(field frames "$inspected")
bytes=$(stat -c %s "$hangup")
dd if=/dev/zero of="$hangup" bs=1 count=200 seek=$((bytes - 200)) conv=notrunc status=none
set +e
kept=$("$build/glasswake-inspect" replay "$hangup" 2>"$work/kept.txt")
code=$?
set -e
[ "$code" -eq 1 ] || fail "a damaged end: exit code $code"
grep -q '"complete":false' <<<"$kept" || fail "a damaged end: $kept"
[ "$(field frames "$kept")" -gt 0 ] || fail "a damaged end lost every frame: $kept ($(cat "$work/kept.txt"))"
grep -q "frames before it are kept" "$work/kept.txt" || fail "a damaged end: $(cat "$work/kept.txt")"
echo "SIGHUP run: $frames frames; after the power cut $(field frames "$kept") kept"
echo "passed"
