# Enter in the dialog starts the game; it plays while the cursor moves and,
# for a while, the left button fires, with SDL's disk audio driver recording
# the mix. The music is heard, no volley is heard before the first press, and
# every volley the game fired is heard (its cue found in the recording by its
# waveform, as audio_cue_count finds it), whatever the machine's speed; Escape
# ends the game with code 0.
source "$(dirname "$0")/lib.bash"

work=$(mktemp -d)
cleanup() { rm -rf "$GW_TEST_HOME" "$work"; }
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE=$work/mix.raw
export GLASSWAKE_EXIT_REPORT=$work/report.json
start_game
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
wait_drawn "$window" 60 || fail "no frame drawn"

recorded() { stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0; }
sweep() {  # sweep SECONDS: the cursor moves across the screen
  local steps=$(($1 * 5)) i
  for i in $(seq "$steps"); do
    xdotool mousemove $((300 + (i * 97) % 700)) $((250 + (i * 53) % 250))
    sleep 0.2
  done
}

sweep 3
before_fire=$(recorded)
xdotool mousedown 1
sweep 4
xdotool mouseup 1
sweep 1
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"
cat "$GLASSWAKE_EXIT_REPORT"

# 16-bit stereo at 44.1 kHz: the game opens the mixer so.
bytes=$(recorded)
[ "$bytes" -gt $((3 * 44100 * 4)) ] || fail "only $bytes bytes of sound recorded"
rms=$(od -An -v -t d2 "$SDL_DISKAUDIOFILE" |
  awk '{ for (i = 1; i <= NF; ++i) { sum += $i * $i; n++ } } END { printf "%.1f\n", n ? sqrt(sum / n) : 0 }')
echo "loudness (rms) $rms"
awk -v r="$rms" 'BEGIN { exit !(r > 100) }' || fail "the music is silent"

volley="$(dirname "$GAME")/music/1.mp3"
read -r early early_best _ < <("$CUE_COUNT" "$SDL_DISKAUDIOFILE" "$volley" 0 "$before_fire") || fail "audio_cue_count"
read -r heard best weakest < <("$CUE_COUNT" "$SDL_DISKAUDIOFILE" "$volley") || fail "audio_cue_count"
fired=$(json_number "$GLASSWAKE_EXIT_REPORT" volleys)
echo "volleys fired $fired, heard $heard (matches $weakest to $best); before the first press $early (best $early_best)"
[ "$early" -eq 0 ] || fail "volleys heard before the button was pressed"
[ "${fired:-0}" -ge 1 ] || fail "no volley fired while the button was held"
# A volley fired in the last frames may not have reached the recording when the device closed.
[ "$heard" -le "$fired" ] && [ "$heard" -ge $((fired - 2)) ] && [ "$heard" -ge 1 ] ||
  fail "$fired volleys fired, $heard heard"
echo "passed"
