#!/bin/sh
# debian_chroot.sh -- test trees on another Debian release, in a minimal system of that release made
# from Debian's archive (mmdebstrap, as packagers' build tools do) and kept in a cache between runs.
# Usage (as root): tools/debian_chroot.sh CODENAME TREE...   e.g. trixie plain asan fuzz web
#   Prints the trees' output and their "Total: N passed, S skipped, F failed" line; exits non-zero on a
#   failure, naming the step that failed.
#   DRIFTROCK_CACHE: the cache folder (default /var/cache/driftrock), outside any clone;
#   DRIFTROCK_MIRROR: Debian's archive (default http://deb.debian.org/debian).
# The system is made anew when it is a week old or the trees' package list has changed. Inside it the
# source is a fresh copy on a tmpfs; the trees are set up with the network, then built and tested in a
# network namespace of their own: no server of theirs meets the machine's (X displays included).
# Nothing it does outlives it on the machine: mmdebstrap and the run each have a mount namespace of
# their own, deletions never cross into another file system, and one run at a time holds the cache.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)

# What is being done, for the message if it fails.
doing="starting"
failed() {
    status=$?
    [ $status -eq 0 ] || echo "debian_chroot.sh: failed while $doing (status $status)" >&2
}

# Only root makes and enters the system, and only when told which release.
if [ "$(id -u)" -ne 0 ] || [ $# -lt 2 ]; then
    echo "usage, as root: tools/debian_chroot.sh CODENAME TREE..." >&2
    exit 2
fi
codename=$1
shift
cache=${DRIFTROCK_CACHE:-/var/cache/driftrock}
root=$cache/$codename
mirror=${DRIFTROCK_MIRROR:-http://deb.debian.org/debian}
trap failed EXIT

# One run at a time: a rebuild must not delete a system that another run is inside.
doing="taking the lock $cache/lock"
mkdir -p "$cache"
exec 9>"$cache/lock"
if ! flock -n 9; then
    echo "Waiting for another run of debian_chroot.sh, which holds $cache/lock (its system: $root)"
    flock 9
fi

# wipe DIR: deletes DIR, first unmounting whatever a killed run left mounted in it, and never crossing
# into another file system (a mount left behind is unmounted, never emptied).
wipe() {
    [ -e "$1" ] || return 0
    awk -v top="$1" '$5 == top || index($5, top "/") == 1 {print $5}' /proc/self/mountinfo | sort -r |
        while read -r m; do umount -l "$m"; done
    rm -rf --one-file-system "$1"
}

# The trees run as a user, who installs nothing: what their set-up would install (npm) comes here.
doing="listing the trees' packages"
packages="ca-certificates iproute2 git npm $("$here/tools/dev.sh" packages "$@")"
doing="checking the kept system $root"
stamp="$codename $(echo "$mirror $packages" | sha256sum | cut -c1-16)"
if [ ! -f "$root/.driftrock" ] || [ "$(cat "$root/.driftrock")" != "$stamp" ] ||
    [ -n "$(find "$root/.driftrock" -mtime +6)" ]; then
    doing="installing mmdebstrap"
    command -v mmdebstrap >/dev/null || {
        apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends mmdebstrap
    }
    echo "Making a minimal Debian $codename system in $root"
    doing="deleting the unfinished system $root.new"
    wipe "$root.new"
    # The security archive sits beside the main one, as on a new Debian machine. mmdebstrap mounts the
    # machine's /dev, /proc and /sys in the new system: in a mount namespace of its own, they go with it.
    doing="making the system with mmdebstrap"
    security=$(echo "$mirror" | sed 's,/debian$,/debian-security,')
    unshare --mount --propagation private mmdebstrap --variant=minbase --include="$(echo $packages | tr ' ' ,)" \
        "$codename" "$root.new" \
        "deb $mirror $codename main" "deb $mirror $codename-updates main" "deb $security $codename-security main"
    echo "$stamp" >"$root.new/.driftrock"
    doing="replacing the old system $root"
    wipe "$root"
    mv "$root.new" "$root"
fi
doing="entering the system"
exec unshare --mount --propagation private --pid --fork --kill-child "$here/tools/debian_chroot_inside.sh" \
    "$(readlink /proc/self/ns/mnt)" "$root" "$here" "$@"
