#!/usr/bin/env python3
# game.py -- the game on a private display (xvfb.py), for the tests and the benchmarks: started in a copy
# of its pictures' folder (or an empty one) with the variables asked for, its window waited for, driven
# with xdotool, ended with Escape. Every process it started stops with it, however it ends, a failed
# start included. Subclasses set up more around the game (a compositor, wine) in prepare().
import os
import shutil
import subprocess
import tempfile
import time

from xvfb import Display


def wait_for(test, seconds, what):  # until test() holds, or fails naming what never came
    end = time.time() + seconds
    while not test():
        assert time.time() < end, what
        time.sleep(0.1)


class Game(Display):
    def __init__(self, program, data, env=None, prefix=(), wait=60, launch=True, screen="1280x1024"):
        super().__init__(screen)
        self.picture = None  # in full screen, where the picture lies on it: (x, y, width, height)
        self.program, self.extra_env, self.prefix, self.wait, self.launch = program, env or {}, list(prefix), wait, launch
        self.dir = tempfile.TemporaryDirectory(prefix="driftrock-run-")
        self.tmp, self.data = self.dir.name, os.path.join(self.dir.name, "data")
        shutil.copytree(data, self.data) if data else os.mkdir(self.data)
        self.search, self.stderr = ["--name", "^Driftrock$"], subprocess.PIPE  # its window; where its errors go

    def setup(self):
        super().setup()
        if self.launch:
            env = self.prepare(dict(self.env, **self.extra_env))
            self.started = time.monotonic_ns()
            self.game = self.start(self.prefix + [self.program], cwd=self.data, env=env, stdout=subprocess.PIPE,
                                   stderr=self.stderr)
            self.find_window(self.search, self.game)

    def prepare(self, env):  # the game's environment, once the display is up
        return env

    def __exit__(self, *exc):
        super().__exit__()
        self.dir.cleanup()

    def find_window(self, search, game=None):  # waits for the window; the game, if given, must not end first
        found = []

        def window():
            assert game is None or game.poll() is None, "the game ended: status %s, %r" % (game.returncode, self.said())
            found[:] = self.x("xdotool", "search", "--onlyvisible", *search, check=False).split()
            return found
        wait_for(window, self.wait, "no window")
        self.window = found[0]

    def said(self):  # what the game has written, once it has ended: (standard output, standard error)
        return self.game.communicate()

    def x(self, *args, check=True):  # a command on the display (xdotool's keys and pointer): its output
        return subprocess.run(args, env=self.env, capture_output=True, check=check, timeout=30).stdout.decode()

    def key(self, how, key):  # "down", "up" or "press" KEY (xdotool's name: Left, space, Escape ...)
        self.x("xdotool", {"down": "keydown", "up": "keyup", "press": "key"}[how], key)

    def mouse(self, x, y):  # the pointer to (x, y) in the game's window, or on its picture in full screen
        if self.picture:
            px, py, w, h = self.picture
            return self.x("xdotool", "mousemove", str(px + x * w // 1024), str(py + y * h // 768))
        self.x("xdotool", "mousemove", "--window", self.window, str(x), str(y))

    def escape(self):
        self.mouse(512, 384)  # the pointer gives the focus
        self.key("press", "Escape")

    def finish(self, timeout=60):  # the game's status, standard output and standard error, once it has ended
        out, err = self.game.communicate(timeout=timeout)
        return self.game.returncode, out.decode(), (err or b"").decode()

    def ends_with(self, server):
        # Kills a server under the game: the game's status once it has ended by itself, and how long that took.
        start = time.time()
        server.kill()
        return self.game.wait(timeout=60), time.time() - start
