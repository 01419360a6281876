#!/usr/bin/env python3
# xvfb.py -- a private X display for the tools, benchmarks and tests: an Xvfb of its own that never resets
# (SDL 1.2 opens the display twice); every process started on it stops with it, however it ends.
# Usage: harness/xvfb.py COMMAND [ARG ...]   runs COMMAND on a private display and exits with its status.
import ctypes
import os
import signal
import subprocess
import sys


class Display:
    def __init__(self):
        self.procs = []

    def start(self, args, **kw):  # the process dies with this one, however this one ends (with its group, if it leads one)
        self.procs.append(subprocess.Popen(args, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL), **kw))
        self.procs[-1].group = kw.get("start_new_session", False)
        return self.procs[-1]

    def __enter__(self):  # setup(), or if it fails every process started so far stops
        try:
            self.setup()
            return self
        except BaseException:
            self.__exit__()
            raise

    def setup(self):  # the display; subclasses set up more after it
        r, w = os.pipe()
        self.xvfb = self.start(["Xvfb", "-displayfd", str(w), "-noreset", "-nolisten", "tcp", "-screen", "0",
                                "1280x1024x24"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.env = dict(os.environ, DISPLAY=":" + f.readline().strip())

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.group:  # what it started goes too, though it has ended itself
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            if p.poll() is None:
                p.kill()
            p.wait()


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # stopped from outside, it still tidies up
    with Display() as display:  # the command, and all it starts, end with the display
        sys.exit(display.start(sys.argv[1:], env=display.env, start_new_session=True).wait())
