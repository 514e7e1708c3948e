# Shared helpers of the end-to-end tests: the real game under the test
# suite's X server, driven with xdotool as a player would.
set -euo pipefail

GAME=$1
DIALOG_NAME="Glasswake by Vexa - 2009"
GAME_NAME="Glasswake - Vexa 2009"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1

fail() { echo "FAIL: $*" >&2; exit 1; }

# The game records every run into the state folder: keep the tests' runs
# out of the user's.
export XDG_STATE_HOME=$(mktemp -d)
cleanup() { rm -rf "$XDG_STATE_HOME"; }
trap cleanup EXIT

# wait_window NAME SECONDS -> prints the window id
wait_window() {
  local name=$1 seconds=$2 id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --name "$name" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_exit PID SECONDS -> sets EXIT_CODE
wait_exit() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      set +e; wait "$pid"; EXIT_CODE=$?; set -e
      return 0
    fi
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  fail "the game did not end within ${seconds}s"
}

press() { xdotool windowfocus --sync "$1" 2>/dev/null || true; xdotool key --clearmodifiers "$2"; }

start_game() {
  "$GAME" &
  GAME_PID=$!
  trap 'kill -9 $GAME_PID 2>/dev/null || true; cleanup' EXIT
}

set_clipboard() { printf "%s" "$1" | xclip -selection clipboard -i >/dev/null 2>&1; }
