# The Wine environment of the Windows tests: a private prefix in the build
# folder (made once, kept), no audio driver (the machines have no sound
# card; the game must say so and go on), no desktop integration.
# Needs: WINDOWS_BUILD (the x86_64 build folder), DISPLAY.

set -u
export WINEPREFIX=${WINDOWS_BUILD}/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ ! -f "$WINEPREFIX/.plemox-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.plemox-ready"
fi
