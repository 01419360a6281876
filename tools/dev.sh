#!/bin/sh
# dev.sh -- one command to set up a Debian machine, build Driftrock, and play it or test it.
# Usage: tools/dev.sh play | test | build
set -eu
cd "$(dirname "$0")/.."

# What building, playing and testing need, all from Debian's archive.
PACKAGES="g++ cmake make pkg-config libsdl1.2-dev libgl-dev libgl1-mesa-dri libgtest-dev \
xvfb xauth xdotool imagemagick python3"

install_missing() {
    missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing from Debian's archive:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$(nproc)"
}

case "${1:-}" in
    play)
        install_missing
        build
        cd data && exec ../build/driftrock
        ;;
    test)
        install_missing
        build
        ctest --test-dir build --output-on-failure -j 2
        ;;
    build)
        install_missing
        build
        ;;
    *)
        echo "usage: tools/dev.sh play | test | build" >&2
        exit 2
        ;;
esac
