#!/usr/bin/env python3
# leak_report.py -- runs leak_check (COMMAND...) and passes only if LeakSanitizer reports exactly its two
# known leaks: 4096 bytes of our own (loseOurOwn), and the allocations of a picture loaded through SDL
# (losePicture, whatever they come to on this SDL runtime). Any other leak, of any size, fails.
import os
import re
import subprocess
import sys

# Full stacks, through the SDL library's frames, so that every leak is traced back to where it was lost.
env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":fast_unwind_on_malloc=0")
out = subprocess.run(sys.argv[1:], env=env, capture_output=True, text=True).stderr
print(out)
leaks = [b.strip() for b in out.split("\n\n") if re.match(r"\s*(Direct|Indirect) leak of", b)]
ours = [b for b in leaks if " in loseOurOwn" in b]
others = [b for b in leaks if " in loseOurOwn" not in b and " in losePicture" not in b]
known = len(ours) == 1 and ours[0].startswith("Direct leak of 4096 byte(s) in 1 object(s)") and len(leaks) > 1
print("exactly the two known leaks" if known and not others else "not the two known leaks; others: %s" % others)
sys.exit(0 if known and not others else 1)
