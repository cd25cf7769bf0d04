#!/usr/bin/env bash
# Installs the dependencies, builds the game and its tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs the fuzz targets for a
# short while and then the whole test suite through CTest; then builds the
# Windows program and runs its tests under Wine.
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

(cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 900) || status=1

# The Debian package: built (build-package/), checked, then installed, played
# and purged in a fresh chroot of this release.
(cd "$root/build" && PLEMOX_PACKAGE_TESTS=1 ctest --output-on-failure -L package) || status=1

# The Windows program: built (both toolchains, the zip, the unit tests) with
# the generator of the build above, then run under Wine on private displays:
# the shipped 32-bit program, or its 64-bit twin on a machine that cannot
# run 32-bit code (tests/wine/run.sh says which).
if PLEMOX_HOST_BUILD="$root/build" "$root/scripts/windows.sh" --tests; then
  bash "$root/tests/wine/run.sh" "$root/build-windows" "$root/build" || status=1
else
  echo "the Windows build failed" >&2
  status=1
fi
exit $status
