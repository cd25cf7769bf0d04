#!/usr/bin/env bash
# The package on a fresh system of this release: debootstrap makes a minimal
# chroot (in memory) from the mirror of the machine's own apt sources, the
# package is installed there with `apt-get install ./plemox_*.deb` (its
# dependencies from the archive, without recommended packages, so Depends
# alone must do), an ordinary user starts `plemox` on this display, answers
# the two questions and the "Warning" that there is no sound device, reaches
# the window with the frame rate in its title and closes it; the game ends
# with 0, the configuration is in the user's game folder and nothing under
# /usr or /etc changed. Then `apt-get purge` leaves nothing of the package.
# Needs root, the network and a display (scripts/with-xvfb.sh); the chroot's
# programs reach the X server through its abstract socket.
# Usage: chroot_test.sh <build-package-dir>
set -u
if [ "${PLEMOX_PACKAGE_TESTS:-}" != 1 ]; then
  echo "skipped: the package tests run with PLEMOX_PACKAGE_TESTS=1 (scripts/test.sh)"
  exit 77
fi
[ "$(id -u)" = 0 ] || { echo "FAIL: the chroot test needs root" >&2; exit 1; }
out=$(cd "$1" && pwd)
debs=("$out"/plemox_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package in $out" >&2; exit 1; }
deb=${debs[0]}
TEST_NAME=package_chroot
. "$(dirname "$0")/../e2e/common.bash" "$deb"
start=$SECONDS
step_start=$SECONDS
timings=""
step_done() {
  timings="$timings, $1 $((SECONDS - step_start)) s"
  step_start=$SECONDS
}

# ---- The release and its mirror, from the machine's apt sources ----------
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || fail "/etc/os-release names no release"

# One line per binary archive entry: URI, suite, keyring ("-" for the
# default) and components, from deb822 .sources files and one-line lists.
apt_entries() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush(   n, m, i, j, U, S) {
        if (types ~ /(^| )deb( |$)/ && enabled != "no") {
          n = split(uris, U, " "); m = split(suites, S, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
            print U[i], S[j], (signed == "" ? "-" : signed), comps
        }
        types = uris = suites = comps = signed = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ { next }
      {
        key = tolower(substr($0, 1, index($0, ":") - 1))
        value = substr($0, index($0, ":") + 1)
        gsub(/^[ \t]+|[ \t]+$/, "", value)
        if (key == "types") types = value
        else if (key == "uris") uris = value
        else if (key == "suites") suites = value
        else if (key == "components") comps = value
        else if (key == "signed-by" && value ~ /^\//) signed = value
        else if (key == "enabled") enabled = tolower(value)
      }
      END { flush() }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    awk '
      { sub(/#.*/, "") }
      $1 != "deb" { next }
      {
        signed = "-"; i = 2
        if ($2 ~ /^\[/) {
          for (; i <= NF; i++) {
            if ($i ~ /signed-by=/) { signed = $i; sub(/.*signed-by=/, "", signed); sub(/\]$/, "", signed) }
            if ($i ~ /\]$/) { i++; break }
          }
        }
        comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
        print $i, $(i + 1), signed, comps
      }' "$file"
  done
}
entries=$(apt_entries)
read -r mirror _ keyring _ <<<"$(awk -v suite="$codename" '$2 == suite' <<<"$entries" | head -1)"
[ -n "$mirror" ] || fail "no apt source of $codename among: $entries"
echo "release $codename, mirror $mirror"

# ---- A fresh chroot in memory -------------------------------------------
cache=$out/chroot-cache
mkdir -p "$cache/debootstrap" "$cache/apt/partial"
root=$(mktemp -d /tmp/plemox-chroot-XXXXXX)
cleanup() {
  local pid
  [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
  # Whatever still runs inside the chroot was started by this test.
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid##*/}" 2>/dev/null
  done
  sleep 0.5
  for mount in "$root/var/cache/apt/archives" "$root/proc" "$root"; do
    if mountpoint -q "$mount"; then
      umount "$mount" || umount --lazy "$mount"
    fi
  done
  mountpoint -q "$root" || rmdir "$root"
}
trap cleanup EXIT
mount -t tmpfs -o size=4g,mode=755 plemox-chroot "$root" || fail "cannot mount a tmpfs on $root"
keyring_option=()
[ "$keyring" != - ] && keyring_option=(--keyring="$keyring")
debootstrap --variant=minbase --cache-dir="$cache/debootstrap" "${keyring_option[@]}" \
  "$codename" "$root" "$mirror" >"$ARTIFACTS/debootstrap.log" 2>&1 ||
  fail "debootstrap failed: $(tail -n 20 "$ARTIFACTS/debootstrap.log")"
step_done debootstrap

# The chroot takes the release's own entries (updates and security too).
: >"$root/etc/apt/sources.list"
while read -r uri suite signed comps; do
  case $suite in
    "$codename" | "$codename"-*) ;;
    *) continue ;;
  esac
  if [ "$signed" = - ]; then
    echo "deb $uri $suite $comps"
  else
    [ -e "$root$signed" ] || { mkdir -p "$root${signed%/*}" && cp "$signed" "$root$signed"; }
    echo "deb [signed-by=$signed] $uri $suite $comps"
  fi
done <<<"$entries" >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc" || fail "cannot mount /proc in the chroot"
mount --bind "$cache/apt" "$root/var/cache/apt/archives" || fail "cannot mount the package cache"

# ---- Install -------------------------------------------------------------
cp "$deb" "$root/tmp/"
in_chroot() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"
}
in_chroot sh -c 'apt-get update && cd /tmp && apt-get install -y --no-install-recommends ./plemox_*.deb' \
  >"$ARTIFACTS/install.log" 2>&1 || fail "the installation failed: $(tail -n 20 "$ARTIFACTS/install.log")"
rm -f "$root"/tmp/plemox_*.deb
[ "$(in_chroot dpkg-query -W -f '${Status}' plemox)" = "install ok installed" ] || fail "plemox is not installed"
echo "installed with $(grep -c '^Setting up' "$ARTIFACTS/install.log") packages"
in_chroot useradd --create-home --shell /bin/bash player || fail "cannot add the user"
step_done install

# ---- Play ------------------------------------------------------------------
system_state() {
  (cd "$root" && find usr etc -xdev -printf '%p %y %s %m %U %T@ %l\n' | LC_ALL=C sort)
}
before=$(system_state)
# A login of the user: a clean environment, the user's PATH (with
# /usr/games), no XDG_DATA_HOME; only the display is passed on.
chroot "$root" runuser --login player --whitelist-environment=DISPLAY --command plemox \
  >"$ARTIFACTS/game.log" 2>&1 &
GAME_PID=$!
answer_dialog "Information" Escape
sleep 1
answer_dialog "Information" Escape
answer_dialog "Warning" Return
window=$(wait_window "FPS = " 120) || fail "the game window did not appear (log: $(cat "$ARTIFACTS/game.log"))"
sleep 2
import -window "$window" "$ARTIFACTS/window.png" || fail "no screenshot of the window"
read -r r g b <<<"$(region_colour window 400 300 200 150)"
echo "window centre colour: $r $g $b"
[ "$r$g$b" != "000" ] || fail "the window shows nothing"
"$XTOOL" close "$window"
wait_exit 0
step_done play

game=$root/home/player/.local/share/plemox
expected=$'PLEMOX_WINDOW_WIDTH 1024 \nPLEMOX_WINDOW_HEIGHT 768 \nPLEMOX_WINDOW_BITSPERPIXEL 32 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 '
[ "$(cat "$game/Data/Engine/Initialization.ini" 2>/dev/null)" = "$expected" ] ||
  fail "no default configuration in the user's game folder"
[ "$(in_chroot stat -c %U /home/player/.local/share/plemox/Data/Engine/Initialization.ini)" = player ] ||
  fail "the configuration does not belong to the user"
[ "$(readlink "$game/Data/Maps")" = /usr/share/games/plemox/Data/Maps ] || fail "Data/Maps is no link to the installed data"
changes=$(diff <(echo "$before") <(system_state))
[ -z "$changes" ] || fail "playing changed /usr or /etc: $changes"

# ---- Purge -----------------------------------------------------------------
listing=$(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's:/$::')
in_chroot apt-get purge -y plemox >"$ARTIFACTS/purge.log" 2>&1 || fail "the purge failed: $(tail "$ARTIFACTS/purge.log")"
status=$(in_chroot dpkg-query -W -f '${db:Status-Status}' plemox 2>/dev/null)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "dpkg still knows plemox: $status"
while IFS= read -r path; do
  [ -n "$path" ] || continue
  if [ -e "$root$path" ] || [ -L "$root$path" ]; then
    # Only folders other packages own may stay.
    [ -d "$root$path" ] && in_chroot dpkg-query -S "$path" >/dev/null 2>&1 || fail "$path is left after the purge"
  fi
done <<<"$listing"
left=$(cd "$root" && find . -xdev -path ./home/player -prune -o -iname '*plemox*' -print)
[ -z "$left" ] || fail "left after the purge: $left"
step_done purge

echo "chroot test passed in $((SECONDS - start)) s (${timings#, })"
