#!/bin/sh
# dev.sh -- one command to set up a Debian machine (12 or 13), build Driftrock, and play it or test it.
# Usage: tools/dev.sh play | test | build | package | windows | web | release [--check] | setup TREE... |
#        trees TREE... | packages TREE...
#   test: the whole suite in six build trees: plain (with Valgrind, both SDL runtimes, Wayland and
#   the package), AddressSanitizer and UndefinedBehaviorSanitizer (with the million-frame soak),
#   clang with libFuzzer on the picture loader, arm64 under qemu-user, 64-bit Windows under wine,
#   and the browser (WebAssembly under Node.js, the page in chromium); the release check; on Debian 12
#   also the trees whose toolchains and libraries differ on Debian 13, in a minimal Debian 13 system
#   (tools/debian_chroot.sh); then one total line.
#   windows: the Windows ZIP and installer, in build-windows/.
#   web: the web page's folder, build-web/site/, and the same as a ZIP for a game portal.
#   release: every file a player or host downloads, from the commit, in dist/ (tools/release.sh);
#   --check builds the release twice in varied environments and compares them bit for bit.
#   setup TREE...: installs what those trees need (and the browser tests' driver); trees TREE...: builds
#   and tests them, installing nothing (docs/testing.md: one tree, one test); packages TREE...: the
#   Debian packages they need. The trees: plain asan fuzz arm64 windows web release (the Debian package
#   and the web ZIP built twice and compared).
# What is fetched: packages from Debian's archive (apt, as the machine is set up); SDL's source for the
#   Windows build, once (tools/debian_source.sh keeps it); the browser tests' driver from npm, once per
#   lockfile; for test on Debian 12, a Debian 13 system, once (kept, below).
# Settings: DRIFTROCK_HOMEPAGE=https://... (the package's homepage) for build, play, package and release;
# DRIFTROCK_SITE_URL=https://.../ (the page's public address) for web and release; DRIFTROCK_DEBIAN13=no
# for test; DRIFTROCK_MIRROR=URL (Debian's archive, http://deb.debian.org/debian) for SDL's source and
# the Debian 13 system; DRIFTROCK_CACHE=DIR (where the Debian 13 system is kept, /var/cache/driftrock);
# DRIFTROCK_DOWNLOADS=DIR (where SDL's source is kept, ~/.cache/driftrock).
# Unset, they leave what the build tree already has (a package never keeps the test tree's stand-in homepage).
set -eu
cd "$(dirname "$0")/.."

# What building and playing need, and what each test tree adds; all from Debian's archive, by names
# that Debian 12 and 13 both have (version-free where a name carries a version).
GAME_PACKAGES="g++ cmake make pkg-config libsdl1.2-dev libx11-dev libgl-dev libgl1-mesa-dri"
# The Windows build: the cross compiler, NSIS, and dpkg-source to unpack Debian's SDL source.
WINDOWS_PACKAGES="cmake make python3 mingw-w64 nsis dpkg-dev"
# The browser build: Debian's Emscripten (with its Node.js).
WEB_PACKAGES="cmake make python3 emscripten"
TEST_PACKAGES="libgtest-dev libbenchmark-dev python3 python3-pytest python3-pil libpng-dev xvfb xauth xdotool imagemagick valgrind tmux weston \
libsdl1.2-compat lintian desktop-file-utils appstream x11-utils dpkg-dev mmdebstrap"
# The release check (reprotest varies the build's environment, diffoscope shows what differs).
RELEASE_PACKAGES="git strip-nondeterminism reprotest diffoscope-minimal faketime disorderfs"
ALL_TREES="plain asan fuzz arm64 windows web release"
# The trees whose compilers, SDL runtimes, sanitizers or Emscripten differ between Debian 12 and 13.
DEBIAN13_TREES="plain asan fuzz web"

# packages TREE...: what the game and those trees' tests need.
packages() {
    list="$GAME_PACKAGES $TEST_PACKAGES"
    for t in "$@"; do
        case $t in
            fuzz) list="$list clang libclang-rt-dev" ;;
            arm64) list="$list g++-aarch64-linux-gnu qemu-user libsdl1.2debian:arm64 libgl1:arm64 libx11-6:arm64" ;;
            windows) list="$list $WINDOWS_PACKAGES wine64" ;;
            web) list="$list $WEB_PACKAGES chromium firefox-esr webkit2gtk-driver nginx" ;;
            release) list="$list $WEB_PACKAGES $RELEASE_PACKAGES" ;;
        esac
    done
    echo $list | tr ' ' '\n' | sort -u | tr '\n' ' '
}

