#!/bin/sh
# debian_chroot_test.sh -- tools/debian_chroot.sh, which runs as root, cannot harm the machine: --inside
# refuses to run outside its own namespaces, a mount that a killed run left in an unfinished system is
# unmounted and never emptied, a second run waits for the first and says so, and a failed step is named.
# Everything here happens in a mount namespace of the test's own. Skipped where it is not root, or
# where it cannot make one (in a chroot, as the Debian 13 run is).
set -eu
script=$(cd "$(dirname "$0")/.." && pwd)/tools/debian_chroot.sh
[ "$(id -u)" -eq 0 ] || { echo "skipped: the Debian 13 system's script needs root"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf --one-file-system "$tmp"' EXIT
fail() { echo "FAIL: $*"; cat "$tmp/out"; exit 1; }

# Run by hand, even in a mount namespace of its own, --inside mounts nothing.
unshare --mount --propagation private true 2>/dev/null || { echo "skipped: no mount namespace of our own here"; exit 77; }
unshare --mount --propagation private "$script" --inside "$tmp/none" plain >"$tmp/out" 2>&1 && fail "--inside ran outside"
grep -q "runs only in the namespaces" "$tmp/out" || fail "--inside did not say why it refused"

# A scratch folder bind-mounted in the unfinished system, as a killed mmdebstrap leaves /dev/shm; the
# lock held by another run for a moment; an archive that cannot be reached, so that the making fails.
mkdir -p "$tmp/scratch" "$tmp/cache/trixie.new/dev/shm"
echo kept >"$tmp/scratch/file"
unshare --mount --propagation private sh -c '
    mount --bind "$1/scratch" "$1/cache/trixie.new/dev/shm"
    flock "$1/cache/lock" sleep 2 &
    sleep 0.5
    DRIFTROCK_CACHE="$1/cache" DRIFTROCK_MIRROR=http://127.0.0.1:9/debian "$2" trixie plain' \
    sh "$tmp" "$script" >"$tmp/out" 2>&1 && fail "a system was made from an archive that cannot be reached"
[ "$(cat "$tmp/scratch/file")" = kept ] || fail "the scratch folder's file was deleted through the mount"
grep -q "^Waiting for another run of debian_chroot.sh, which holds $tmp/cache/lock" "$tmp/out" ||
    fail "the second run did not say what it waits for"
grep -q "failed while making the system with mmdebstrap" "$tmp/out" || fail "the failed step was not named"
