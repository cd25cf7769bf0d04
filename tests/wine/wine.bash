# The Wine environment of the Windows tests: a private prefix in the build
# folder (made once, kept) of the build's own architecture (32-bit Wine for
# the shipped i686 program, 64-bit Wine for its twin), no audio driver unless
# a test asks for one (the machines have no sound card; the game must say so
# and go on), no desktop integration.
# Needs: WINDOWS_BUILD (a build folder of scripts/windows.sh), DISPLAY;
# WINE_AUDIO=alsa for a prefix of its own whose audio driver is ALSA.
# Gives: wine (the loader of that architecture), WINE_ARCH (i686 or x86_64).

set -u
if file -b "$WINDOWS_BUILD/game/Plemox.exe" | grep -q '^PE32+'; then
  WINE_ARCH=x86_64
  export WINEARCH=win64
  WINELOADER=/usr/lib/wine/wine64
  [ -x "$WINELOADER" ] || WINELOADER=$(command -v wine64 || command -v wine)
else
  WINE_ARCH=i686
  export WINEARCH=win32
  WINELOADER=/usr/lib/wine/wine
  [ -x "$WINELOADER" ] || WINELOADER=$(command -v wine)
fi
# Wine starts its own helper processes through WINELOADER too. Debian's
# "wine" command would take the 32-bit loader for everything once it is
# installed, even where the machine cannot run it.
export WINELOADER
wine() { "$WINELOADER" "$@"; }
WINE_AUDIO=${WINE_AUDIO:-}
export WINEPREFIX=${WINDOWS_BUILD}/wine-prefix${WINE_AUDIO:+-$WINE_AUDIO}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ ! -f "$WINEPREFIX/.plemox-ready" ]; then
  rm -rf "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "$WINE_AUDIO" /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.plemox-ready"
fi
