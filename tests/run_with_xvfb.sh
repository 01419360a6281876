#!/bin/sh
# run_with_xvfb.sh -- runs a command on a private Xvfb (1280x1024, 24-bit, never reset) and stops it after.
# Usage: run_with_xvfb.sh COMMAND [ARG...]; the command's exit status is passed through.
# -noreset: classic SDL 1.2 opens the display, closes it and opens it again; a server that resets
# when its last client leaves refuses that second connection now and then.
set -u
numfile=$(mktemp)
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$numfile" >/dev/null 2>&1 &
xvfb=$!
tries=0
while [ ! -s "$numfile" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$xvfb" 2>/dev/null; then
        echo "run_with_xvfb: Xvfb did not start" >&2
        rm -f "$numfile"
        exit 1
    fi
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$numfile")"
export DISPLAY
rm -f "$numfile"
"$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
