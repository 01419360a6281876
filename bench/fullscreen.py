#!/usr/bin/env python3
"""fullscreen.py -- the real binary on a private 1920 x 1080 Xvfb (harness/game.py): time from F11 (or Alt+Enter) to
the first picture presented in the new mode, into full screen and back, SWITCHES times each.
Usage: fullscreen.py BUILD_DIR DATA_DIR [SWITCHES] [NAME=VALUE ...]   (default 10; NAME=VALUE for the game's
environment, LD_LIBRARY_PATH for the other SDL 1.2 runtime; DRIFTROCK_BENCH_WM=openbox, say, runs a window
manager on the display). Prints each switch and the medians. The shim (libfirst_frame_shim.so) is preloaded;
the game itself is not changed.
"""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from game import Game, wait_for  # noqa: E402 (the game on a private display)

build, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
switches = int(sys.argv[3]) if len(sys.argv) > 3 else 10
extra = dict(pair.split("=", 1) for pair in sys.argv[4:])


def notes(path):  # what the shim noted, a line each: ("first" | "full" | "window", ns)
    return [(line.split()[0], int(line.split()[2][3:])) for line in open(path)] if os.path.exists(path) else []


def main():
    taken = {"full": [], "window": []}
    out = tempfile.mktemp(prefix="driftrock-bench-")
    env = dict(extra, LD_PRELOAD=os.path.join(build, "bench", "libfirst_frame_shim.so"), DRIFTROCK_BENCH_OUT=out)
    with Game(os.path.join(build, "driftrock"), data, env, screen="1920x1080") as game:
        wait_for(lambda: notes(out), 60, "no first frame")
        if os.environ.get("DRIFTROCK_BENCH_WM"):  # a window manager, as on a desktop (SDL 2 waits for its answers)
            game.start([os.environ["DRIFTROCK_BENCH_WM"]], env=game.env)
            time.sleep(1)
        for n in range(2 * switches):
            game.mouse(512, 384)  # the pointer gives the focus (a window manager's click gives it there)
            if os.environ.get("DRIFTROCK_BENCH_WM"):
                game.x("xdotool", "search", "--name", "^Driftrock$", "windowactivate", "--sync", check=False)
            seen, key = len(notes(out)), ("F11", "alt+Return")[n % 4 // 2]
            pressed = time.monotonic_ns()
            game.key("press", key)
            wait_for(lambda: len(notes(out)) > seen, 30, "no picture after " + key)
            mode, shown = notes(out)[seen]
            taken[mode].append((shown - pressed) / 1e6)
            print("%s to %s: %.1f ms" % (key, mode, taken[mode][-1]))
            game.picture = (240, 0, 1440, 1080) if mode == "full" else None
            if mode == "window":
                game.find_window(game.search, game.game)  # the compatibility library makes a new one each switch
            time.sleep(0.3)
        game.escape()
        game.finish(timeout=30)
    os.remove(out)
    print("median: into full screen %.1f ms, back to the window %.1f ms" % tuple(statistics.median(taken[m]) for m in ("full", "window")))


if __name__ == "__main__":
    main()
