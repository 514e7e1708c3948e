# SIGTERM and SIGINT during play end the game through its ordinary teardown:
# exit code 128 + the signal, and what only that teardown leaves behind - the
# exit report and a replay that ends with its trailer, re-simulated in
# agreement. (A signal left to its default action also exits 128 + the signal,
# but writes neither.) The order of the teardown's calls (display mode,
# cursor, window) is checked by the fatal-exit tests.
source "$(dirname "$0")/lib.bash"

build=$(dirname "$GAME")
work=$(mktemp -d)
cleanup() { rm -rf "$GW_TEST_HOME" "$work"; }

for signal in TERM INT; do
  report=$work/$signal.json
  replay=$work/$signal.gwreplay
  GLASSWAKE_EXIT_REPORT=$report "$GAME" --record "$replay" &
  GAME_PID=$!
  trap 'kill -9 $GAME_PID 2>/dev/null || true; cleanup' EXIT
  dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
  press "$dialog" Return
  window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
  wait_drawn "$window" 60 || fail "no frame drawn"
  kill -"$signal" "$GAME_PID"
  wait_exit "$GAME_PID" 30
  expected=$((128 + $(kill -l "$signal")))
  [ "$EXIT_CODE" -eq "$expected" ] || fail "SIG$signal: exit code $EXIT_CODE, expected $expected"
  grep -q '"frames":[1-9]' "$report" 2>/dev/null || fail "SIG$signal: no exit report of the run"
  inspected=$("$build/glasswake-inspect" replay "$replay") || fail "SIG$signal: the replay: $inspected"
  grep -q '"complete":true' <<<"$inspected" || fail "SIG$signal: the replay has no trailer"
  grep -q '"agrees":true' <<<"$inspected" || fail "SIG$signal: the replay does not agree"
  if xdotool search --name "$GAME_NAME" >/dev/null 2>&1; then fail "SIG$signal: the game window is still there"; fi
  echo "SIG$signal: exit $EXIT_CODE, $(cat "$report")"
done
echo "passed"
