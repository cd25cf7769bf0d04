#!/usr/bin/env bash
# The Windows program's tests under Wine, each on a private X display: the
# unit tests of both builds, then the sessions of the shipped 32-bit program
# (the playthrough on the Plemox.exe unpacked from the players' zip). On a
# machine that cannot execute 32-bit x86 code the 64-bit twin stands in for
# it, and the run says so at its start and in its last lines.
# Usage: tests/wine/run.sh [WINDOWS_OUT [HOST_BUILD]]
#   WINDOWS_OUT: the folder of scripts/windows.sh --tests (build-windows)
#   HOST_BUILD: the host build with tools/audiocheck/plemox-audiocheck (build)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(cd "${1:-$root/build-windows}" && pwd) || exit 1
export PLEMOX_HOST_BUILD=$(cd "${2:-$root/build}" && pwd) || exit 1
xvfb=$root/scripts/with-xvfb.sh
# The host build's tools may carry the sanitizers: the libraries' own
# lifelong allocations are not theirs, as in CTest.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
here=$root/tests/wine

# A static 32-bit x86 program that only exits with status 7.
runs_32bit_code() {
  local dir status
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  movl $7, %%ebx\n  int $0x80\n' >"$dir/probe.s"
  if ! as --32 -o "$dir/probe.o" "$dir/probe.s" 2>"$dir/log" || ! ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>>"$dir/log"; then
    why="a 32-bit program cannot be built here: $(cat "$dir/log")"
    rm -rf "$dir"
    return 2
  fi
  "$dir/probe" 2>"$dir/log"
  status=$?
  why=$(sed 's/.*: //' "$dir/log")
  rm -rf "$dir"
  [ "$status" = 7 ]
}

why=
if runs_32bit_code; then
  session_build=$out/i686
  zip=$out/plemox-windows-i686.zip
  unit_builds=("$out/i686" "$out/x86_64")
  notice=
  echo "wine: this machine runs 32-bit code; the sessions run the shipped 32-bit program"
else
  session_build=$out/x86_64
  zip=
  unit_builds=("$out/x86_64")
  notice="NOTE: this machine cannot execute 32-bit x86 code (${why:-a 32-bit test program does not run}): the shipped 32-bit Plemox.exe was NOT run; its 64-bit twin stood in for it in every Wine test."
  echo "$notice" >&2
fi

passed=0
failed=0
failures=
run() {
  local name=$1 started=$SECONDS
  shift
  echo "wine test: $name"
  if "$xvfb" bash "$@"; then
    passed=$((passed + 1))
    echo "wine test: $name passed ($((SECONDS - started)) s)"
  else
    failed=$((failed + 1))
    failures="$failures $name"
    echo "wine test: $name FAILED ($((SECONDS - started)) s)" >&2
  fi
}

# The music session mostly listens for the length of the piece, in a Wine
# prefix of its own: it runs beside the others (a busy machine costs it
# dropouts, which it allows for) and is reported at the end.
music_log=$(mktemp)
music_started=$SECONDS
"$xvfb" bash "$here/music.sh" "$session_build" >"$music_log" 2>&1 &
music_pid=$!

for build in "${unit_builds[@]}"; do
  run "unit $(basename "$build")" "$here/unit.sh" "$build"
done
run playthrough "$here/playthrough.sh" "$session_build" $zip
for session in fallback colour_depth no_mp3_decoder huge_rgbe; do
  run "$session" "$here/$session.sh" "$session_build"
done

echo "wine test: music"
if wait "$music_pid"; then
  passed=$((passed + 1))
  cat "$music_log"
  echo "wine test: music passed ($((SECONDS - music_started)) s)"
else
  failed=$((failed + 1))
  failures="$failures music"
  cat "$music_log" >&2
  echo "wine test: music FAILED ($((SECONDS - music_started)) s)" >&2
fi
rm -f "$music_log"

[ -n "$notice" ] && echo "$notice" >&2
[ "$failed" = 0 ] || echo "wine: failed:$failures" >&2
echo "wine: $passed passed, $failed failed"
[ "$failed" = 0 ]
