#!/bin/sh
# release_build.sh -- the building half of tools/release.sh, run in the commit's exported source tree
# (by reprotest, twice, for --check): the release's files into release-out/. It reads release-settings,
# a line each: the commit's time, where fetched sources are kept, the homepage, the page's address and
# the parts (deb windows web). Nothing from the environment it runs in may reach the files.
set -eu
{ read -r epoch; read -r downloads; read -r homepage; read -r site; read -r parts; } <release-settings
export SOURCE_DATE_EPOCH="$epoch" DRIFTROCK_DOWNLOADS="$downloads"
# The Debian package's ar archive records its members' modes as the umask made them.
umask 022
out=$PWD/release-out
rm -rf release-build "$out"
mkdir -p "$out"

# configure TREE CMAKE OPTIONS...: a tree of the game alone (no tests, no benchmarks), whose install
# builds nothing beyond what it installs; then build TARGET... builds what a part installs.
configure() {
    tree=release-build/$1
    shift
    cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTROCK_TESTS=OFF -DDRIFTROCK_BENCH=OFF \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
}
build() {
    cmake --build "$tree" -j "$(nproc)" --target "$@"
}

for part in $parts; do
    case $part in
        deb)
            configure deb -DDRIFTROCK_HOMEPAGE="$homepage"
            build driftrock packaging_docs
            (cd "$tree" && cpack -G DEB >/dev/null)
            cp "$tree"/driftrock_*.deb "$out/"
            ;;
        windows)
            configure windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake
            build driftrock
            # A ZIP keeps local times, of no zone: the release's are UTC.
            (cd "$tree" && TZ=UTC cpack >/dev/null)
            cp "$tree"/driftrock-*-win64.zip "$tree"/driftrock-*-win64-setup.exe "$out/"
            # SDL.dll's corresponding source (the LGPL asks for it): the very files it was built from.
            sdl=$(sed -n 's/^DRIFTROCK_SDL_VERSION:STRING=//p' "$tree/CMakeCache.txt")
            find "$downloads/libsdl1.2_$sdl" -maxdepth 1 -type f -exec cp {} "$out/" \;
            ;;
        web)
            configure web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DDRIFTROCK_SITE_URL="$site"
            build web_page
            cp "$tree"/driftrock-*-web.zip "$out/"
            ;;
    esac
done
# A ZIP records each file's owner, whoever built it: Debian's strip-nondeterminism leaves none that differs.
for zip in "$out"/*.zip; do
    if [ -e "$zip" ]; then strip-nondeterminism --type zip --timestamp "$epoch" "$zip" >/dev/null; fi
done
