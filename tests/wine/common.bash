# Shared steps of the Windows end-to-end tests: a scratch copy of the built
# game, Plemox.exe running under Wine, windows found by title, real X input
# (xdotool) and screenshots of the game window.
# Usage of a test: with-xvfb.sh bash tests/wine/TEST.sh WINDOWS_BUILD [ZIP]
# With ZIP, the game is the one unpacked from that zip for players.
# Needs: DISPLAY, wine, xdotool, ImageMagick's import/convert/compare.

set -u
WINDOWS_BUILD=$(cd "$1" && pwd)
GAME_ZIP=${2:-}
. "$(dirname "${BASH_SOURCE[0]}")/wine.bash"
ARTIFACTS=${WINDOWS_BUILD}/artifacts/wine/${TEST_NAME}
rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"
# Wine logs the text of every message box it shows (its caption is the
# box's window title); nothing else.
export WINEDEBUG=-all,+msgbox

fail() {
  echo "FAIL: $*" >&2
  [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  # Helpers a test started beside the game.
  [ -n "${HELPER_PIDS:-}" ] && kill $HELPER_PIDS 2>/dev/null
  exit 1
}

# A fresh copy of the game folder without a configuration file.
make_game_copy() {
  GAME_DIR=$(mktemp -d /tmp/plemox-wine-XXXXXX)
  if [ -n "$GAME_ZIP" ]; then
    unzip -q "$GAME_ZIP" -d "$GAME_DIR" || fail "cannot unpack $GAME_ZIP"
  else
    cp -r "$WINDOWS_BUILD/game/Plemox.exe" "$WINDOWS_BUILD/game/Data" "$GAME_DIR"/
  fi
  rm -f "$GAME_DIR/Data/Engine/Initialization.ini"
  mkdir -p "$GAME_DIR/Data/Engine"
}

start_game() {
  (cd "$GAME_DIR" && exec "$WINELOADER" Plemox.exe >"$ARTIFACTS/game.log" 2>&1) &
  GAME_PID=$!
}

# Waits up to $2 seconds for a visible window whose title matches $1; prints its id.
wait_window() {
  local text=$1 limit=${2:-30} i id
  for ((i = 0; i < limit * 5; i++)); do
    id=$(xdotool search --onlyvisible --name "$text" 2>/dev/null | tail -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$GAME_PID" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Waits until no visible window matches $1 any more.
wait_gone() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Answers the message box titled $1 with key $2: Return for the default
# (first) button, n for No. Takes a screenshot of the box as $3 when given.
answer_dialog() {
  local id
  if ! id=$(wait_window "^$1\$" 90); then
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
      wait "$GAME_PID"
      fail "no dialog \"$1\": the game ended with exit code $? ($(grep -v '^ALSA' "$ARTIFACTS/game.log" | tail -3))"
    fi
    fail "no dialog \"$1\""
  fi
  sleep 0.5
  [ -n "${3:-}" ] && import -window root "$ARTIFACTS/$3.png"
  xdotool windowfocus "$id"
  sleep 0.3
  xdotool key "$2"
  wait_gone "^$1\$" || fail "the dialog \"$1\" stayed after $2"
}

# A screenshot of the game window's client area.
screenshot() {
  import -window "$window" "$ARTIFACTS/$1.png" || fail "screenshot $1"
}

# A button acts in a frame that sees it held, so hold it for a few frames.
# Coordinates are in the game window's client area.
click() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.5
  xdotool mousedown 1
  sleep 2.5
  xdotool mouseup 1
  sleep 1.5
}

# Keys are polled once a frame too: hold them down for a moment.
press() {
  xdotool windowfocus "$window"
  sleep 0.2
  xdotool keydown "$1"
  sleep 2
  xdotool keyup "$1"
  sleep 1.5
}

# How many message boxes with exactly this (ASCII) text the game showed.
box_count() {
  grep -cF "trace:msgbox:MSGBOX_OnInit L\"$1\"" "$ARTIFACTS/game.log"
}

# Writes a configuration file of the given width, height and colour depth.
write_config() {
  printf 'PLEMOX_WINDOW_WIDTH %d \r\nPLEMOX_WINDOW_HEIGHT %d \r\nPLEMOX_WINDOW_BITSPERPIXEL %d \r\nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 \r\n' \
    "$1" "$2" "$3" >"$GAME_DIR/Data/Engine/Initialization.ini"
}

# Waits for the game to end and checks its exit code.
wait_exit() {
  local expected=$1 i
  for ((i = 0; i < 300; i++)); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end"
  wait "$GAME_PID"
  local status=$?
  GAME_PID=
  [ "$status" = "$expected" ] || fail "exit code $status, expected $expected (log: $(grep -v ^ALSA "$ARTIFACTS/game.log"))"
}

# The configuration file the game made: the four default lines (text mode,
# so CR LF on Windows).
check_config() {
  local expected actual
  expected=$'PLEMOX_WINDOW_WIDTH 1024 \nPLEMOX_WINDOW_HEIGHT 768 \nPLEMOX_WINDOW_BITSPERPIXEL 32 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 '
  [ -f "$GAME_DIR/Data/Engine/Initialization.ini" ] || fail "no configuration file was created"
  actual=$(tr -d '\r' <"$GAME_DIR/Data/Engine/Initialization.ini")
  [ "$actual" = "$expected" ] || fail "configuration file holds: $actual"
  grep -q $'\r$' "$GAME_DIR/Data/Engine/Initialization.ini" || fail "the configuration file's lines do not end in CR LF"
}

. "$(dirname "${BASH_SOURCE[0]}")/../e2e/pictures.bash"
