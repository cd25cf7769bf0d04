# The music of the Windows program as a player hears it: Wine's audio
# driver set to ALSA, whose default device (in a private HOME's .asoundrc)
# is a file device writing what it is given into a FIFO, read at the
# stream's own rate by plemox-audiocheck (the null device behind the file
# device has no clock). The recording must hold the music file at the file's
# own level from the start of the piece past its end into its repeat, and
# the game must not warn about its sound. The game runs in a small window
# with one rendering thread, so the software renderer leaves the audio
# threads room on a two-core machine.
# Needs PLEMOX_HOST_BUILD: the host build with tools/audiocheck/plemox-audiocheck.
TEST_NAME=music
WINE_AUDIO=alsa
. "$(dirname "$0")/common.bash"
AUDIOCHECK=${PLEMOX_HOST_BUILD:?the host build folder}/tools/audiocheck/plemox-audiocheck
[ -x "$AUDIOCHECK" ] || fail "no $AUDIOCHECK"

make_game_copy
recording=$ARTIFACTS/music.wav
music=$GAME_DIR/Data/Audio/mirelto.mp3
length=$("$AUDIOCHECK" --length "$music") || fail "the music file cannot be decoded"
wanted=$(awk -v l="$length" 'BEGIN { printf "%d", l + 10 }')

export HOME=$ARTIFACTS/home
mkdir -p "$HOME"
mkfifo "$ARTIFACTS/device"
# 16-bit samples (converted by ALSA's plug device): the file device labels
# every 32-bit format, floats too, as integer samples in its WAV header.
cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
  type plug
  slave {
    pcm "recorder"
    format S16_LE
  }
}
pcm.recorder {
  type file
  slave.pcm "null"
  file "$ARTIFACTS/device"
  format "wav"
}
ALSA
"$AUDIOCHECK" --pace "$ARTIFACTS/device" "$recording" &
HELPER_PIDS=$!

write_config 320 240 32
export LP_NUM_THREADS=1
start_game
answer_dialog "Information" n fullscreen_question
answer_dialog "Information" n postprocessing_question
window=$(wait_window "^FPS = [0-9]+\$" 120) || fail "the game window did not appear"
echo "recording ${wanted} s of a ${length} s piece" >&2
started=$SECONDS
for ((i = 0; i < wanted * 2 + 120; i++)); do
  got=$("$AUDIOCHECK" --recorded "$recording")
  awk -v g="$got" -v w="$wanted" 'BEGIN { exit !(g >= w) }' && break
  kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while playing"
  [ "$i" -lt 30 ] || awk -v g="$got" 'BEGIN { exit !(g > 0) }' || fail "no sound reached the device in 30 s"
  sleep 1
done
echo "recorded $got s in $((SECONDS - started)) s" >&2
screenshot menu
bright menu 30 50 140 40 60 || fail "no menu while the music played"

xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+F4
wait_exit 0
[ "$(grep -c MSGBOX_OnInit "$ARTIFACTS/game.log")" = 2 ] || fail "boxes beside the two questions: $(grep msgbox "$ARTIFACTS/game.log")"
wineserver -k 2>/dev/null
kill "$HELPER_PIDS"
wait "$HELPER_PIDS"
HELPER_PIDS=
ls "$recording".* >/dev/null 2>&1 && echo "note: the device was opened for more than one stream: $(ls "$recording".*)" >&2
# The player streams the music through Wine's decoder, whose threads starve
# now and then on a busy two-core machine: up to a third of the seconds may
# hold a dropout (measured: a fifth under a load of seven).
"$AUDIOCHECK" "$music" "$recording" --after=5 --dropouts=33 >&2 || fail "the recording does not hold the music"
rm -rf "$GAME_DIR" "$recording" "$ARTIFACTS/device"
echo "wine music passed"
