# A run played through the real game with --record and left with Escape is
# re-simulated by glasswake-inspect (it agrees with the trailer), played back
# by glasswake --replay (exit 0, same clocks, score and last picture as the
# run's own), and exported as .mp4 and .webm videos whose streams ffprobe
# reads back with the codecs, size, rate and duration asked for, with sound.
source "$(dirname "$0")/lib.bash"

build=$(dirname "$GAME")
work=$(mktemp -d)
cleanup() { rm -rf "$GW_TEST_HOME" "$work"; }
replay=$work/run.gwreplay

GLASSWAKE_EXIT_REPORT=$work/run.json "$GAME" --record "$replay" &
GAME_PID=$!
trap 'kill -9 $GAME_PID 2>/dev/null || true; cleanup' EXIT
dialog=$(wait_window "$DIALOG_NAME" 30) || fail "no settings dialog"
press "$dialog" Return
window=$(wait_window "$GAME_NAME" 30) || fail "no game window"
for i in $(seq 20); do
  xdotool mousemove $((400 + (i * 83) % 500)) $((250 + (i * 37) % 200))
  [ "$i" -eq 5 ] && xdotool mousedown 1
  [ "$i" -eq 15 ] && xdotool mouseup 1
  sleep 0.2
done
press "$window" Escape
wait_exit "$GAME_PID" 30
[ "$EXIT_CODE" -eq 0 ] || fail "recorded run: exit code $EXIT_CODE"
[ -s "$replay" ] || fail "no replay written"
[ ! -e "$XDG_STATE_HOME/glasswake/last.gwreplay" ] || fail "--record still wrote last.gwreplay"

inspected=$("$build/glasswake-inspect" replay "$replay") || fail "inspect: $inspected"
echo "inspect: $inspected"
grep -q '"agrees":true' <<<"$inspected" || fail "the simulation does not agree"
field() { grep -o "\"$1\":[^,}]*" <<<"$2" | head -n 1 | cut -d: -f2 | tr -d '"'; }
frames=$(field frames "$inspected")
[ "$frames" -ge 2 ] || fail "only $frames frames recorded"

GLASSWAKE_EXIT_REPORT=$work/replay.json "$GAME" --replay "$replay" &
GAME_PID=$!
wait_exit "$GAME_PID" 60
[ "$EXIT_CODE" -eq 0 ] || fail "replay: exit code $EXIT_CODE"
[ ! -e "$XDG_STATE_HOME/glasswake/last.gwreplay" ] || fail "the playback recorded itself"
run=$(cat "$work/run.json")
again=$(cat "$work/replay.json")
echo "run:    $run"
echo "replay: $again"
for key in frames game_time score life levels_completed levels_lost last_frame; do
  [ -n "$(field "$key" "$run")" ] || fail "no $key in the run's report"
  [ "$(field "$key" "$run")" = "$(field "$key" "$again")" ] || fail "$key differs"
done
[ "$(field demo_time "$run")" = "$(field demo_time "$again")" ] || fail "the shell's clock differs"

seconds=$(field demo_seconds "$inspected")
for video in run.mp4 run.webm; do
  "$build/glasswake-capture" --replay "$replay" --video "$work/$video" --size 160x90 --fps 30 2>"$work/export.log" ||
    fail "export of $video: $(cat "$work/export.log")"
  probe=$(ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate \
    -show_entries format=duration -of default=nw=1 "$work/$video")
  echo "$video: $(tr '\n' ' ' <<<"$probe")"
  case $video in
    *.mp4) video_codec=h264 audio_codec=aac ;;
    *.webm) video_codec=vp9 audio_codec=opus ;;
  esac
  grep -qx "codec_name=$video_codec" <<<"$probe" || fail "$video: not $video_codec"
  grep -qx "codec_name=$audio_codec" <<<"$probe" || fail "$video: no $audio_codec sound"
  grep -qx "width=160" <<<"$probe" && grep -qx "height=90" <<<"$probe" || fail "$video: not 160x90"
  grep -qx "r_frame_rate=30/1" <<<"$probe" || fail "$video: not 30 frames a second"
  duration=$(grep '^duration=' <<<"$probe" | cut -d= -f2)
  awk -v d="$duration" -v s="$seconds" 'BEGIN { e = d - s; if (e < 0) e = -e; exit !(e <= 1.0 / 30 + 0.01) }' ||
    fail "$video lasts $duration s, the run $seconds s"
  loudest=$(ffmpeg -hide_banner -nostats -i "$work/$video" -map 0:a -af volumedetect -f null - 2>&1 |
    grep -o 'max_volume: [-0-9.]*' | awk '{print $2}')
  awk -v v="$loudest" 'BEGIN { exit !(v != "" && v > -40) }' || fail "$video: the sound is silent ($loudest dB)"
done
echo "passed"
