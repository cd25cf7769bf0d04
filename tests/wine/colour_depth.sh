# The Windows program's colour depth as on Linux: PLEMOX_WINDOW_BITSPERPIXEL
# 0 takes the display's own depth and 64 takes the 32-bit format, and the
# game plays in a window of the configured size either way; and on a display
# that offers no OpenGL pixel format at all (an X server without GLX) the
# game says so in a message box instead of vanishing.
TEST_NAME=colour_depth
. "$(dirname "$0")/common.bash"

for bits in 0 64; do
  make_game_copy
  write_config 400 300 "$bits"
  start_game
  answer_dialog "Information" n fullscreen_question
  answer_dialog "Information" n postprocessing_question
  answer_dialog "Warning" Return no_sound_device
  window=$(wait_window "^FPS = [0-9]+\$" 120) || fail "no game window with colour depth $bits"
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$window")"
  [ "$WIDTH" = 400 ] && [ "$HEIGHT" = 300 ] || fail "window client area ${WIDTH}x$HEIGHT with colour depth $bits"
  screenshot "menu_$bits"
  bright "menu_$bits" 30 110 140 40 60 || fail "no New Game button with colour depth $bits"
  bright "menu_$bits" 0 0 180 100 15 || fail "no dungeon behind the menu with colour depth $bits"
  xdotool windowfocus "$window"
  sleep 0.3
  xdotool key alt+F4
  wait_exit 0
  rm -rf "$GAME_DIR"
  echo "colour depth $bits: a ${WIDTH}x$HEIGHT window" >&2
done

# No pixel format: a second X server without the GLX extension.
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -extension GLX 3>"$fifo" 2>/dev/null &
HELPER_PIDS=$!
read -r bare <"$fifo"
rm -f "$fifo"
[ -n "$bare" ] || fail "the X server without GLX did not start"
test_display=$DISPLAY
export DISPLAY=:$bare
wineserver -k 2>/dev/null  # Wine's display driver binds to one display per session
make_game_copy
start_game
answer_dialog "Information" n
answer_dialog "ERROR" Return no_pixel_format
wait_exit 0
[ "$(box_count "Can't Find A Suitable PixelFormat.")" = 1 ] || fail "no word about the pixel format: $(grep msgbox "$ARTIFACTS/game.log")"
wineserver -k 2>/dev/null
kill "$HELPER_PIDS"
wait "$HELPER_PIDS" 2>/dev/null
HELPER_PIDS=
export DISPLAY=$test_display
rm -rf "$GAME_DIR"
echo "wine colour depth passed"
