#!/usr/bin/env bash
# Runs a command on Mesa's zink driver over lavapipe (OpenGL on Vulkan, both
# in software) instead of llvmpipe, with the private runtime folder Vulkan's
# window-system code needs.
set -u
here=$(cd "$(dirname "$0")" && pwd)
runtime=$(mktemp -d)
# In the sanitizer build: the drivers' own faults are not the game's.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:suppressions=$here/asan_zink.supp"
export XDG_RUNTIME_DIR="$runtime"
export LIBGL_ALWAYS_SOFTWARE=1
export MESA_LOADER_DRIVER_OVERRIDE=zink
"$@"
status=$?
rm -rf "$runtime"
exit $status
