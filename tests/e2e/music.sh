# The music as a player hears it: the real binary plays into SDL's disk
# audio driver, which records what it is given in real time; the recording
# must hold the music file at the file's own level from the start of the
# piece past its end into its repeat.
TEST_NAME=music
. "$(dirname "$0")/common.bash"
AUDIOCHECK=${PLEMOX_BINARY_DIR}/tools/audiocheck/plemox-audiocheck
layout=--raw=44100   # the mixer's output: 44.1 kHz 16-bit stereo

make_game_copy
recording=$ARTIFACTS/music.raw
music=$GAME_DIR/Data/Audio/mirelto.mp3
length=$("$AUDIOCHECK" --length "$music") || fail "the music file cannot be decoded"
# The piece, a few seconds of its repeat, and the time before it starts.
wanted=$(awk -v l="$length" 'BEGIN { printf "%d", l + 10 }')

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$recording
start_game
answer_dialog "Information" Escape
sleep 1
answer_dialog "Information" Escape
window=$(wait_window "FPS = " 60) || fail "the game window did not appear"
echo "recording ${wanted} s of a ${length} s piece" >&2
for ((i = 0; i < wanted * 2 + 120; i++)); do
  got=$("$AUDIOCHECK" --recorded "$recording" "$layout")
  awk -v g="$got" -v w="$wanted" 'BEGIN { exit !(g >= w) }' && break
  kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while playing"
  [ "$i" -lt 30 ] || awk -v g="$got" 'BEGIN { exit !(g > 0) }' || fail "no sound reached the device in 30 s"
  sleep 1
done
"$XTOOL" close "$window"
wait_exit 0
"$AUDIOCHECK" "$music" "$recording" "$layout" --after=5 >&2 || fail "the recording does not hold the music"
rm -rf "$GAME_DIR" "$recording"
echo "music passed"
