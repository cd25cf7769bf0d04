#!/usr/bin/env bash
# A short timedemo walk through the shipped level on llvmpipe and on zink over
# lavapipe: the pictures of the two drivers agree within a small tolerance
# (they rasterise and filter a little differently), and on zink the scene
# passes with and without their depth pre-pass give the very same frames.
# Usage: zink_walk.sh TIMEDEMO GAME-DIR WALK
set -u
timedemo=$1
game_dir=$2
full_walk=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every 25th camera of the recorded walk: hall, hub, crypt and the lower level.
awk '!/^#/ && NF == 6 && (n++ % 25) == 0' "$full_walk" > "$work/walk.txt"
frames=$(wc -l < "$work/walk.txt")
[ "$frames" -ge 8 ] || { echo "zink_walk: the walk has only $frames cameras"; exit 1; }

run() {  # name, then the driver wrapper (or nothing) and extra options
  local name=$1; shift
  local wrapper=()
  if [ "$1" = zink ]; then wrapper=("$here/with-zink.sh"); fi
  shift
  mkdir -p "$work/$name"
  if ! "${wrapper[@]}" "$timedemo" --game-dir "$game_dir" --walk "$work/walk.txt" --no-profile \
       --shots "$work/$name" 1 "$@" > "$work/$name.log" 2>&1; then
    echo "zink_walk: the $name run failed:"; cat "$work/$name.log"; exit 1
  fi
  grep -E '^walk:|^run [123]' "$work/$name.log" | sed "s/^/$name: /"
}
run llvmpipe none
run zink zink
run zink-no-prepass zink --no-depth-prepass
grep -q 'renderer zink' "$work/zink.log" || { echo "zink_walk: zink was not the renderer"; exit 1; }

status=0
pixels=$((1024 * 768))
shots=0
for a in "$work"/llvmpipe/*.bmp; do
  name=$(basename "$a")
  shots=$((shots + 1))
  # Pixels differing by more than 3% of full scale between the drivers.
  differ=$(compare -metric AE -fuzz 3% "$a" "$work/zink/$name" null: 2>&1 | cut -d' ' -f1)
  if ! [[ "$differ" =~ ^[0-9]+$ ]] || [ "$differ" -gt $((pixels / 100)) ]; then
    echo "zink_walk: $name: $differ pixels differ between llvmpipe and zink (at most $((pixels / 100)))"
    status=1
  fi
  if ! cmp -s "$work/zink/$name" "$work/zink-no-prepass/$name"; then
    echo "zink_walk: $name: the depth pre-pass changes the picture on zink"
    status=1
  fi
done
[ "$shots" -eq $((2 * frames)) ] || { echo "zink_walk: $shots shots for $frames cameras"; status=1; }
[ $status -eq 0 ] && echo "zink_walk: $shots frames agree"
exit $status
