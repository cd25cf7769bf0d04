#!/usr/bin/env bash
# Installs the dependencies, builds the game and its tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs the fuzz targets for a
# short while and then the whole test suite through CTest.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" || exit 1
jobs=$(nproc)

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Debug -DPLEMOX_SANITIZE=ON || exit 1
cmake --build "$root/build" -j"$jobs" || exit 1

status=0
if [ -f "$root/fuzz/CMakeLists.txt" ] && [ -x "$root/scripts/fuzz.sh" ]; then
  "$root/scripts/fuzz.sh" "$root/build-fuzz" "${PLEMOX_FUZZ_SECONDS:-30}" || status=1
fi

cd "$root/build"
ctest --output-on-failure -j"$jobs" --timeout 900 || status=1
exit $status
