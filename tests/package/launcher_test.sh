#!/usr/bin/env bash
# The launcher /usr/games/plemox on its own: made from its template with an
# installed data tree and a stand-in program in a scratch folder (with spaces
# in every path), then started the ways a player's system can start it.
# Usage: launcher_test.sh <packaging/plemox.in>
set -u
template=$1
tmp=$(mktemp -d "/tmp/plemox launcher XXXXXX")
trap 'rm -rf "$tmp"' EXIT
installed="$tmp/usr share/games/plemox/Data"
program="$tmp/usr lib/plemox"
launcher="$tmp/usr games/plemox"
records="$tmp/records"
home="$tmp/home of player"
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# An installed Engine folder (the package ships none) must not become the
# player's.
mkdir -p "$installed/Maps" "$installed/Models/Level" "$installed/Shaders" "$installed/Old entry" "$installed/Engine" \
  "${launcher%/*}" "${program%/*}" "$records" "$home" "$tmp/cwd"
echo "map" >"$installed/Maps/Map.txt"
echo "model" >"$installed/Models/Level/a b.3ds"
echo "shader" >"$installed/Shaders/Blinn.vert"
echo "font" >"$installed/Font.bmp"
echo "hidden" >"$installed/.hidden"
echo "old" >"$installed/Old entry/file"
sed -e "s|@PLEMOX_INSTALLED_DATA@|$installed|" -e "s|@PLEMOX_INSTALLED_PROGRAM@|$program|" "$template" >"$launcher"
chmod 755 "$launcher"
grep -q '@' "$launcher" && fail "the launcher keeps a placeholder"

# The stand-in for the game: notes where it runs and with what, reads the
# map, creates the configuration when missing, as the game does, and ends
# with the status it is told.
cat >"$program" <<'EOF'
#!/bin/sh
pwd >"$RECORDS/cwd"
echo "$#" >"$RECORDS/arguments"
[ -r Data/Maps/Map.txt ] || exit 90
[ -e Data/Engine/Initialization.ini ] || printf 'PLEMOX_WINDOW_WIDTH 1024 \n' >Data/Engine/Initialization.ini || exit 91
exit "${GAME_STATUS:-0}"
EOF
chmod 755 "$program"

# Every entry under the scratch folder but the records, with its kind and
# link target, or for a file its content's checksum.
snapshot() {
  (
    cd "$tmp" || exit 1
    find . -path ./records -prune -o ! -type f -printf '%p|%y|%l\n'
    find . -path ./records -prune -o -type f -exec md5sum {} + | sed 's/^\([0-9a-f]*\)  \(.*\)$/\2|f|\1/'
  ) | LC_ALL=C sort
}

