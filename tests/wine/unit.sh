#!/usr/bin/env bash
# The unit tests of the Windows program under Wine: the engine's pure tests
# and the Win32 backends' tests, cross-built into WINDOWS_BUILD/tests.
# Usage: with-xvfb.sh bash tests/wine/unit.sh WINDOWS_BUILD
WINDOWS_BUILD=$(cd "$1" && pwd)
. "$(dirname "$0")/wine.bash"

status=0
count=0
cd "$WINDOWS_BUILD/tests" || exit 1
for test in *_tests.exe; do
  count=$((count + 1))
  # Files written by ImageMagick are compared on Linux, where it is installed.
  if wine "$test" --gtest_brief=1 --gtest_filter='-*.WhatOtherProgramsWrite' >"$test.log" 2>&1; then
    echo "wine $test: passed ($(grep -o '[0-9]* tests\? from' "$test.log" | tail -1 | cut -d' ' -f1) tests)"
  else
    echo "wine $test: FAILED" >&2
    grep -v '^ALSA' "$test.log" >&2
    status=1
  fi
done
wineserver -k 2>/dev/null
[ "$count" -gt 0 ] || { echo "no test executables in $WINDOWS_BUILD/tests" >&2; exit 1; }
exit $status
