#!/bin/sh
# xvfb_test.sh -- harness/xvfb.py leaves nothing behind: killed outright while its command runs, a
# process that the command started in a session of its own (as nginx and wineserver leave theirs) goes
# too; and an Xvfb that cannot start is named, with its own words, and fails the run.
set -eu
xvfb=$(cd "$(dirname "$0")/.." && pwd)/harness/xvfb.py
tmp=$(mktemp -d)
trap 'kill -9 "$(cat "$tmp/pid" 2>/dev/null)" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 "$xvfb" sh -c 'setsid sleep 300 & echo $! >"$0/pid"; sleep 300' "$tmp" >/dev/null 2>&1 & runner=$!
for _ in $(seq 100); do [ -s "$tmp/pid" ] && break; sleep 0.1; done; kill -9 $runner
for _ in $(seq 50); do kill -0 "$(cat "$tmp/pid")" 2>/dev/null || break; sleep 0.1; done
kill -0 "$(cat "$tmp/pid")" 2>/dev/null && fail "a process the command started outlived xvfb.py"

mkdir "$tmp/bin" && printf '#!/bin/sh\necho "no screens found" >&2\nexit 1\n' >"$tmp/bin/Xvfb" && chmod +x "$tmp/bin/Xvfb"
PATH="$tmp/bin:$PATH" python3 "$xvfb" sh -c 'echo ran on "$DISPLAY"' >"$tmp/out" 2>&1 && fail "it ran with no display"
grep -q "^xvfb.py: Xvfb did not start (status 1): no screens found$" "$tmp/out" || fail "the failure was not named: $(cat "$tmp/out")"
