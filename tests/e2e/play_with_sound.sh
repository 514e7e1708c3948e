# Enter in the dialog starts the game; it plays for over 10 s while the cursor
# moves and the left button fires, with SDL's disk audio driver recording the
# mix. The recording is not silent, the volleys stand out while firing, and
# Escape ends the game with code 0.
source "$(dirname "$0")/lib.bash"

work=$(mktemp -d)
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE=$work/mix.raw
start_game
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"

recorded() { stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0; }
sweep() {  # sweep SECONDS: the cursor moves across the screen
  local steps=$(($1 * 5)) i
  for i in $(seq "$steps"); do
    xdotool mousemove $((300 + (i * 97) % 700)) $((250 + (i * 53) % 250))
    sleep 0.2
  done
}

sweep 4
quiet_start=$(recorded)
sweep 3
quiet_end=$(recorded)
xdotool mousedown 1
sweep 4
xdotool mouseup 1
fire_end=$(recorded)
sweep 1
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "exit code $EXIT_CODE"

# 16-bit stereo at 44.1 kHz: the game opens the mixer so.
bytes=$(recorded)
[ "$bytes" -gt $((10 * 44100 * 4)) ] || fail "only $bytes bytes of sound recorded"
# Loudness and the energy of the sample-to-sample difference (the volley is a
# bright zap; the music is mostly low) over the quiet and the firing stretch.
measure() {  # measure FROM TO -> "rms high"
  od -An -v -t d2 -j "$1" -N $(($2 - $1)) "$SDL_DISKAUDIOFILE" |
    awk '{ for (i = 1; i <= NF; i += 2) { s = $i; n++; sum += s * s; if (n > 1) hi += (s - p) * (s - p); p = s } }
         END { if (n < 2) { print 0, 0 } else printf "%.1f %.1f\n", sqrt(sum / n), sqrt(hi / (n - 1)) }'
}
align() { echo $(($1 / 4 * 4)); }
read -r quiet_rms quiet_high < <(measure "$(align "$quiet_start")" "$(align "$quiet_end")")
# The firing stretch, from half a second after the press on.
read -r fire_rms fire_high < <(measure "$(align $((quiet_end + 44100 * 2)))" "$(align "$fire_end")")
echo "quiet: rms $quiet_rms high $quiet_high; firing: rms $fire_rms high $fire_high"
awk -v r="$quiet_rms" 'BEGIN { exit !(r > 100) }' || fail "the music is silent"
awk -v q="$quiet_high" -v f="$fire_high" 'BEGIN { exit !(f > 1.5 * q) }' || fail "no volleys heard while firing"
rm -rf "$work"
echo "passed"
