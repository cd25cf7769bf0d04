#!/usr/bin/env bash
# Builds the Windows program on this Debian machine and packs it for players:
#   build-windows/plemox-windows-i686.zip  (Plemox.exe, Data/, README.txt)
# The 32-bit program is the one shipped and tested under 32-bit Wine; its
# 64-bit twin (same sources) is built and unit-tested beside it, and stands
# in for it on a machine that cannot run 32-bit code.
# The game's data comes from the content generator built for this host;
# libjpeg is built for each toolchain from Debian's own source package.
# Usage: scripts/windows.sh [--tests]   (--tests also builds the unit tests of both)
# PLEMOX_HOST_BUILD may name the host build folder whose generator to use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-windows
jobs=$(nproc)
with_tests=OFF
[ "${1:-}" = "--tests" ] && with_tests=ON

"$root/scripts/install-deps.sh"
mkdir -p "$out"

# ---- The content generator on the host -----------------------------------
host=${PLEMOX_HOST_BUILD:-}
if [ -z "$host" ]; then
  for candidate in "$root/build-release" "$root/build"; do
    if [ -f "$candidate/CMakeCache.txt" ]; then
      host=$candidate
      break
    fi
  done
fi
if [ -z "$host" ]; then
  host=$root/build-release
  cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DPLEMOX_TESTS=OFF
fi
cmake --build "$host" -j"$jobs" --target plemox-generate
generator=$host/tools/generate/plemox-generate
content=$out/content
if [ ! -f "$content/stamp" ] || [ "$generator" -nt "$content/stamp" ]; then
  rm -rf "$content"
  "$generator" "$content/Data" "$content/plemox.ico" >/dev/null
  touch "$content/stamp"
fi

# ---- libjpeg for a toolchain, from Debian's source package ----------------
build_libjpeg() {
  local arch=$1 dir=$out/libjpeg-$1 src
  [ -f "$dir/lib/libjpeg.a" ] && return 0
  if ! ls -d "$out"/libjpeg-src/libjpeg-turbo-*/ >/dev/null 2>&1; then
    rm -rf "$out/libjpeg-src"
    mkdir -p "$out/libjpeg-src"
    (cd "$out/libjpeg-src" && apt-get source -qq libjpeg-turbo >apt-source.log 2>&1) ||
      { cat "$out/libjpeg-src/apt-source.log" >&2; exit 1; }
  fi
  src=$(ls -d "$out"/libjpeg-src/libjpeg-turbo-*/ | head -1)
  [ -f "$src/jpeglib.h" ] || { echo "windows.sh: no libjpeg-turbo source in $out/libjpeg-src" >&2; exit 1; }
  rm -rf "$dir"
  cmake -S "$src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DCMAKE_INSTALL_PREFIX="$dir/install" >/dev/null
  cmake --build "$dir/build" -j"$jobs" --target jpeg-static >/dev/null
  mkdir -p "$dir/include" "$dir/lib"
  cp "$src"/jpeglib.h "$src"/jmorecfg.h "$src"/jerror.h "$dir/build/jconfig.h" "$dir/include/"
  cp "$dir/build/libjpeg.a" "$dir/lib/"
}

# ---- The program for a toolchain ------------------------------------------
build_program() {
  local arch=$1 tests=$2 dir=$out/$1
  build_libjpeg "$arch"
  mkdir -p "$dir/game"
  rm -rf "$dir/game/Data"
  cp -r "$content/Data" "$dir/game/Data"
  cp "$content/plemox.ico" "$dir/game/plemox.ico"
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPLEMOX_TESTS="$tests" -DPLEMOX_LIBJPEG_DIR="$out/libjpeg-$arch" >/dev/null
  local targets=(plemox game_text_data)
  [ "$tests" = ON ] && targets+=(windows_unit_tests)
  cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
  rm -f "$dir/game/Data/Engine/Initialization.ini"
}