# Runs the launcher from the scratch cwd with the environment given as
# arguments (env syntax); sets status, and checks that nothing changed
# outside the game folder $game but the folders that lead to it.
run() {
  rm -f "$records"/*
  local before after line path
  before=$(snapshot)
  (cd "$tmp/cwd" && env -i PATH=/usr/bin:/bin RECORDS="$records" "$@" "$launcher" ${ARGS:-} \
    >"$records/out" 2>&1)
  status=$?
  after=$(snapshot)
  while IFS= read -r line; do
    path=$tmp/${line%%|*}
    path=${path/\/.\//\/}
    case $game/ in
      "$path"/*) continue ;;  # a folder leading to the game folder
    esac
    case $path/ in
      "$game"/*) continue ;;  # inside the game folder
    esac
    fail "run $*: written outside the game folder: $line"
  done < <(comm -13 <(echo "$before") <(echo "$after"); comm -23 <(echo "$before") <(echo "$after"))
}

expect_link() {
  local link=$game/Data/$1
  [ -L "$link" ] && [ "$(readlink "$link")" = "$installed/$1" ] ||
    fail "$2: Data/$1 is not a link to the installed $1 ($(ls -ld "$link" 2>&1))"
}

expect_started() {
  [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1 ($(cat "$records/out"))"
  [ "$(cat "$records/cwd" 2>/dev/null)" = "$game" ] || fail "$2: the game ran in $(cat "$records/cwd" 2>/dev/null)"
  [ "$(cat "$records/arguments" 2>/dev/null)" = 0 ] || fail "$2: the game was given arguments"
  [ -d "$game/Data/Engine" ] && [ ! -L "$game/Data/Engine" ] || fail "$2: Data/Engine is not a real folder"
}

expect_refused() {
  [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1"
  [ ! -e "$records/cwd" ] || fail "$2: the game was started"
  grep -q . "$records/out" || fail "$2: no message"
}

# The first start: no XDG_DATA_HOME, the folder under HOME; the game's
# status is passed on.
game="$home/.local/share/plemox"
run HOME="$home" GAME_STATUS=7
expect_started 7 "first start"
for entry in Maps Models Shaders Font.bmp .hidden "Old entry"; do
  expect_link "$entry" "first start"
done
[ "$(cat "$game/Data/Models/Level/a b.3ds")" = model ] || fail "first start: a model cannot be read through the link"
[ "$(ls -A "$game/Data" | wc -l)" = 7 ] || fail "first start: Data holds $(ls -A "$game/Data" | tr '\n' ' ')"
[ "$(ls -A "$game")" = Data ] || fail "first start: the game folder holds $(ls -A "$game" | tr '\n' ' ')"

# The player's configuration is kept from start to start.
printf 'PLEMOX_WINDOW_WIDTH 1600 \nPLEMOX_WINDOW_HEIGHT 900 \n' >"$game/Data/Engine/Initialization.ini"
run HOME="$home"
expect_started 0 "second start"
[ "$(cat "$game/Data/Engine/Initialization.ini")" = "$(printf 'PLEMOX_WINDOW_WIDTH 1600 \nPLEMOX_WINDOW_HEIGHT 900 ')" ] ||
  fail "second start: the configuration changed"

# A newer package drops one entry and brings another.
rm -rf "$installed/Old entry"
mkdir -p "$installed/New entry"
echo "new map" >"$installed/Maps/Second.txt"
run HOME="$home"
expect_started 0 "newer package"
[ ! -e "$game/Data/Old entry" ] && [ ! -L "$game/Data/Old entry" ] || fail "newer package: the link to the dropped entry stays"
expect_link "New entry" "newer package"
[ -f "$game/Data/Maps/Second.txt" ] || fail "newer package: a new file of a linked folder is missing"
grep -q 1600 "$game/Data/Engine/Initialization.ini" || fail "newer package: the configuration was lost"

# Links from an older place, a link to nothing, the player's own link, and a
# folder and a file put where links should be.
ln -sfn "/nonexistent/old place/Maps" "$game/Data/Maps"
ln -s "$tmp/gone" "$game/Data/Zombie"
mkdir -p "$tmp/player files"
ln -s "$tmp/player files" "$game/Data/Mine"
rm "$game/Data/Shaders" "$game/Data/Font.bmp"
mkdir "$game/Data/Shaders"
echo "my shader" >"$game/Data/Shaders/Blinn.vert"
echo "my font" >"$game/Data/Font.bmp"
run HOME="$home"
expect_started 0 "repairs"
expect_link Maps "repairs"
[ ! -L "$game/Data/Zombie" ] || fail "repairs: the link to nothing stays"
[ "$(readlink "$game/Data/Mine")" = "$tmp/player files" ] || fail "repairs: the player's own link was removed"
[ ! -L "$game/Data/Shaders" ] && [ "$(cat "$game/Data/Shaders/Blinn.vert")" = "my shader" ] ||
  fail "repairs: the player's Shaders folder was not kept"
[ "$(cat "$game/Data/Font.bmp")" = "my font" ] || fail "repairs: the player's Font.bmp was not kept"

# Data/Engine as a link to another writable folder is made a real folder
# (the run checks that nothing is written there); a file there stops the
# launcher before the game starts.
mkdir -p "$tmp/elsewhere"
rm -rf "$game/Data/Engine"
ln -s "$tmp/elsewhere" "$game/Data/Engine"
run HOME="$home"
expect_started 0 "Engine a link"
rm -rf "$game/Data/Engine"
echo "not a folder" >"$game/Data/Engine"
run HOME="$home"
expect_refused 1 "Engine a file"
[ "$(cat "$game/Data/Engine")" = "not a folder" ] || fail "Engine a file: the file was changed"
rm "$game/Data/Engine"

# Data as a link to the installed data becomes a real folder of links.
rm -rf "$game/Data"
ln -s "$installed" "$game/Data"
run HOME="$home"
expect_started 0 "Data a link"
[ ! -L "$game/Data" ] || fail "Data a link: Data is still a link"
expect_link Maps "Data a link"

# XDG_DATA_HOME: an absolute one is used, a relative or empty one ignored.
game="$tmp/xdg data/plemox"
run HOME="$home" XDG_DATA_HOME="$tmp/xdg data"
expect_started 0 "absolute XDG_DATA_HOME"
expect_link Maps "absolute XDG_DATA_HOME"
game="$home/.local/share/plemox"
run HOME="$home" XDG_DATA_HOME="relative/data"
expect_started 0 "relative XDG_DATA_HOME"
[ ! -e "$tmp/cwd/relative" ] || fail "relative XDG_DATA_HOME: a folder was made under the working folder"
run HOME="$home" XDG_DATA_HOME=
expect_started 0 "empty XDG_DATA_HOME"

# No HOME and no XDG_DATA_HOME, a relative HOME, or arguments: refused,
# nothing made (the run checks it).
game="$tmp/none"
run
expect_refused 1 "no HOME"
run HOME="relative home"
expect_refused 1 "relative HOME"
game="$home/.local/share/plemox"
ARGS=--fullscreen run HOME="$home"
expect_refused 2 "arguments"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "launcher: all cases passed"
