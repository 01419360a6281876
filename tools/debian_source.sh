#!/bin/sh
# debian_source.sh -- fetches a Debian source package from Debian's archive and unpacks it with its
# patch series applied, through a private apt set-up (the machine's own sources need no deb-src line).
# Usage: tools/debian_source.sh PACKAGE VERSION DIR     (DIR must not exist yet; it becomes the source)
set -eu
package=$1 version=$2 dest=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/get"
keys=/usr/share/keyrings/debian-archive-keyring.gpg
cat > "$work/sources.list" <<LIST
deb-src [signed-by=$keys] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keys] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keys] http://deb.debian.org/debian-security bookworm-security main
LIST
apt() {
    apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o Debug::NoLocking=1 \
        -o APT::Sandbox::User="$(id -un)" "$@"
}
apt update >/dev/null
# The index is signed by Debian's archive key; dpkg-source checks the tarballs against the .dsc.
(cd "$work/get" && apt source --download-only "$package=$version" && dpkg-source -x ./*.dsc src)
mv "$work/get/src" "$dest"
