#!/usr/bin/env python3
# leak_report.py -- runs leak_check (COMMAND...) and passes only if LeakSanitizer reports exactly its two
# known leaks: 4096 bytes of our own (loseOurOwn), and the allocations of a picture loaded through SDL
# (losePicture, whatever they come to on this SDL runtime). Any other leak, of any size, fails.
import os
import re
import subprocess
import sys

# Full stacks, through the SDL library's frames, so that every leak is traced back to where it was lost.
env = dict(os.environ, ASAN_OPTIONS=(os.environ.get("ASAN_OPTIONS", "") + ":fast_unwind_on_malloc=0").lstrip(":"))
out = subprocess.run(sys.argv[1:], env=env, capture_output=True, text=True).stderr
print(out)
leaks = [b for b in out.split("\n\n") if re.match(r"(Direct|Indirect) leak of", b.strip())]
ours = [b for b in leaks if " in loseOurOwn" in b]
picture = [b for b in leaks if " in losePicture" in b]
others = [b for b in leaks if b not in ours and b not in picture]
problems = [("a leak that is not one of the two known: " + b.strip()) for b in others]
if len(ours) != 1 or not ours[0].strip().startswith("Direct leak of 4096 byte(s) in 1 object(s)"):
    problems.append("our own 4096 bytes were not reported once, as one direct leak")
if not picture:
    problems.append("the picture lost through SDL was not reported")
print("\n".join(problems) or "exactly the two known leaks")
sys.exit(1 if problems else 0)
