#!/usr/bin/env bash
# Builds the libFuzzer targets of the asset loaders (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer), writes their seed corpora with the game's own
# writers and runs each target for the given number of seconds. Exits
# non-zero when any target finds a crash, leak, hang or sanitizer report; the
# failing input is kept under <build-dir>/fuzz-findings/<loader>/.
#
# Usage: scripts/fuzz.sh <build-dir> <seconds-per-target>
# A build folder without a CMake cache is configured with clang first.
set -u
if [ $# -ne 2 ]; then
  echo "usage: $0 <build-dir> <seconds-per-target>" >&2
  exit 2
fi
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
loaders="3ds dib tga jpeg rgbe"

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DPLEMOX_FUZZ=ON -DPLEMOX_TESTS=OFF \
    -DPLEMOX_CONTENT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build.configure.log" 2>&1 || {
    cat "$build.configure.log" >&2
    exit 1
  }
fi
targets="fuzz_make_corpus"
for loader in $loaders; do targets="$targets fuzz_$loader"; done
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets || exit 1

corpus="$build/fuzz-corpus"
findings="$build/fuzz-findings"
rm -rf "$corpus/seeds"
mkdir -p "$corpus/seeds" "$findings"
"$build/fuzz/fuzz_make_corpus" "$corpus/seeds" || exit 1

status=0
for loader in $loaders; do
  mkdir -p "$corpus/work/$loader" "$findings/$loader"
  log="$findings/$loader.log"
  start=$(date +%s)
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$loader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/$loader/" -print_final_stats=1 \
      "$corpus/work/$loader" "$corpus/seeds/$loader" >"$log" 2>&1
  result=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  echo "fuzz_$loader: $(( $(date +%s) - start )) s, ${runs:-?} runs, exit $result"
  if [ $result -ne 0 ]; then
    echo "fuzz_$loader found a problem; last lines of $log:" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
done
exit $status
