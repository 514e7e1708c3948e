# Shared helpers of the end-to-end tests: the real game under the test
# suite's X server, driven with xdotool as a player would.
set -euo pipefail

GAME=$1
WINDOW_LIT=${3:-}  # x11_window_lit: the share of a window's pixels that are not black
CUE_COUNT=${4:-}   # audio_cue_count: the starts of a sound cue in a recording of the mix
DIALOG_NAME="Glasswake by Vexa - 2009"
GAME_NAME="Glasswake - Vexa 2009"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
# The game remembers the dialog's choices and records every run; each test
# keeps them in folders of its own, away from the tester's and the other tests'.
GW_TEST_HOME=$(mktemp -d)
export XDG_CONFIG_HOME=$GW_TEST_HOME/config
export XDG_STATE_HOME=$GW_TEST_HOME/state
cleanup() { rm -rf "$GW_TEST_HOME"; }
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

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

# wait_drawn WINDOW SECONDS: until a frame is on screen (the loader's is black)
wait_drawn() {
  local lit
  for _ in $(seq $(($2 * 5))); do
    lit=$("$WINDOW_LIT" "$1" 2>/dev/null || echo 0)
    awk -v lit="$lit" 'BEGIN { exit !(lit > 0.2) }' && return 0
    sleep 0.2
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

start_game() {  # start_game [OPTION]...
  "$GAME" "$@" &
  GAME_PID=$!
  trap 'kill -9 $GAME_PID 2>/dev/null || true; cleanup' EXIT
}

# json_number FILE KEY -> the number of "KEY" on the file's last line
json_number() { tail -n 1 "$1" | sed -n "s/.*\"$2\":\([-0-9.e+]*\).*/\1/p"; }

set_clipboard() { printf "%s" "$1" | xclip -selection clipboard -i >/dev/null 2>&1; }
