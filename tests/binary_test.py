#!/usr/bin/env python3
"""binary_test.py -- the real driftrock binary, and the harness every real-binary test shares (Valgrind,
the package): on a private Xvfb, or on Wayland in a weston nested on it; the window shows the starfield,
keys and the mouse play, Escape and the close button quit with 0; start-up failures print and exit 1,
also in a terminal with no display; a lost display ends the game.
Usage: binary_test.py PATH_TO_DRIFTROCK DATA_DIR [NAME=VALUE ...]: the pairs go to the game's environment.
Standard library, Xvfb, weston, tmux, xdotool and ImageMagick.
"""
import ctypes
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

BINARY = DATA = None
GAME_ENV = {}  # extra environment for the game alone (a sanitizer's options, the SDL runtime)


def compat():
    return "sdl12-compat" in GAME_ENV.get("LD_LIBRARY_PATH", "")


def wait_for(test, seconds, what):
    end = time.time() + seconds
    while not test():
        assert time.time() < end, what
        time.sleep(0.1)


class Session:
    """An Xvfb that never resets (SDL 1.2 opens the display twice), weston on it if `wayland`, and the
    game in a copy of a folder, behind `prefix` (a memory checker) if given. Every server and the game
    are stopped on every way out, a failed start included."""

    def __init__(self, data="", prefix=(), wait=60, wayland=False):
        data = DATA if data == "" else data
        self.prefix, self.wait, self.wayland = list(prefix), wait, wayland
        self.procs = []
        self.tmp = tempfile.mkdtemp(prefix="driftrock-run-")
        self.data = os.path.join(self.tmp, "data")
        shutil.copytree(data, self.data) if data else os.mkdir(self.data)

    def start(self, args, **kw):
        self.procs.append(subprocess.Popen(args, **kw))
        return self.procs[-1]

    def __enter__(self):
        try:
            return self._start()
        except BaseException:
            self.__exit__()
            raise

    def _start(self):
        r, w = os.pipe()
        self.xvfb = self.start(["Xvfb", "-displayfd", str(w), "-noreset", "-nolisten", "tcp", "-screen", "0",
                                "1280x1024x24"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.display = ":" + f.readline().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        game_env = dict(self.env, **GAME_ENV)
        search = ["--name", "^Driftrock$"]
        if self.wayland:
            runtime = os.path.join(self.tmp, "runtime")
            os.mkdir(runtime, 0o700)
            with open(os.path.join(runtime, "weston.ini"), "w") as ini:
                ini.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n")
            self.compositor = self.start(["weston", "--backend=x11-backend.so", "--use-pixman", "--width=1024",
                                          "--height=768", "--socket=driftrock", "--config=" + ini.name],
                                         env=dict(self.env, XDG_RUNTIME_DIR=runtime), stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
            wait_for(lambda: os.path.exists(os.path.join(runtime, "driftrock")), 30, "weston did not start")
            game_env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="driftrock", SDL_VIDEODRIVER="wayland")
            del game_env["DISPLAY"]
            search = ["--class", "^Weston Compositor$"]
        self.game = self.start(self.prefix + [BINARY], cwd=self.data, env=game_env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
        found = []

        def window():
            found[:] = self.x("xdotool", "search", "--onlyvisible", *search, check=False).split()
            assert self.game.poll() is None, "the game ended: %r" % (self.game.communicate(),)
            return found
        wait_for(window, self.wait, "no window")
        self.window = found[0]
        time.sleep(1.5 if self.wayland else 0.5)  # some dozens of frames
        libs = GAME_ENV.get("LD_LIBRARY_PATH")
        if libs and not self.prefix:  # the runtime asked for is the one loaded
            with open("/proc/%d/maps" % self.game.pid) as maps:
                assert libs.split(":")[0] in maps.read(), "the game did not load SDL from " + libs
        return self

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.kill()
            p.wait()
        shutil.rmtree(self.tmp)

    def x(self, *args, check=True):
        return subprocess.run(args, env=self.env, capture_output=True, check=check, timeout=30).stdout.decode()

    def screenshot(self):
        """The window's RGB bytes, 1024 x 768."""
        ppm = subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, check=True, timeout=30).stdout
        head = re.match(rb"P6\s+1024\s+768\s+255\s", ppm)  # one whitespace byte, then dark pixels may follow
        assert head, ppm[:20]
        return ppm[head.end():]

    def shows_starfield(self, pictures=None):
        """The window shows the backdrop in place (the ship, rocks and cursor cover a few blocks), in
        its own colours channel by channel (a red-blue swap would trade them)."""
        shot, path = self.screenshot(), os.path.join(pictures or self.data, "starfield.bmp")
        seen = blocks(lambda x, y: sum(shot[3 * (y * 1024 + x):3 * (y * 1024 + x) + 3]))
        expected = starfield_blocks(path)
        close = sum(1 for a, b in zip(seen, expected) if abs(a - b) < 24)
        got, want = [sum(shot[c::3]) / (len(shot) // 3) for c in range(3)], starfield_means(path)
        print("  starfield: %d of %d blocks match, correlation %.2f; mean RGB %s, picture %s" % (
            close, len(seen), correlation(seen, expected), ["%.1f" % v for v in got], ["%.1f" % v for v in want]))
        assert close > 0.9 * len(seen) and correlation(seen, expected) > 0.4, "the window does not show the starfield"
        assert all(abs(g - w) < 6 for g, w in zip(got, want)) and got[2] > got[0] + 5, (got, want)
        return shot

    def escape(self):
        self.x("xdotool", "mousemove", "--window", self.window, "512", "384", "key", "Escape")  # the pointer gives the focus

    def finish(self, timeout=10):
        out, err = self.game.communicate(timeout=timeout)
        return self.game.returncode, out.decode(), err.decode()

    def ends_soon(self, seconds):
        """The game is gone within `seconds`: (its status, how long it took)."""
        start = time.time()
        try:
            return self.game.wait(timeout=seconds), time.time() - start
        except subprocess.TimeoutExpired:
            raise AssertionError("still running after %s s" % seconds)


def read_bmp(path):
    """(width, height, pixel(x, y) -> (r, g, b)) of an uncompressed bottom-up 24-bit BMP."""
    raw = open(path, "rb").read()
    offset, = struct.unpack_from("<I", raw, 10)
    w, h, _, bits = struct.unpack_from("<iiHH", raw, 18)
    assert bits == 24 and h > 0
    stride = (w * 3 + 3) & ~3

    def pixel(x, y):
        i = offset + (h - 1 - y) * stride + 3 * x
        return raw[i + 2], raw[i + 1], raw[i]
    return w, h, pixel


def starfield_blocks(path):
    """Mean brightness of 32 x 32 blocks of the window as the backdrop should cover it: 1280 x 1280
    world units from the top-left corner, so the window shows its width and the top 1024 / 1280."""
    w, h, pixel = read_bmp(path)
    return blocks(lambda px, py: sum(pixel(int(px * 1.25 / 1280 * w), int(py * 1.33333 / 1280 * h))))


def starfield_means(path):
    """Mean red, green and blue of the part of the backdrop the window shows (its top 1024 / 1280)."""
    w, h, pixel = read_bmp(path)
    shown = [pixel(x, y) for y in range(int(h * 1024 / 1280)) for x in range(w)]
    return [sum(p[c] for p in shown) / len(shown) for c in range(3)]


def blocks(pixel):
    return [sum(pixel(x, y) for y in range(by * 32, by * 32 + 32, 4) for x in range(bx * 32, bx * 32 + 32, 4)) / 64
            for by in range(24) for bx in range(32)]


def correlation(a, b):
    ma, mb = sum(a) / len(a), sum(b) / len(b)
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    return cov / (sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b)) ** 0.5


def test_window_shows_the_starfield_keys_and_mouse_play_and_escape_quits():
    with Session() as s:
        shot = s.shows_starfield()
        # A couple of seconds of play: some hundreds of frames (under the sanitizers too).
        s.x("xdotool", "mousemove", "--window", s.window, "300", "200", "keydown", "Up", "keydown", "Left", "sleep",
            "1", "key", "space", "keyup", "Left", "sleep", "1", "key", "space", "keyup", "Up")
        after = s.screenshot()
        assert after != shot

        def cursor_pixels(cx, cy):  # the cursor's lime green; no star or rock has it
            return sum(1 for y in range(cy - 16, cy + 16) for x in range(cx - 16, cx + 16)
                       if after[3 * (y * 1024 + x) + 1] > 150 and after[3 * (y * 1024 + x) + 1] - after[3 * (y * 1024 + x) + 2] > 60)
        assert cursor_pixels(300, 200) > 40 and cursor_pixels(100, 600) == 0, (cursor_pixels(300, 200), cursor_pixels(100, 600))
        s.escape()
        assert s.finish() == (0, "", ""), s.finish()


def test_closing_the_window_quits_with_status_zero():
    """What a window manager sends for the close button: a WM_DELETE_WINDOW client message."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = x11.XInternAtom.restype = ctypes.c_void_p
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 24)]
    with Session() as s:
        d = x11.XOpenDisplay(s.display.encode())
        ev = ClientMessage(type=33, window=int(s.window), format=32, message_type=x11.XInternAtom(d, b"WM_PROTOCOLS", 0))
        ev.data[0] = x11.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
        assert x11.XSendEvent(d, int(s.window), 0, 0, ctypes.byref(ev))
        x11.XCloseDisplay(d)  # flushes
        assert s.finish()[0] == 0


def test_without_pictures_it_runs_and_prints_nothing():
    with Session(data=None) as s:
        s.escape()
        assert s.finish() == (0, "", ""), s.finish()


def test_losing_the_display_ends_the_game_with_status_one():
    with Session() as s:
        s.xvfb.kill()
        status, took = s.ends_soon(2)
        print("  gone %.2f s after its X server" % took)
        assert status == 1, s.finish()


def test_on_wayland_it_shows_plays_and_ends_with_its_compositor():
    if not compat():
        print("  skipped: classic SDL 1.2 has no Wayland driver")
        return
    with Session(wayland=True) as s:
        s.shows_starfield()
        s.escape()
        assert s.finish()[0] == 0
    with Session(wayland=True) as s:
        s.compositor.kill()
        print("  gone %.2f s after its compositor, status %d" % s.ends_soon(2)[::-1])


def test_start_up_failures_print_their_message_and_exit_one():
    for driver, message in [("nosuchdriver", "Unable to initialize SDL: "), ("dummy", "Unable to set video mode: ")]:
        run = subprocess.run([BINARY], env=dict(os.environ, SDL_VIDEODRIVER=driver, **GAME_ENV), capture_output=True,
                             text=True, timeout=30)
        assert run.returncode == 1 and run.stdout.startswith(message) and run.stdout.endswith("\n"), run
    # No display at all, as over SSH: the message is still on the terminal once the game has ended.
    socket = "driftrock-%d" % os.getpid()
    env = " ".join(shlex.quote("%s=%s" % kv) for kv in GAME_ENV.items())
    command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER %s %s; echo status $?; sleep 60" % (env, shlex.quote(BINARY))
    subprocess.run(["tmux", "-L", socket, "new-session", "-d", "-x", "200", "-y", "20", command], check=True)
    try:
        pane = []
        start = time.time()
        wait_for(lambda: pane.append(subprocess.run(["tmux", "-L", socket, "capture-pane", "-p"], capture_output=True,
                                                    text=True).stdout) or "status" in pane[-1], 10, "the game hangs")
        print("  no display: ended in %.1f s" % (time.time() - start))
        assert "Unable to set video mode: " in pane[-1] and "status 1" in pane[-1], pane[-1]
    finally:
        subprocess.run(["tmux", "-L", socket, "kill-server"], capture_output=True)


def run_tests(tests):
    """Runs the test functions; prints one line each and the plain closing line."""
    passed = failed = 0
    for name, fn in tests:
        try:
            fn()
            passed += 1
            print("ok   " + name)
        except Exception:
            failed += 1
            print("FAIL " + name)
            traceback.print_exc()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


def setup(argv):
    global BINARY, DATA
    BINARY, DATA = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    GAME_ENV.update(a.split("=", 1) for a in argv[3:])


if __name__ == "__main__":
    setup(sys.argv)
    sys.exit(run_tests(sorted((n, f) for n, f in globals().items() if n.startswith("test_"))))
