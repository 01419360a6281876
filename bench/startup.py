#!/usr/bin/env python3
"""startup.py -- the real binary on a private Xvfb (harness/game.py), a fresh one each run: time from process start to the first presented frame,
and peak resident memory after start-up and after FRAMES frames of play (thrust, turn and fire held).
Usage: startup.py BUILD_DIR DATA_DIR [RUNS] [FRAMES]   (defaults 10 and 1000). Prints one line a run and
the medians. The shim (libfirst_frame_shim.so) is preloaded; the game itself is not changed.
"""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from game import Game, wait_for  # noqa: E402 (the game on a private display)

build, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
frames = int(sys.argv[4]) if len(sys.argv) > 4 else 1000


def read(path):
    notes = {}
    if os.path.exists(path):
        for line in open(path):
            what, *fields = line.split()
            notes[what] = dict(f.split("=") for f in fields)
    return notes


def main():
    starts, first_peak, later_peak = [], [], []
    for run in range(runs):
        out = tempfile.mktemp(prefix="driftrock-bench-")
        env = dict(LD_PRELOAD=os.path.join(build, "bench", "libfirst_frame_shim.so"), DRIFTROCK_BENCH_OUT=out,
                   DRIFTROCK_BENCH_FRAMES=str(frames))
        with Game(os.path.join(build, "driftrock"), data, env) as game:  # from the process's start
            wait_for(lambda: "first" in read(out), 60, "no first frame")
            game.mouse(500, 300)
            game.key("down", "Up")
            game.key("down", "Right")
            while "later" not in read(out) and game.game.poll() is None:
                game.key("press", "space")
                time.sleep(0.05)
            game.key("up", "Up")
            game.key("up", "Right")
            game.escape()
            game.finish(timeout=30)
        notes = read(out)
        os.remove(out)
        starts.append((int(notes["first"]["ns"]) - game.started) / 1e6)
        first_peak.append(int(notes["first"]["peak_kib"]) / 1024)
        later_peak.append(int(notes["later"]["peak_kib"]) / 1024)
        print("run %d: first frame after %.1f ms; peak resident %.1f MiB at it, %.1f MiB after %d frames"
              % (run + 1, starts[-1], first_peak[-1], later_peak[-1], frames))
    print("median: first frame after %.1f ms; peak resident %.1f MiB after start-up, %.1f MiB after %d frames"
          % (statistics.median(starts), statistics.median(first_peak), statistics.median(later_peak), frames))


if __name__ == "__main__":
    main()
