# An unknown option or a bad value prints the usage on stderr and ends with
# code 2 before any window opens; --help and --version print to stdout and
# end with 0.
source "$(dirname "$0")/lib.bash"

out=$GW_TEST_HOME/out
err=$GW_TEST_HOME/err
run() {  # run OPTION... -> sets CODE
  set +e
  "$GAME" "$@" >"$out" 2>"$err"
  CODE=$?
  set -e
}
for args in "--bogus" "--size 12" "--size=0x600" "--windowed=yes" "-x" "file"; do
  # shellcheck disable=SC2086  # the words are the options
  run $args
  [ "$CODE" -eq 2 ] || fail "$args: exit code $CODE"
  grep -q -- "--skip-dialog" "$err" || fail "$args: no usage on stderr"
  [ ! -s "$out" ] || fail "$args: wrote to stdout"
done
run --help
[ "$CODE" -eq 0 ] || fail "--help: exit code $CODE"
grep -q "^Usage: glasswake" "$out" || fail "--help: no usage"
run --version
[ "$CODE" -eq 0 ] || fail "--version: exit code $CODE"
grep -q "^glasswake [0-9]" "$out" || fail "--version: $(cat "$out")"
if xdotool search --name "$GAME_NAME" >/dev/null 2>&1; then fail "a game window appeared"; fi
echo "passed"
