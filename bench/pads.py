#!/usr/bin/env python3
"""pads.py -- what reading pads costs a frame, on each SDL 1.2 runtime here: bench_sim's idle frame reading
pads, its look for pads (made every 2 s while none plays) and its check that they are still there (every
200 ms while they play), with no pad ever named, with a pad named
(SDL_JOYSTICK_DEVICE) in a folder just made but not plugged in, and plugged in (harness/pad.py presents it).
Usage: pads.py BUILD_DIR [MIN_TIME]   (default 1 s a benchmark). Prints one row a runtime and pad.
With the Windows tree (build-windows), the look for pads under wine, with no pad: "a look: N ms (0 pads)".
"""
import glob
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from pad import Pad  # noqa: E402

bench, seconds = os.path.join(sys.argv[1], "bench", "bench_sim"), sys.argv[2] if len(sys.argv) > 2 else "1"
windows = os.path.join(sys.argv[1], "bench_pad_look.exe")
if os.path.exists(windows):
    env = dict(os.environ, WINEPREFIX=os.path.abspath(os.path.join(sys.argv[1], "wine")))
    sys.exit(subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "..", "harness", "xvfb.py"), sys.executable,
                             os.path.join(os.path.dirname(__file__), "..", "harness", "wine.py"), windows], env=env).returncode)
# The system's runtime, and the SDL2-based one where it is installed beside it.
runtimes = {"system's": {}, **{"sdl12-compat": {"LD_LIBRARY_PATH": d} for d in glob.glob("/usr/lib/*/sdl12-compat")}}
print("%-14s %-6s %14s %14s %12s %10s" % ("runtime", "pad", "idle frame", "reading pads", "a look", "a check"))
for name, runtime in runtimes.items():
    for plugged in (None, False, True):
        with Pad() as pad:
            if plugged:
                pad.plug()
            if plugged is None:  # and nothing new in /dev/input: after the first, no look at all
                del pad.env["SDL_JOYSTICK_DEVICE"]
            out = subprocess.run([bench, "--benchmark_filter=FrameIdle|LookForPads|CheckPads", "--benchmark_format=json",
                                  "--benchmark_min_time=" + seconds], capture_output=True, text=True, check=True,
                                 env=dict(os.environ, DISPLAY="", SDL_VIDEODRIVER="dummy", **runtime, **pad.env)).stdout
        got = {b["name"]: b for b in json.loads(out)["benchmarks"]}
        assert got["BM_FrameIdleReadingPads"]["pads"] == got["BM_LookForPads"]["pads"] == bool(plugged), "the pad was not found"
        print("%-14s %-6s %11.0f ns %11.0f ns %9.3f ms %7.0f ns" % (name, {None: "none", False: "named", True: "yes"}[plugged],
              got["BM_FrameIdle"]["real_time"], got["BM_FrameIdleReadingPads"]["real_time"], got["BM_LookForPads"]["real_time"] / 1e6,
              got["BM_CheckPads"]["real_time"]))
