#!/bin/sh
# debian_source.sh -- a Debian source package, exactly the version named, unpacked with its patch series
# applied. The first time it is fetched from Debian's archive through a private apt set-up (the
# machine's own sources need no deb-src line); its files (.dsc and tarballs) are kept, so later builds
# need no network, and a release hands them on as SDL.dll's corresponding source.
# Usage: tools/debian_source.sh PACKAGE VERSION DSC_SHA256 DIR     (DIR must not exist yet)
# Settings: DRIFTROCK_MIRROR=URL (Debian's archive, http://deb.debian.org/debian);
# DRIFTROCK_DOWNLOADS=DIR (where fetched files are kept, ~/.cache/driftrock).
set -eu
package=$1 version=$2 sha256=$3 dest=$4
mirror=${DRIFTROCK_MIRROR:-http://deb.debian.org/debian}
kept=${DRIFTROCK_DOWNLOADS:-${XDG_CACHE_HOME:-$HOME/.cache}/driftrock}/${package}_$version
dsc=${package}_$(echo "$version" | sed 's/^[0-9]*://').dsc
# The .dsc names every tarball with its checksum, and dpkg-source checks them: a .dsc of the pinned
# checksum is the whole source, however and whenever it came.
fetch="" unpack=""
trap 'rm -rf "$fetch" "$unpack"' EXIT
pinned() {
    echo "$sha256  $1" | sha256sum --quiet -c - 2>/dev/null
}
if ! [ -f "$kept/$dsc" ] || ! pinned "$kept/$dsc"; then
    echo "Fetching $package $version's source from $mirror into $kept"
    work=$(mktemp -d)
    fetch=$work
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/get"
    # Bookworm's archive: the release that has this version (Debian 13 has no classic SDL 1.2).
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
        >"$work/sources.list"
    apt() {
        apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null \
            -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o Debug::NoLocking=1 \
            -o APT::Sandbox::User="$(id -un)" "$@"
    }
    apt update >/dev/null
    # apt checks the files against the index, which Debian's archive key signs.
    (cd "$work/get" && apt source --download-only "$package=$version")
    pinned "$work/get/$dsc" || {
        echo "$dsc: its SHA-256 is $(sha256sum <"$work/get/$dsc" | cut -c1-64), not the pinned $sha256" >&2
        exit 1
    }
    # The .dsc last: a copy cut short is fetched again.
    mkdir -p "$kept"
    rm -rf "$kept/src"
    find "$work/get" -maxdepth 1 -type f ! -name "$dsc" -exec cp {} "$kept/" \;
    cp "$work/get/$dsc" "$kept/"
fi
# Unpacked once, beside them, and copied for each build: every build then starts from the same files
# (and dpkg-source, which sets the patched files' times, never runs under a build's faked clock).
if ! [ -d "$kept/src" ]; then
    unpack=$(mktemp -d "$kept/unpack.XXXXXX")
    (cd "$unpack" && dpkg-source -q -x "$kept/$dsc" src)
    mv "$unpack/src" "$kept/src"
fi
cp -R "$kept/src" "$dest"
