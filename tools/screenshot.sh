#!/bin/sh
# screenshot.sh -- plays a short scripted session of the real game on a private Xvfb and saves the
# window mid-play (thrust, exhaust, bullets, broken rocks, cursor). Usage: tools/screenshot.sh OUT.png [BUILD_DIR]
set -eu
out=$(realpath "$1")
build=$(realpath "${2:-build}")
cd "$(dirname "$0")/.."
exec python3 harness/xvfb.py sh -c '
    cd data && "$0/driftrock" & game=$!
    xdotool search --sync --onlyvisible --name "^Driftrock\$" >/dev/null
    xdotool mousemove 700 200
    # Swing towards the rocks coming from the top-right corner and keep firing.
    for i in 1 2 3 4 5 6 7 8 9 10 11 12; do
        xdotool keydown Right sleep 0.03 keyup Right key space sleep 0.12
    done
    for i in 1 2 3 4 5 6 7 8 9 10; do xdotool key space sleep 0.15; done
    xdotool keydown Up sleep 0.5 key space sleep 0.1 key space sleep 0.1
    import -window "$(xdotool search --name "^Driftrock\$" | head -n 1)" "$1"
    xdotool keyup Up key Escape
    wait $game
' "$build" "$out"
