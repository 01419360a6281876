#!/bin/sh
# debian_chroot_inside.sh -- the inner half of tools/debian_chroot.sh, which starts it in namespaces of its
# own: mounts what the kept Debian system needs, copies the source in, and sets up, builds and tests the
# trees there as the system's unprivileged user "driftrock" (root stays outside; installing packages was
# mmdebstrap's work). Usage, only from debian_chroot.sh: debian_chroot_inside.sh ITS_MOUNT_NAMESPACE ROOT SOURCE TREE...
set -eu

# Only inside the namespaces that debian_chroot.sh makes: this process is the first of a process
# namespace of its own, and its mounts are not the machine's. Run by hand, it would mount over the
# machine's own folders. (The machine's mount namespace is the one debian_chroot.sh was started in: a
# process may be refused a look at the machine's first process.)
machine=${1:-}
if [ $$ -ne 1 ] || ! expr "$machine" : 'mnt:\[[0-9]*\]$' >/dev/null ||
    [ "$(readlink /proc/self/ns/mnt)" = "$machine" ]; then
    echo "debian_chroot_inside.sh: runs only in the namespaces that debian_chroot.sh makes for it" >&2
    exit 2
fi
root=$2 here=$3
shift 3

# What is being done, for the message if it fails.
doing="starting"
# When this script ends, however it ends, every process it started goes and its mounts with them; the
# trap unmounts them first on a normal end.
unmount() {
    status=$?
    [ $status -eq 0 ] || echo "debian_chroot.sh: failed while $doing (status $status)" >&2
    for m in tmp dev/ptmx dev/pts dev/shm proc; do umount -l "$root/$m" 2>/dev/null || true; done
}
trap unmount EXIT
trap 'exit 1' INT TERM HUP

# The kept system is written by root and may hold anything a run left: a link where a mount point should
# be would carry a mount (and what is written under it) onto the machine's own folders.
doing="checking the system's mount points"
for m in proc dev dev/shm dev/pts dev/ptmx tmp; do
    if [ -L "$root/$m" ] || [ ! -e "$root/$m" ]; then
        echo "debian_chroot.sh: $root/$m is a link or missing; delete $root to have it made anew" >&2
        exit 1
    fi
done
# /proc with what the trees need and no more: no programs or devices from it, and the user sees only
# its own processes.
doing="mounting /proc, /dev/shm, /dev/pts and /tmp in $root"
mount -t proc -o nosuid,nodev,noexec,hidepid=2 proc "$root/proc"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,nosuid,noexec devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev,size=16g tmp "$root/tmp"
mkdir -m 1777 "$root/tmp/.X11-unix"

# root inside the system: whatever it writes, links inside the system lead only to the system's files.
system() { chroot "$root" "$@"; }

# The machine's name servers and its certificate authorities (some networks reach the package
# registries only through an authority of their own), handed in as streams and written inside.
doing="copying the machine's name servers and certificate authorities"
system sh -c 'rm -f /etc/resolv.conf && cat >/etc/resolv.conf' </etc/resolv.conf
if [ -d /usr/local/share/ca-certificates ]; then
    tar -C /usr/local/share/ca-certificates -cf - .
else
    tar -cf - -T /dev/null
fi | system sh -c 'd=/usr/local/share/ca-certificates && rm -rf "$d" && mkdir "$d" && tar -xf - -C "$d"'
doing="update-ca-certificates in the system"
out=$(system update-ca-certificates --fresh 2>&1) || { echo "$out" >&2; exit 1; }
doing="making the user driftrock in the system"
system sh -c 'id -u driftrock >/dev/null 2>&1 || useradd --create-home --user-group driftrock'
uid=$(system id -u driftrock)
gid=$(system id -g driftrock)

# The source as it stands in this work tree: tracked files and new ones, no build trees. (A work tree
# that another user owns is still ours to read.) The user's own.
doing="copying the source from $here"
mkdir "$root/tmp/driftrock"
if git -c safe.directory="$here" -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
    git -c safe.directory="$here" -C "$here" ls-files -z --cached --others --exclude-standard >"$root/tmp/files"
    tar -C "$here" --null -T "$root/tmp/files" --ignore-failed-read -cf - | tar -xf - -C "$root/tmp/driftrock"
else
    tar -C "$here" --exclude='./build*' --exclude=node_modules -cf - . | tar -xf - -C "$root/tmp/driftrock"
fi
chown -R "$uid:$gid" "$root/tmp/driftrock"

# dev.sh inside the system as the user, with no capabilities and none to gain, and only the settings it
# needs, each passed as a value, never as shell; "offline": in a network namespace of its own, whose
# loopback root brings up before it hands over.
dev() {
    net=$1
    shift
    $([ "$net" = offline ] && echo unshare --net) chroot "$root" sh -c \
        'if [ "$0" = offline ]; then ip link set lo up; fi && exec "$@"' "$net" \
        setpriv --reuid="$uid" --regid="$gid" --init-groups --no-new-privs --inh-caps=-all --bounding-set=-all \
        /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/driftrock USER=driftrock LANG=C.UTF-8 \
        TERM="${TERM:-dumb}" NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
        ${http_proxy+"http_proxy=$http_proxy"} ${https_proxy+"https_proxy=$https_proxy"} \
        ${no_proxy+"no_proxy=$no_proxy"} ${HTTP_PROXY+"HTTP_PROXY=$HTTP_PROXY"} \
        ${HTTPS_PROXY+"HTTPS_PROXY=$HTTPS_PROXY"} ${NO_PROXY+"NO_PROXY=$NO_PROXY"} \
        sh -c 'cd /tmp/driftrock && exec tools/dev.sh "$@"' dev.sh "$@"
}
doing="setting up the trees ($*) in the system"
dev online setup "$@"
doing="building and testing the trees ($*) in the system"
dev offline trees "$@"
