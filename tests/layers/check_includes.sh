#!/usr/bin/env bash
# Fails when a source includes a header of a layer above its own, or when
# engine code names the operating system's own headers. The layers, bottom
# to top: platform and sound, core, assets, render, world, ui, app.
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
declare -A rank=([platform]=0 [sound]=0 [core]=1 [assets]=2 [render]=3 [world]=4 [ui]=5 [app]=6)
status=0
for layer in "${!rank[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r hit; do
    file=${hit%%:*}
    included=$(sed -E 's/.*#[[:space:]]*include[[:space:]]+"([a-z]+)\/.*/\1/' <<<"$hit")
    [ -n "${rank[$included]+x}" ] || continue
    if [ "${rank[$included]}" -gt "${rank[$layer]}" ] ||
       { [ "${rank[$layer]}" -eq 0 ] && [ "$included" != "$layer" ]; }; then
      echo "wrong-way include: $hit"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z]+/' "$layer" --include='*.h' --include='*.cpp')
done
# Only the backends talk to the operating system.
for layer in core assets render world ui app; do
  [ -d "$layer" ] || continue
  if grep -rnE '#[[:space:]]*include[[:space:]]*[<"](SDL[^>"]*|windows\.h)[>"]' "$layer"; then
    echo "operating-system header in $layer/ (only platform/ and sound/ may include one)"
    status=1
  fi
done
[ $status -eq 0 ] && echo "layers: every include runs downwards"
exit $status
