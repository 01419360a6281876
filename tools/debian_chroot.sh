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

if [ "${1:-}" = --inside ]; then
    # Only inside the namespaces that the last line of this script makes: this process is the first of
    # a process namespace of its own, and its mounts are not the machine's. Run by hand, it would mount
    # over the machine's own folders.
    if [ $$ -ne 1 ] || [ "$(readlink /proc/self/ns/mnt)" = "$(readlink /proc/1/ns/mnt)" ]; then
        echo "debian_chroot.sh: --inside runs only in the namespaces the script makes for it" >&2
        exit 2
    fi
    shift
    root=$1
    shift
    # When this script ends, however it ends, every process it started goes and its mounts with them;
    # the trap unmounts them first on a normal end.
    unmount() {
        failed
        for m in tmp dev/ptmx dev/pts dev/shm proc; do umount -l "$root/$m" 2>/dev/null || true; done
    }
    trap unmount EXIT
    trap 'exit 1' INT TERM HUP
    doing="mounting /proc, /dev/shm, /dev/pts and /tmp in $root"
    mount -t proc proc "$root/proc"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
    mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
    mount -t tmpfs -o mode=1777,size=16g tmp "$root/tmp"
    # The machine's name servers and its certificate authorities (some networks reach the package
    # registries only through an authority of their own).
    doing="copying the machine's name servers and certificate authorities"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    rm -rf --one-file-system "$root/usr/local/share/ca-certificates"
    mkdir -p "$root/usr/local/share/ca-certificates"
    if [ -d /usr/local/share/ca-certificates ]; then
        cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
    fi
    doing="update-ca-certificates in the system"
    out=$(chroot "$root" update-ca-certificates --fresh 2>&1) || { echo "$out" >&2; exit 1; }
    # The source as it stands in this work tree: tracked files and new ones, no build trees. (A work
    # tree that another user owns is still ours to read.)
    doing="copying the source from $here"
    mkdir "$root/tmp/driftrock"
    if git -c safe.directory="$here" -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
        git -c safe.directory="$here" -C "$here" ls-files -z --cached --others --exclude-standard >"$root/tmp/files"
        tar -C "$here" --null -T "$root/tmp/files" --ignore-failed-read -cf - | tar -xf - -C "$root/tmp/driftrock"
    else
        tar -C "$here" --exclude='./build*' --exclude=node_modules -cf - . | tar -xf - -C "$root/tmp/driftrock"
    fi
    # dev.sh inside the system with only the settings it needs, each passed as a value, never as shell;
    # "offline": in a network namespace of its own, with only a loopback.
    dev() {
        net=$1
        shift
        $([ "$net" = offline ] && echo unshare --net) chroot "$root" /usr/bin/env -i \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
            TERM="${TERM:-dumb}" NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
            ${http_proxy+"http_proxy=$http_proxy"} ${https_proxy+"https_proxy=$https_proxy"} \
            ${no_proxy+"no_proxy=$no_proxy"} ${HTTP_PROXY+"HTTP_PROXY=$HTTP_PROXY"} \
            ${HTTPS_PROXY+"HTTPS_PROXY=$HTTPS_PROXY"} ${NO_PROXY+"NO_PROXY=$NO_PROXY"} \
            sh -c 'if [ "$0" = offline ]; then ip link set lo up; fi && cd /tmp/driftrock && exec tools/dev.sh "$@"' \
            "$net" "$@"
    }
    doing="setting up the trees ($*) in the system"
    dev online setup "$@"
    doing="building and testing the trees ($*) in the system"
    dev offline trees "$@"
    exit
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

packages="ca-certificates iproute2 git $("$here/tools/dev.sh" packages "$@")"
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
exec unshare --mount --propagation private --pid --fork --kill-child "$0" --inside "$root" "$@"