# Installing packages and the Debian 13 system's mounts need root: directly, or through sudo, which
# keeps the Debian 13 run's settings only when they are named to it.
if [ "$(id -u)" -eq 0 ]; then sudo="" keep=""; else sudo="sudo" keep="--preserve-env=DRIFTROCK_CACHE,DRIFTROCK_MIRROR,http_proxy,https_proxy,no_proxy,HTTP_PROXY,HTTPS_PROXY,NO_PROXY"; fi

# debian13_cannot: why this machine cannot make and enter a Debian 13 system (and succeeds), or fails
# where it can: root (or sudo without a password) and mount and process namespaces of its own.
debian13_cannot() {
    if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
        echo "it needs root, or sudo without a password"
    elif ! $sudo unshare --mount --pid --fork true 2>/dev/null; then
        echo "this machine allows no mount and process namespaces of our own (a container, say)"
    else
        return 1
    fi
}

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
    # A tree whose toolchain file is gone (they moved to cmake/) is configured afresh.
    fresh=""
    toolchain=$(sed -n 's/^include("\(.*\)")$/\1/p' "$dir"/CMakeFiles/*/CMakeSystem.cmake 2>/dev/null || true)
    [ -n "$toolchain" ] && [ ! -e "$toolchain" ] && fresh=--fresh
    # The test trees compile through ccache where it is installed: a machine that ran the suite before
    # compiles only what changed (Emscripten's compilers are not ccache's to wrap).
    launch=""
    case " $* " in *emscripten*) ;; *) command -v ccache >/dev/null && launch="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache" ;; esac
    cmake $fresh -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTROCK_TESTS=$extras -DDRIFTROCK_BENCH=$extras $launch "$@" &&
        cmake --build "$dir" -j "$(nproc)"
}

# check DIR [CTEST OPTIONS...]: runs one tree's tests and adds its counts to the totals; each skipped
# test (CTest counts it among the passed) goes to $skips as "RELEASE NAME: REASON", with the reason
# the test printed and the Debian release it was skipped on.
release=$(. /etc/os-release && echo "${VERSION_ID:-unknown}" | cut -d. -f1)
passed=0
failed=0
skipped=0
skips=$(mktemp)
trap 'rm -f "$skips"' EXIT
check() {
    dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure "$@" | tee "$dir/ctest.log" || true
    total=$(sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$dir/ctest.log")
    if [ -z "$total" ]; then total=1 bad=1; echo "$dir: no tests ran"; fi
    for name in $(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$dir/ctest.log"); do
        reason=$(awk -v name="$name" '/^[0-9]+\/[0-9]+ Testing: /{ours = ($3 == name)}
            ours && sub(/^(skipped: |SKIPPED \[[0-9]+\] [^ ]+: )/, "") {print; exit}' "$dir/Testing/Temporary/LastTest.log")
        echo "$release $name: ${reason:-it gave no reason}" >>"$skips"
        skipped=$((skipped + 1))
    done
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

# total: the closing line, each skipped test named with its reason beneath it. Under CI every skip must
# be one that tests/skips.txt expects on this Debian release; any other counts as a failure.
total() {
    passed=$((passed - skipped))
    while read -r on skip; do
        echo "skipped: $skip (Debian $on)"
        [ -n "${CI:-}" ] || continue
        expected=no
        while read -r where pattern _; do
            # shellcheck disable=SC2254 # the file's own shell pattern
            [ "$where" = "$on" ] && case "${skip%%: *}" in $pattern) expected=yes ;; esac
        done <tests/skips.txt
        if [ $expected = no ]; then
            echo "  not a skip that tests/skips.txt expects on Debian $on: it counts as a failure"
            failed=$((failed + 1))
        fi
    done <"$skips"
    echo "Total: $passed passed, $skipped skipped, $failed failed"
    [ "$failed" -eq 0 ]
}

# homepage: the package's homepage as given; unset, the one the tree has, but never the test tree's
# stand-in (the tests package the game with a reserved address; a player's package names none).
STAND_IN=https://driftrock.example/
homepage() {
    if [ -n "${DRIFTROCK_HOMEPAGE+set}" ]; then
        echo "-DDRIFTROCK_HOMEPAGE=$DRIFTROCK_HOMEPAGE"
    elif grep -qx "DRIFTROCK_HOMEPAGE:STRING=$STAND_IN" build/CMakeCache.txt 2>/dev/null; then
        echo "-UDRIFTROCK_HOMEPAGE"
    fi
}

# build_tree NAME: builds one test tree.
build_tree() {
    case $1 in
        # The package is tested complete: with a homepage, the publisher's or a reserved stand-in.
        plain) build build -DDRIFTROCK_TESTS=ON -DDRIFTROCK_BENCH=ON \
            -DDRIFTROCK_HOMEPAGE="${DRIFTROCK_HOMEPAGE:-$STAND_IN}" ;;
        asan) build build-asan -DDRIFTROCK_SANITIZE=ON -DDRIFTROCK_TESTS=ON ;;
        fuzz) CC=clang CXX=clang++ build build-fuzz -DDRIFTROCK_FUZZ=ON ;;
        arm64) build build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64.cmake ;;
        windows) build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake ;;
        web) build build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake ;;
        *) echo "dev.sh: no tree named $1" >&2; return 2 ;;
    esac
}

# setup TREE...: installs what those trees need, and the browser tests' driver: playwright-core,
# pinned by its lockfile (it drives Debian's chromium).
setup() {
    # ccache for this machine's trees (the Debian 13 system has its own packages, and goes without).
    install_missing $(packages "$@") ccache
    case " $* " in
        *" web "*)
            command -v npm >/dev/null || install_missing npm
            (cd tests/browser && npm ci --no-audit --no-fund) ;;
    esac
}

# trees TREE...: each tree built and tested in turn (two tests at a time where they allow it); a tree
# that fails to build counts as one failure, and the next goes on.
trees() {
    for t in "$@"; do
        if [ "$t" = release ]; then
            # Not a build tree: the Debian package and the web ZIP built twice, compared bit for bit.
            if tools/release.sh --check deb web; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
        elif build_tree "$t"; then
            case $t in
                plain) check build -j 2 ;;
                asan) check build-asan -j 2 ;;
                *) check "build-$t" ;;
            esac
        else
            echo "$t: the build failed"
            failed=$((failed + 1))
        fi
    done
}

case "${1:-}" in
    play)
        install_missing $GAME_PACKAGES
        build build $(homepage)
        rm -f "$skips"  # exec skips the exit trap
        cd data && exec ../build/driftrock
        ;;
    test)
        setup $ALL_TREES
        trees $ALL_TREES
        # On Debian 12, the same trees again on Debian 13, the current stable release; a machine that
        # cannot make its system says why in one line, and the part counts as skipped.
        if [ "$release" = 12 ] && [ "${DRIFTROCK_DEBIAN13:-yes}" != no ]; then
            if why=$(debian13_cannot); then
                echo "Debian 13: cannot run here: $why; DRIFTROCK_DEBIAN13=no turns this part off"
                echo "13 debian13: $why" >>"$skips"
                skipped=$((skipped + 1)) passed=$((passed + 1))
            else
                $sudo $keep tools/debian_chroot.sh trixie $DEBIAN13_TREES 2>&1 | tee build-debian13.log || true
                line=$(sed -n 's/^Total: \([0-9]*\) passed, \([0-9]*\) skipped, \([0-9]*\) failed$/\1 \2 \3/p' \
                    build-debian13.log | tail -n 1)
                set -- ${line:-0 0 1}
                passed=$((passed + $1 + $2))
                skipped=$((skipped + $2))
                failed=$((failed + $3))
                sed -n 's/^skipped: \(.*\) (Debian 13)$/13 \1/p' build-debian13.log >>"$skips"
                echo "Debian 13: $1 passed, $2 skipped, $3 failed"
            fi
        fi
        total
        ;;
    packages)
        shift
        packages "$@"
        ;;
    setup)
        shift
        setup "$@"
        ;;
    trees)
        shift
        trees "$@"
        total
        ;;
    build)
        install_missing $GAME_PACKAGES
        build build $(homepage)
        ;;
    package)
        install_missing $GAME_PACKAGES
        build build $(homepage)
        (cd build && cpack -G DEB)
        ;;
    windows)
        install_missing $WINDOWS_PACKAGES
        build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake
        (cd build-windows && cpack)
        ;;
    release)
        # Every package the three builds need, and for --check reprotest's too.
        shift
        install_missing git strip-nondeterminism $GAME_PACKAGES $WINDOWS_PACKAGES $WEB_PACKAGES
        case " $* " in *" --check "*) install_missing $RELEASE_PACKAGES ;; esac
        rm -f "$skips"  # exec skips the exit trap
        exec tools/release.sh "$@"
        ;;
    web)
        install_missing $WEB_PACKAGES
        build build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake ${DRIFTROCK_SITE_URL+"-DDRIFTROCK_SITE_URL=$DRIFTROCK_SITE_URL"}
        echo "The page is in build-web/site/: python3 -m http.server --bind 127.0.0.1 --directory build-web/site"
        echo "For a game portal's upload, the same folder as a ZIP: $(ls build-web/driftrock-*-web.zip)"
        ;;
    *)
        echo "usage: tools/dev.sh play | test | build | package | windows | web | release [--check] | setup TREE... | trees TREE... | packages TREE..." >&2
        exit 2
        ;;
esac
