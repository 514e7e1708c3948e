# Started where there is no X or Wayland display (a console, an SSH session
# without forwarding), the game says so in one line on stderr and exits 0,
# although SDL would fall back to a driver that shows nothing. Named in
# SDL_VIDEODRIVER, such a driver is taken as asked for.
source "$(dirname "$0")/lib.bash"

runtime=$(mktemp -d)  # no Wayland socket in it
trap 'rm -rf "$runtime"' EXIT
console() { env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$runtime" "$@"; }

set +e
err=$(console timeout 30 "$GAME" 2>&1 >/dev/null)
code=$?
set -e
[ "$code" -eq 0 ] || fail "exit code $code, stderr: $err"
[ "$err" = "Glasswake needs a graphical display." ] || fail "stderr: $err"

# The dummy driver, asked for, is used: it has no GL, so the window cannot be made.
set +e
err=$(console SDL_VIDEODRIVER=dummy timeout 30 "$GAME" 2>&1 >/dev/null)
code=$?
set -e
[ "$code" -eq 0 ] || fail "dummy driver: exit code $code, stderr: $err"
case "$err" in *"needs a graphical display"*) fail "dummy driver refused: $err" ;; esac
echo "passed"
