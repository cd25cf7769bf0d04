#!/usr/bin/env bash
# Runs a command on a private Xvfb server (1280x1024, 24 bits) with Mesa's
# software renderer. Xvfb picks a free display itself (-displayfd), so several
# of these can run side by side.
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
if [ -z "$display" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display"
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
status=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $status
