#!/bin/sh
# dev.sh -- one command to set up a Debian machine, build Driftrock, and play it or test it.
# Usage: tools/dev.sh play | test | build | package
#   test: the whole suite three times over: the plain build (with Valgrind on the real binary), a build
#   under AddressSanitizer and UndefinedBehaviorSanitizer (with the million-frame soak), and a
#   libFuzzer build of the picture loader (clang), fuzzed for a minute.
set -eu
cd "$(dirname "$0")/.."

# What building and playing need, and what the tests add; all from Debian's archive.
BUILD_PACKAGES="g++ cmake make pkg-config libsdl1.2-dev libgl-dev libgl1-mesa-dri libgtest-dev libbenchmark-dev \
python3"
TEST_PACKAGES="xvfb xauth xdotool imagemagick valgrind clang libclang-rt-14-dev libsdl1.2-compat \
lintian desktop-file-utils appstream"

# install_missing PACKAGE...
install_missing() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing from Debian's archive:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}

# build DIR [CMAKE OPTIONS...]
build() {
    dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
    play)
        install_missing $BUILD_PACKAGES
        build build
        cd data && exec ../build/driftrock
        ;;
    test)
        install_missing $BUILD_PACKAGES $TEST_PACKAGES
        build build
        ctest --test-dir build --output-on-failure -j 2
        build build-asan -DDRIFTROCK_SANITIZE=ON
        ctest --test-dir build-asan --output-on-failure -j 2
        CC=clang CXX=clang++ build build-fuzz -DDRIFTROCK_FUZZ=ON
        ctest --test-dir build-fuzz --output-on-failure
        ;;
    build)
        install_missing $BUILD_PACKAGES
        build build
        ;;
    package)
        install_missing $BUILD_PACKAGES
        build build
        (cd build && cpack -G DEB)
        ;;
    *)
        echo "usage: tools/dev.sh play | test | build | package" >&2
        exit 2
        ;;
esac
