# First start of the real binary: no configuration file, the full-screen
# and post-processing questions answered "No" in the real dialogs, the window
# appears with its picture, closing it ends the game with exit code 0, and the
# configuration file holds the four default lines.
TEST_NAME=first_start
. "$(dirname "$0")/common.bash"

make_game_copy
start_game
answer_dialog "Information" Escape
sleep 1
answer_dialog "Information" Escape
window=$(wait_window "FPS = " 60) || fail "the game window did not appear"
sleep 1
screenshot window
read -r r g b <<<"$(region_colour window 400 300 200 150)"
echo "window centre colour: $r $g $b"
[ "$r$g$b" != "000" ] || fail "the window shows nothing"

"$XTOOL" close "$window"
wait_exit 0

expected=$'PLEMOX_WINDOW_WIDTH 1024 \nPLEMOX_WINDOW_HEIGHT 768 \nPLEMOX_WINDOW_BITSPERPIXEL 32 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 '
actual=$(cat "$GAME_DIR/Data/Engine/Initialization.ini")
[ "$actual" = "$expected" ] || fail "configuration file holds: $actual"
rm -rf "$GAME_DIR"
echo "first start passed"
