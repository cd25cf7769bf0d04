#!/usr/bin/env bash
# Installs the dependencies, builds the game with its data and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DPLEMOX_TESTS=OFF
cmake --build "$root/build-release" -j"$(nproc)"
cd "$root/build-release/game"
exec ./plemox
