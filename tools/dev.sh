#!/bin/sh
# dev.sh -- one command to set up a Debian machine, build Driftrock, and play it or test it.
# Usage: tools/dev.sh play | test | build | package | windows | web
#   test: the whole suite in six build trees: plain (with Valgrind, both SDL runtimes, Wayland and
#   the package), AddressSanitizer and UndefinedBehaviorSanitizer (with the million-frame soak),
#   clang with libFuzzer on the picture loader, arm64 under qemu-user, 64-bit Windows under wine,
#   and the browser (WebAssembly under Node.js, the page in chromium); then one total line.
#   windows: the Windows ZIP and installer, in build-windows/.
#   web: the web page's folder, build-web/site/.
set -eu
cd "$(dirname "$0")/.."

# What building and playing need, and what the tests add; all from Debian's archive.
GAME_PACKAGES="g++ cmake make pkg-config libsdl1.2-dev libx11-dev libgl-dev libgl1-mesa-dri"
# The Windows build: the cross compiler, NSIS, and dpkg-source to unpack Debian's SDL source.
WINDOWS_PACKAGES="cmake make python3 mingw-w64 nsis dpkg-dev"
# The browser build: Debian's Emscripten (with its Node.js).
WEB_PACKAGES="cmake make python3 emscripten"
TEST_PACKAGES="libgtest-dev libbenchmark-dev python3 xvfb xauth xdotool imagemagick valgrind tmux weston \
clang libclang-rt-14-dev libsdl1.2-compat lintian desktop-file-utils appstream \
g++-aarch64-linux-gnu qemu-user libsdl1.2debian:arm64 libgl1:arm64 libx11-6:arm64 x11-utils wine64 $WINDOWS_PACKAGES $WEB_PACKAGES chromium"

# installed PACKAGE: whether dpkg has it installed.
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# install_missing PACKAGE...: never removes a package (an arm64 library may not displace our own).
install_missing() {
    missing=""
    for p in "$@"; do
        installed "$p" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing from Debian's archive:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    case "$missing" in
        *:arm64*) dpkg --print-foreign-architectures | grep -qx arm64 || $sudo dpkg --add-architecture arm64 ;;
    esac
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends --no-remove $missing
}

# build DIR [CMAKE OPTIONS...]; the tests and benchmarks only where their libraries are installed.
build() {
    dir=$1
    shift
    extras=OFF
    installed libgtest-dev && installed libbenchmark-dev && extras=ON
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTROCK_TESTS=$extras -DDRIFTROCK_BENCH=$extras "$@"
    cmake --build "$dir" -j "$(nproc)"
}

# check DIR [CTEST OPTIONS...]: runs one tree's tests and adds its counts to the totals.
passed=0
failed=0
check() {
    dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure "$@" | tee "$dir/ctest.log" || true
    total=$(sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$dir/ctest.log")
    if [ -z "$total" ]; then total=1 bad=1; echo "$dir: no tests ran"; fi
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

case "${1:-}" in
    play)
        install_missing $GAME_PACKAGES
        build build
        cd data && exec ../build/driftrock
        ;;
    test)
        install_missing $GAME_PACKAGES $TEST_PACKAGES
        build build -DDRIFTROCK_TESTS=ON -DDRIFTROCK_BENCH=ON
        check build -j 2
        build build-asan -DDRIFTROCK_SANITIZE=ON -DDRIFTROCK_TESTS=ON
        check build-asan -j 2
        CC=clang CXX=clang++ build build-fuzz -DDRIFTROCK_FUZZ=ON
        check build-fuzz
        build build-arm64 -DCMAKE_TOOLCHAIN_FILE=tools/aarch64.cmake
        check build-arm64
        build build-windows -DCMAKE_TOOLCHAIN_FILE=tools/mingw64.cmake
        check build-windows
        # The browser tests' driver: playwright-core, pinned by its lockfile (it drives Debian's chromium).
        command -v npm >/dev/null || install_missing npm
        (cd tests/browser && npm ci --no-audit --no-fund)
        build build-web -DCMAKE_TOOLCHAIN_FILE=tools/emscripten.cmake
        check build-web
        echo "Total: $passed passed, $failed failed"
        [ "$failed" -eq 0 ]
        ;;
    build)
        install_missing $GAME_PACKAGES
        build build
        ;;
    package)
        install_missing $GAME_PACKAGES
        build build
        (cd build && cpack -G DEB)
        ;;
    windows)
        install_missing $WINDOWS_PACKAGES
        build build-windows -DCMAKE_TOOLCHAIN_FILE=tools/mingw64.cmake
        (cd build-windows && cpack)
        ;;
    web)
        install_missing $WEB_PACKAGES
        build build-web -DCMAKE_TOOLCHAIN_FILE=tools/emscripten.cmake
        echo "The page is in build-web/site/: python3 -m http.server --bind 127.0.0.1 --directory build-web/site"
        ;;
    *)
        echo "usage: tools/dev.sh play | test | build | package | windows | web" >&2
        exit 2
        ;;
esac
