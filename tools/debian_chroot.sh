#!/bin/sh
# debian_chroot.sh -- test trees on another Debian release, in a minimal system of that release made
# from Debian's archive (mmdebstrap, as packagers' build tools do) and kept in a cache between runs.
# Usage (as root): tools/debian_chroot.sh CODENAME TREE...   e.g. trixie plain asan fuzz web
#   Prints the trees' output and their "Total: N passed, N failed" line; exits non-zero on a failure.
#   DRIFTROCK_CACHE: the cache folder (default /var/cache/driftrock), outside any clone;
#   DRIFTROCK_MIRROR: Debian's archive (default http://deb.debian.org/debian).
# The system is made anew when it is a week old or the trees' package list has changed. Inside it the
# source is a fresh copy on a tmpfs; the trees are set up with the network, then built and tested in a
# network namespace of their own: no server of theirs meets the machine's (X displays included).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --inside ]; then
    # In mount and process namespaces of our own (unshare below): when this script ends, however it
    # ends, every process it started goes and its mounts with them; the trap unmounts them first
    # on a normal end.
    shift
    root=$1
    shift
    unmount() {
        for m in tmp dev/ptmx dev/pts dev/shm proc; do umount -l "$root/$m" 2>/dev/null || true; done
    }
    trap unmount EXIT
    trap 'exit 1' INT TERM HUP
    mount -t proc proc "$root/proc"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
    mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
    mount -t tmpfs -o mode=1777,size=16g tmp "$root/tmp"
    # The machine's name servers and its certificate authorities (some networks reach the package
    # registries only through an authority of their own).
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    rm -rf "$root/usr/local/share/ca-certificates"
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/" 2>/dev/null || true
    chroot "$root" update-ca-certificates --fresh >/dev/null 2>&1
    # The source as it stands in this work tree: tracked files and new ones, no build trees.
    mkdir "$root/tmp/driftrock"
    if git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
        (cd "$here" && git ls-files -z --cached --others --exclude-standard |
            tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$root/tmp/driftrock"
    else
        tar -C "$here" --exclude='./build*' --exclude=node_modules -cf - . | tar -xf - -C "$root/tmp/driftrock"
    fi
    env="PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8"
    env="$env TERM=${TERM:-dumb} CI=${CI:-} NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt"
    for v in http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY; do
        eval "[ -z \"\${$v:-}\" ] || env=\"\$env $v=\${$v}\""
    done
    printf '#!/bin/sh\ncd /tmp/driftrock && exec env -i %s tools/dev.sh "$@"\n' "$env" >"$root/tmp/dev"
    # Set up with the network; then built and tested with only a loopback of their own.
    chroot "$root" sh /tmp/dev setup "$@"
    unshare --net chroot "$root" sh -c 'ip link set lo up && exec sh /tmp/dev trees "$@"' sh "$@"
    exit
fi

codename=$1
shift
cache=${DRIFTROCK_CACHE:-/var/cache/driftrock}
root=$cache/$codename
mirror=${DRIFTROCK_MIRROR:-http://deb.debian.org/debian}
packages="ca-certificates iproute2 git $("$here/tools/dev.sh" packages "$@")"
stamp="$codename $(echo "$mirror $packages" | sha256sum | cut -c1-16)"
if [ ! -f "$root/.driftrock" ] || [ "$(cat "$root/.driftrock")" != "$stamp" ] ||
    [ -n "$(find "$root/.driftrock" -mtime +6)" ]; then
    command -v mmdebstrap >/dev/null || {
        apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends mmdebstrap
    }
    echo "Making a minimal Debian $codename system in $root"
    mkdir -p "$cache"
    rm -rf "$root.new"
    # The security archive sits beside the main one, as on a new Debian machine.
    security=$(echo "$mirror" | sed 's,/debian$,/debian-security,')
    mmdebstrap --variant=minbase --include="$(echo $packages | tr ' ' ,)" "$codename" "$root.new" \
        "deb $mirror $codename main" "deb $mirror $codename-updates main" "deb $security $codename-security main"
    echo "$stamp" >"$root.new/.driftrock"
    rm -rf "$root"
    mv "$root.new" "$root"
fi
exec unshare --mount --propagation private --pid --fork --kill-child "$0" --inside "$root" "$@"
