#!/bin/sh
# debian_chroot_test.sh -- tools/debian_chroot.sh, which runs as root, cannot harm the machine: its inner
# half refuses to run outside its own namespaces and to mount through a link the kept system holds, a
# mount that a killed run left in an unfinished system is unmounted and never emptied, a second run
# waits for the first, and a failed step is named. Everything here happens in a mount namespace of the
# test's own. Skipped where it is not root, or where it cannot make one (in a chroot, as the Debian 13
# run is).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
script=$here/tools/debian_chroot.sh
inside=$here/tools/debian_chroot_inside.sh
[ "$(id -u)" -eq 0 ] || { echo "skipped: the Debian 13 system's script needs root"; exit 77; }
tmp=$(mktemp -d) mnt=$(readlink /proc/self/ns/mnt)
trap 'rm -rf --one-file-system "$tmp"' EXIT
fail() { echo "FAIL: $*"; cat "$tmp/out"; exit 1; }

# Run by hand, the inner half mounts nothing: not in the machine's process namespace, and not in the
# machine's mounts even as the first process of a namespace of its own.
unshare --mount --propagation private true 2>/dev/null || { echo "skipped: no mount namespace of our own here"; exit 77; }
for how in "--mount --propagation private" "--pid --fork"; do
    # shellcheck disable=SC2086 # the options, split
    unshare $how "$inside" "$mnt" "$tmp/none" "$here" plain >"$tmp/out" 2>&1 && fail "the inner half ran (unshare $how)"
    grep -q "runs only in the namespaces" "$tmp/out" || fail "the inner half did not say why it refused (unshare $how)"
done

# A kept system whose /proc is a link to a folder outside it: nothing is mounted through it.
mkdir -p "$tmp/system/dev/shm" "$tmp/system/dev/pts" "$tmp/system/tmp" "$tmp/outside" && ln -s "$tmp/outside" "$tmp/system/proc"
unshare --mount --propagation private --pid --fork "$inside" "$mnt" "$tmp/system" "$here" plain >"$tmp/out" 2>&1 &&
    fail "the inner half entered a system with a link for /proc"
grep -q "system/proc is a link" "$tmp/out" || fail "the inner half did not refuse the link"

# A scratch folder bind-mounted in the unfinished system, as a killed mmdebstrap leaves /dev/shm; the
# lock held by another run for 2 s; an archive that cannot be reached, so that the making fails.
mkdir -p "$tmp/scratch" "$tmp/cache/trixie.new/dev/shm"
echo kept >"$tmp/scratch/file"
unshare --mount --propagation private sh -c '
    mount --bind "$1/scratch" "$1/cache/trixie.new/dev/shm"
    flock "$1/cache/lock" sh -c "sleep 2; echo The other run ends" &
    sleep 0.5
    DRIFTROCK_CACHE="$1/cache" DRIFTROCK_MIRROR=http://127.0.0.1:9/debian "$2" trixie plain; s=$?
    wait
    exit $s' \
    sh "$tmp" "$script" >"$tmp/out" 2>&1 && fail "a system was made from an archive that cannot be reached"
[ "$(cat "$tmp/scratch/file")" = kept ] || fail "the scratch folder's file was deleted through the mount"
grep -q "^Waiting for another run of debian_chroot.sh, which holds $tmp/cache/lock" "$tmp/out" ||
    fail "the second run did not say what it waits for"
sed -n '/^The other run ends/,$p' "$tmp/out" | grep -q "^Making a minimal Debian" || fail "the second run went on first"
grep -q "failed while making the system with mmdebstrap" "$tmp/out" || fail "the failed step was not named"
