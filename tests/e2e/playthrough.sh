# A session with the real binary and real X input: no configuration file,
# "No" to full screen and "Yes" to post-processing in the real dialogs, the
# menu over the dungeon, New Game, the intro, play with the hit-point bar,
# walking, back to the menu, the credits, and Quit Game with exit code 0.
TEST_NAME=playthrough
. "$(dirname "$0")/common.bash"

# A button acts in a frame that sees it held, so hold it for a few frames.
click() {
  xdotool mousemove "$1" "$2"
  sleep 0.5
  xdotool mousedown 1
  sleep 2.5
  xdotool mouseup 1
  sleep 1.5
}

# Keys are polled once a frame too: hold them down for a moment.
press() {
  xdotool windowfocus "$window"
  xdotool keydown "$1"
  sleep 2
  xdotool keyup "$1"
  sleep 1.5
}

make_game_copy
start_game
answer_dialog "Information" Escape
sleep 1
answer_dialog "Information" Return
window=$(wait_window "FPS = " 120) || fail "the game window did not appear"
sleep 3

# The menu: buttons at the bottom left, the logo at the top right, the
# dungeon behind them.
screenshot menu
bright menu 30 580 140 40 60 || fail "no New Game button"
bright menu 30 700 140 40 60 || fail "no Quit Game button"
bright menu 800 20 180 140 60 || fail "no logo"
bright menu 300 200 500 400 15 || fail "no dungeon behind the menu"
title=$("$XTOOL" title "$window")
[[ "$title" =~ ^FPS\ =\ [0-9]+$ ]] || fail "title is \"$title\""

click 100 598
screenshot intro
bright intro 40 0 600 300 20 || fail "no intro text"
bright intro 920 200 100 400 15 && fail "the intro shows more than text"

press Return
xdotool mousemove 512 384
sleep 2
screenshot play
bright play 30 735 140 6 100 || fail "no hit-point bar"

xdotool windowfocus "$window"
xdotool keydown w
sleep 2
xdotool keyup w
sleep 0.5
screenshot walked
moved=$(difference play walked)
echo "view change after walking: $moved" >&2
[ "$moved" -gt 2 ] || fail "holding W did not change the view"

press Escape
screenshot menu_again
bright menu_again 30 580 140 40 60 || fail "Escape did not return to the menu"

click 100 658
screenshot credits
bright credits 40 0 600 260 15 || fail "no credits text"

press Escape
click 100 718
wait_exit 0

[ -f "$GAME_DIR/Data/Engine/Initialization.ini" ] || fail "no configuration file was created"
rm -rf "$GAME_DIR"
echo "playthrough passed"