build_program i686 "$with_tests"
build_program x86_64 "$with_tests"

# ---- Checks of the shipped program ----------------------------------------
exe=$out/i686/game/Plemox.exe
file "$exe" | grep -q 'PE32 executable.*Intel 80386' || { echo "windows.sh: $exe is not a 32-bit Windows program: $(file "$exe")" >&2; exit 1; }
! grep -aq SDL "$exe" || { echo "windows.sh: $exe names SDL; the Windows program uses none of it" >&2; exit 1; }
allowed='^(KERNEL32|USER32|GDI32|OPENGL32|GLU32|WINMM|MSVCRT|ADVAPI32)\.DLL$'
for arch in i686 x86_64; do
  while read -r dll; do
    echo "$dll" | tr a-z A-Z | grep -Eq "$allowed" ||
      { echo "windows.sh: the $arch program needs $dll, which Windows does not bring" >&2; exit 1; }
  done < <("$arch-w64-mingw32-objdump" -p "$out/$arch/game/Plemox.exe" | sed -n 's/.*DLL Name: //p')
done

# ---- The zip for players ----------------------------------------------------
package=$out/package
rm -rf "$package"
mkdir -p "$package"
cp "$exe" "$package/"
cp -r "$out/i686/game/Data" "$package/Data"
rm -f "$package/Data/Engine/Initialization.ini"
sed 's/$/\r/' >"$package/README.txt" <<'TEXT'
Plemox Fluid Engine
===================

A small first-person game: you wake up in an underground dungeon and look
for every bottle of Gorvikovka. Campfires and piles of spikes hurt when you
come too close; each bottle gives health back.

Starting
--------
Unpack the whole folder and start Plemox.exe. At every start the game asks:

1. "Would you like fullscreen mode?" - Yes switches the display to the
   configured size (when the display cannot show it you are offered a window
   instead), No opens a window.
2. "Would you like To use PostProcessing Effects?" - Yes draws through the
   HDR and bloom pass (when the graphics driver supports it), No draws
   straight.

Keys
----
  Mouse click on New Game    main menu: starts a new game with the story
  Mouse click on Authors     main menu: shows the credits
  Mouse click on Quit Game   main menu: ends the program
  Enter                      stories: goes on
  W / S                      walk forward / back
  A / D                      step left / right
  Mouse                      turn and look up or down
  Escape                     play: back to the main menu (Escape again
                             goes back into the game); credits: back to
                             the main menu

The red bar at the bottom left shows your hit points. Closing the window
also ends the game.

Configuration
-------------
Data\Engine\Initialization.ini is created on the first start. It holds the
window size, the colour depth and the multisample count:

  PLEMOX_WINDOW_WIDTH 1024
  PLEMOX_WINDOW_HEIGHT 768
  PLEMOX_WINDOW_BITSPERPIXEL 32
  PLEMOX_OPENGL_MULTISAMPLE_VALUE 1

Edit the numbers with any text editor; delete the file to get these
defaults back.
TEXT
zip_file=$out/plemox-windows-i686.zip
rm -f "$zip_file"
(cd "$package" && zip -qr -X "$zip_file" Plemox.exe README.txt Data)
listing=$(unzip -Z1 "$zip_file")
for needed in Plemox.exe README.txt Data/Maps/Map.txt Data/Audio/mirelto.mp3 Data/EngineLogo.bmp \
  Data/Shaders/Post.frag Data/Engine/; do
  grep -qx "$needed" <<<"$listing" || { echo "windows.sh: $needed is missing from the zip" >&2; exit 1; }
done
shipped=$(grep -cv '/$' <<<"$listing")
expected=$(( $(find "$package" -type f | wc -l) ))
[ "$shipped" = "$expected" ] || { echo "windows.sh: the zip holds $shipped files, the package $expected" >&2; exit 1; }
echo "windows.sh: $zip_file ($shipped files; $(file -b "$exe" | cut -d, -f1))"
