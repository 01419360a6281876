#!/usr/bin/env python3
"""pads.py -- what reading pads costs a frame, on each SDL 1.2 runtime here: bench_sim's idle frame reading
pads and its look for pads (made every 2 s while none plays), with no pad ever named, with a pad named
(SDL_JOYSTICK_DEVICE) in a folder just made but not plugged in, and plugged in (harness/pad.py presents it).
Usage: pads.py BUILD_DIR [MIN_TIME]   (default 1 s a benchmark). Prints one row a runtime and pad.
"""
import glob
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from pad import Pad  # noqa: E402

bench, seconds = os.path.join(sys.argv[1], "bench", "bench_sim"), sys.argv[2] if len(sys.argv) > 2 else "1"
# The system's runtime, and the SDL2-based one where it is installed beside it.
runtimes = {"system's": {}, **{"sdl12-compat": {"LD_LIBRARY_PATH": d} for d in glob.glob("/usr/lib/*/sdl12-compat")}}
print("%-14s %-6s %14s %14s %12s" % ("runtime", "pad", "idle frame", "reading pads", "a look"))
for name, runtime in runtimes.items():
    for plugged in (None, False, True):
        with Pad() as pad:
            if plugged:
                pad.plug()
            if plugged is None:  # and nothing new in /dev/input: after the first, no look at all
                del pad.env["SDL_JOYSTICK_DEVICE"]
            out = subprocess.run([bench, "--benchmark_filter=FrameIdle|LookForPads", "--benchmark_format=json",
                                  "--benchmark_min_time=" + seconds], capture_output=True, text=True, check=True,
                                 env=dict(os.environ, DISPLAY="", SDL_VIDEODRIVER="dummy", **runtime, **pad.env)).stdout
        got = {b["name"]: b for b in json.loads(out)["benchmarks"]}
        assert got["BM_FrameIdleReadingPads"]["pads"] == got["BM_LookForPads"]["pads"] == bool(plugged), "the pad was not found"
        print("%-14s %-6s %11.0f ns %11.0f ns %9.3f ms" % (name, {None: "none", False: "named", True: "yes"}[plugged], got["BM_FrameIdle"]["real_time"],
              got["BM_FrameIdleReadingPads"]["real_time"], got["BM_LookForPads"]["real_time"] / 1e6))
