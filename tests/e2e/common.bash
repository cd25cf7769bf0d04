# Shared steps of the end-to-end tests: a scratch copy of the built game, the
# running binary, windows found by title, real X input and screenshots.
# Needs: DISPLAY, xdotool, ImageMagick's import/convert, plemox-xtool.

set -u
GAME_BINARY=$1
GAME_SOURCE_DIR=$(dirname "$GAME_BINARY")
XTOOL=${PLEMOX_BINARY_DIR}/tests/plemox-xtool
ARTIFACTS=${PLEMOX_BINARY_DIR}/artifacts/e2e/${TEST_NAME}
rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"

fail() {
  echo "FAIL: $*" >&2
  [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
  exit 1
}

# A fresh copy of the game folder without a configuration file.
make_game_copy() {
  GAME_DIR=$(mktemp -d /tmp/plemox-e2e-XXXXXX)
  cp -r "$GAME_SOURCE_DIR"/. "$GAME_DIR"/
  rm -f "$GAME_DIR/Data/Engine/Initialization.ini"
  mkdir -p "$GAME_DIR/Data/Engine"
}

start_game() {
  (cd "$GAME_DIR" && exec ./plemox >"$ARTIFACTS/game.log" 2>&1) &
  GAME_PID=$!
}

# Waits up to $2 seconds for a window whose title contains $1; prints its id.
wait_window() {
  local text=$1 limit=${2:-30} i
  for ((i = 0; i < limit * 10; i++)); do
    if id=$("$XTOOL" find "$text"); then
      echo "$id"
      return 0
    fi
    kill -0 "$GAME_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Answers the dialog titled $1 with key $2 (Return = first button, Escape = last)
# and waits for it to close. On a busy machine a dialog may not take a key
# pressed as soon as it shows; a dialog still open two seconds after the key is
# given the key again.
answer_dialog() {
  local id try i
  id=$(wait_window "$1" 60) || fail "no dialog \"$1\""
  for ((try = 0; try < 5; try++)); do
    sleep 0.3
    xdotool windowfocus "$id" 2>/dev/null
    sleep 0.2
    xdotool key "$2"
    for ((i = 0; i < 20; i++)); do
      xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
      sleep 0.1
    done
  done
  fail "the dialog \"$1\" did not take the answer"
}

screenshot() {
  import -window root "$ARTIFACTS/$1.png" || fail "screenshot $1"
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
  [ "$status" = "$expected" ] || fail "exit code $status, expected $expected (log: $(cat "$ARTIFACTS/game.log"))"
}

. "$(dirname "${BASH_SOURCE[0]}")/pictures.bash"
