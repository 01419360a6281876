#!/bin/sh
# installer_screenshots.sh -- walks the Windows installer's pages as a player does (Return on each), in a
# fresh wine prefix on a private display, and saves each page and the game it starts as PNGs.
# Usage: tools/installer_screenshots.sh INSTALLER.exe OUT_DIR
#        (writes welcome, licence, components, folder, finish and game .png in OUT_DIR)
set -eu
installer=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cd "$(dirname "$0")/../harness"
WINEPREFIX="$prefix" exec python3 xvfb.py sh -c '
    python3 wine.py "$0" &
    window=$(xdotool search --sync --onlyvisible --name "^Driftrock Setup\$" | head -n 1)
    sleep 2
    for page in welcome licence components folder; do
        import -window "$window" "$1/$page.png"
        xdotool key --window "$window" Return sleep 1.5
    done
    sleep 8
    import -window "$window" "$1/finish.png"
    xdotool key --window "$window" Return
    game=$(xdotool search --sync --onlyvisible --name "^Driftrock\$" | head -n 1)
    sleep 2
    import -window "$game" "$1/game.png"
    xdotool mousemove --window "$game" 512 384 key Escape
    wait
' "$installer" "$out"
