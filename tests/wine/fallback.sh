# The Windows program under Wine, "Yes" to full screen with a configured
# size the display cannot show: the "Drun GL" question offers a window,
# "Yes" to it, and the game plays in a window of the configured size.
TEST_NAME=fallback
. "$(dirname "$0")/common.bash"

make_game_copy
printf 'PLEMOX_WINDOW_WIDTH 1002 \r\nPLEMOX_WINDOW_HEIGHT 701 \r\nPLEMOX_WINDOW_BITSPERPIXEL 32 \r\nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 \r\n' \
  >"$GAME_DIR/Data/Engine/Initialization.ini"
start_game
answer_dialog "Information" Return fullscreen_question
answer_dialog "Drun GL" Return window_question
answer_dialog "Information" n postprocessing_question
answer_dialog "Warning" Return no_sound_device
window=$(wait_window "^FPS = [0-9]+\$" 120) || fail "the game window did not appear"
sleep 3

eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window at $X,$Y, ${WIDTH}x$HEIGHT" >&2
[ "$WIDTH" = 1002 ] && [ "$HEIGHT" = 701 ] || fail "window client area ${WIDTH}x$HEIGHT"
# A window on the desktop, not a display-filling one.
read -r screen_width screen_height <<<"$(xdotool getdisplaygeometry)"
[ "$screen_width" = 1280 ] && [ "$screen_height" = 1024 ] || fail "the display changed to ${screen_width}x$screen_height"

screenshot menu
bright menu 30 513 140 40 60 || fail "no New Game button"
bright menu 300 150 400 300 15 || fail "no dungeon behind the menu"

click 100 531
press Return
sleep 2
screenshot play
bright play 30 668 140 6 100 || fail "no hit-point bar"

# Closing the window (Alt+F4: the window's close command) ends the game too.
xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+F4
wait_exit 0
grep -q '^PLEMOX_WINDOW_WIDTH 1002 ' "$GAME_DIR/Data/Engine/Initialization.ini" || fail "the configuration file was rewritten"
wineserver -k 2>/dev/null
rm -rf "$GAME_DIR"
echo "wine fallback passed"
