#!/bin/sh
# release.sh -- every file a player or a host downloads, built from the current commit into
# dist/driftrock-VERSION/, with SHA256SUMS: the Debian package, the Windows ZIP and installer with SDL's
# Debian source, the web folder's ZIP and the commit's source. The same commit gives the same bytes.
# Usage: tools/release.sh [--check] [deb] [windows] [web]     (all three by default)
#   --check: builds them (from the tracked files as they stand) twice with reprotest instead, varying
#   all it can but the user: the folder and its depth, the time, time zone, locale, umask, home, CPUs,
#   kernel, and as root the host's names and the file system's order; diffoscope shows any difference,
#   and the check fails.
# Settings: DRIFTROCK_HOMEPAGE and DRIFTROCK_SITE_URL as for tools/dev.sh; DRIFTROCK_MIRROR and
# DRIFTROCK_DOWNLOADS as for tools/debian_source.sh.
set -eu
cd "$(dirname "$0")/.."
check=no
if [ "${1:-}" = --check ]; then check=yes; shift; fi
parts=${*:-deb windows web}
for part in $parts; do
    case $part in
        deb | windows | web) ;;
        *) echo "usage: tools/release.sh [--check] [deb] [windows] [web]" >&2; exit 2 ;;
    esac
done
# A release is a commit's. A check may look at the tracked files as they stand (committed nowhere).
commit=HEAD
if [ $check = yes ]; then
    commit=$(git stash create)
    commit=${commit:-HEAD}
elif [ -n "$(git status --porcelain)" ]; then
    echo "release: the tree has changes that are not committed (see git status): a release is built from a commit" >&2
    exit 1
fi
for setting in "${DRIFTROCK_HOMEPAGE:-}" "${DRIFTROCK_SITE_URL:-}" "${DRIFTROCK_DOWNLOADS:-}"; do
    case $setting in *'
'*) echo "release: a setting holds a line break" >&2; exit 2 ;; esac
done
version=$(sed -n '1s/^driftrock (\([^)]*\)).*/\1/p' packaging/changelog)
name=driftrock-$version
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Built from the commit's own files, in a folder of its own: nothing the working tree holds besides
# them (build trees, ignored files) can reach the release.
git archive --format=tar --prefix="$name/" "$commit" | tar -x -C "$work"
printf '%s\n' "$(git log -1 --format=%ct)" "${DRIFTROCK_DOWNLOADS:-${XDG_CACHE_HOME:-$HOME/.cache}/driftrock}" \
    "${DRIFTROCK_HOMEPAGE:-}" "${DRIFTROCK_SITE_URL:-}" "$parts" >"$work/$name/release-settings"

if [ $check = yes ]; then
    # Everything but the user, which needs sudo and users set aside for it. The host's names (a UTS
    # namespace) and the file system's order (disorderfs, through FUSE) need root.
    variations=+all,-user_group
    if [ "$(id -u)" -ne 0 ]; then
        variations=$variations,-domain_host,-fileordering
        echo "release --check: not root, so the host's names and the file system's order stay as they are"
    fi
    reprotest --verbosity 0 --min-cpus="$(nproc)" --variations=$variations \
        --store-dir="$work/compared" -s "$work/$name" "sh tools/release_build.sh" "release-out/*" || {
        echo "release --check: the two builds differ (diffoscope's report is above)"
        exit 1
    }
    echo "release --check: the two builds are the same, bit for bit ($parts)"
    exit 0
fi

(cd "$work/$name" && sh tools/release_build.sh)
dist=dist/$name
rm -rf "$dist"
mkdir -p "$dist"
cp "$work/$name"/release-out/* "$dist/"
# The source as committed; gzip -n keeps no name or time in its header.
git archive --format=tar --prefix="$name/" HEAD | gzip -9n >"$dist/$name.tar.gz"
(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
echo "The release is in $dist/:"
cat "$dist/SHA256SUMS"
