# A material map that claims more than a 32-bit program can hold: a valid
# run-length RGBE picture of 16384 x 16384 pixels (17 MB of runs, 3 GiB as
# floats) in place of the first material's diffuse map. The RGBE loader
# refuses it with its own message ("Error"), and the game plays on: the
# menu, a new game with its hit-point bar, and Quit Game with exit code 0.
TEST_NAME=huge_rgbe
. "$(dirname "$0")/common.bash"

map=Data/Textures/Materials/WetRockDiffuse.hdr
side=16384

# One run-length scanline (markers 2, 2 and the width; per component 129
# runs of 127 bytes and one of 1, all of mantissa 128 or exponent 128),
# doubled up to the picture's height.
make_picture() {
  local line=$1.line i c
  {
    printf '\002\002\100\000'
    for c in 1 2 3 4; do
      for ((i = 0; i < 129; i++)); do printf '\377\200'; done
      printf '\201\200'
    done
  } >"$line"
  [ "$(stat -c %s "$line")" = 1044 ] || fail "the scanline holds $(stat -c %s "$line") bytes"
  for ((i = 1; i < side; i *= 2)); do
    cat "$line" "$line" >"$line.twice"
    mv "$line.twice" "$line"
  done
  { printf '#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n' "$side" "$side"; cat "$line"; } >"$1"
  rm -f "$line"
}

make_game_copy
[ -f "$GAME_DIR/$map" ] || fail "no $map in the game"
make_picture "$GAME_DIR/$map"
echo "$map: $(stat -c %s "$GAME_DIR/$map") bytes" >&2

start_game
answer_dialog "Information" n fullscreen_question
answer_dialog "Error" Return refused_picture
answer_dialog "Information" n postprocessing_question
answer_dialog "Warning" Return no_sound_device
window=$(wait_window "^FPS = [0-9]+\$" 120) || fail "the game did not go on after the picture"
sleep 2
screenshot menu
bright menu 30 580 140 40 60 || fail "no New Game button"
click 100 598
press Return
xdotool mousemove --window "$window" 512 384
sleep 2
screenshot play
bright play 30 735 140 6 100 || fail "no hit-point bar"
press Escape
click 100 718
wait_exit 0
expected="The picture $map is $side x $side pixels, more than this computer can use as a texture; it is left out."
[ "$(box_count "$expected")" = 1 ] || fail "not the loader's message once: $(grep msgbox "$ARTIFACTS/game.log")"
wineserver -k 2>/dev/null
rm -rf "$GAME_DIR"
echo "wine huge RGBE passed"
