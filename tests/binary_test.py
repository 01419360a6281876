#!/usr/bin/env python3
"""binary_test.py -- the real driftrock binary on a private Xvfb: its window shows the starfield, keys
change the picture, Escape and the close button quit with 0, and start-up failures print and exit 1.
Usage: binary_test.py PATH_TO_DRIFTROCK DATA_DIR [NAME=VALUE ...]: the pairs go to the game's environment.
Standard library, Xvfb, xdotool and ImageMagick.
"""
import ctypes
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

BINARY = DATA = None
GAME_ENV = {}  # extra environment for the game alone (a sanitizer's options, say)


class Session:
    """An Xvfb that never resets (SDL 1.2 opens the display twice) and a game in a copy of a folder,
    run behind `prefix` (a memory checker, say) if given."""

    def __init__(self, data="", prefix=(), wait=60):
        data = DATA if data == "" else data
        self.prefix, self.wait = list(prefix), wait
        self.tmp = tempfile.mkdtemp(prefix="driftrock-run-")
        self.data = os.path.join(self.tmp, "data")
        shutil.copytree(data, self.data) if data else os.mkdir(self.data)

    def __enter__(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-noreset", "-nolisten", "tcp", "-screen",
                                      "0", "1280x1024x24"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.display = ":" + f.readline().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.game = subprocess.Popen(self.prefix + [BINARY], cwd=self.data, env=dict(self.env, **GAME_ENV),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        for _ in range(self.wait * 10):
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Driftrock$"], env=self.env,
                                   capture_output=True, text=True)
            if found.stdout.split() or self.game.poll() is not None:
                break
            time.sleep(0.1)
        assert found.stdout.split(), "no window; the game %s" % ("ended" if self.game.poll() is not None else "hangs")
        self.window = found.stdout.split()[0]
        time.sleep(0.5)  # some dozens of frames
        libs = GAME_ENV.get("LD_LIBRARY_PATH")
        if libs and not self.prefix:  # the runtime asked for is the one loaded
            with open("/proc/%d/maps" % self.game.pid) as maps:
                assert libs.split(":")[0] in maps.read(), "the game did not load SDL from " + libs
        return self

    def __exit__(self, *exc):
        if self.game.poll() is None:
            self.game.kill()
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.tmp)

    def x(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, check=True, timeout=30).stdout.decode()

    def screenshot(self):
        """The window's RGB bytes, 1024 x 768."""
        ppm = subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, check=True, timeout=30).stdout
        head = re.match(rb"P6\s+1024\s+768\s+255\s", ppm)  # one whitespace byte, then dark pixels may follow
        assert head, ppm[:20]
        return ppm[head.end():]

    def escape(self):
        self.x("xdotool", "mousemove", "--window", self.window, "512", "384", "key", "Escape")  # the pointer gives the focus

    def finish(self, timeout=10):
        out, err = self.game.communicate(timeout=timeout)
        return self.game.returncode, out.decode(), err.decode()


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


def starfield_blocks(path, bw=32, bh=24):
    """Mean brightness of bw x bh blocks of the window as the backdrop should cover it: 1280 x 1280
    world units from the top-left corner, so the window shows its width and the top 1024 / 1280."""
    w, h, pixel = read_bmp(path)
    return blocks(lambda px, py: sum(pixel(int(px * 1.25 / 1280 * w), int(py * 1.33333 / 1280 * h))), bw, bh)


def starfield_means(path):
    """Mean red, green and blue of the part of the backdrop the window shows (its top 1024 / 1280)."""
    w, h, pixel = read_bmp(path)
    shown = [pixel(x, y) for y in range(int(h * 1024 / 1280)) for x in range(w)]
    return [sum(p[c] for p in shown) / len(shown) for c in range(3)]


def blocks(pixel, bw=32, bh=24):
    return [sum(pixel(x, y) for y in range(by * 32, by * 32 + 32, 4) for x in range(bx * 32, bx * 32 + 32, 4)) / 64
            for by in range(bh) for bx in range(bw)]


def correlation(a, b):
    ma, mb = sum(a) / len(a), sum(b) / len(b)
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    return cov / (sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b)) ** 0.5


def close_window(display, window):
    """What a window manager sends for the close button: WM_DELETE_WINDOW."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 24)]
    d = x11.XOpenDisplay(display.encode())
    ev = ClientMessage(type=33, window=int(window), format=32,
                       message_type=x11.XInternAtom(d, b"WM_PROTOCOLS", 0))
    ev.data[0] = x11.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    assert x11.XSendEvent(d, int(window), 0, 0, ctypes.byref(ev))
    x11.XCloseDisplay(d)  # flushes


def test_window_shows_the_starfield_keys_play_and_escape_quits():
    with Session() as s:
        shot = s.screenshot()
        seen = blocks(lambda x, y: shot[3 * (y * 1024 + x)] + shot[3 * (y * 1024 + x) + 1] + shot[3 * (y * 1024 + x) + 2])
        expected = starfield_blocks(os.path.join(s.data, "starfield.bmp"))
        # The ship, the rocks and the cursor cover a few blocks: most must match, in place.
        close = sum(1 for a, b in zip(seen, expected) if abs(a - b) < 24)
        print("  starfield: %d of %d blocks match, correlation %.2f" % (close, len(seen), correlation(seen, expected)))
        assert close > 0.9 * len(seen) and correlation(seen, expected) > 0.4, "the window does not show the starfield"
        # Its colours: the violet-blue sky's red and blue, channel by channel (a swap would trade them).
        want = starfield_means(os.path.join(s.data, "starfield.bmp"))
        got = [sum(shot[c::3]) / (len(shot) // 3) for c in range(3)]
        print("  mean red, green, blue: window %s, picture %s" % (["%.1f" % v for v in got], ["%.1f" % v for v in want]))
        assert all(abs(g - w) < 6 for g, w in zip(got, want)) and got[2] > got[0] + 5, (got, want)
        # A couple of seconds of play: some hundreds of frames (under the sanitizers too).
        s.x("xdotool", "mousemove", "--window", s.window, "100", "100", "keydown", "Up", "keydown", "Left", "sleep", "1",
            "key", "space", "keyup", "Left", "sleep", "1", "key", "space", "keyup", "Up")
        assert s.screenshot() != shot
        s.escape()
        result = s.finish()
        assert result == (0, "", ""), result


def test_cursor_follows_the_mouse():
    with Session() as s:
        s.x("xdotool", "mousemove", "--window", s.window, "300", "200", "sleep", "0.3")
        shot = s.screenshot()

        def cursor_pixels(cx, cy):  # the cursor's lime green; no star or rock has it
            return sum(1 for y in range(cy - 16, cy + 16) for x in range(cx - 16, cx + 16)
                       if shot[3 * (y * 1024 + x) + 1] > 150 and shot[3 * (y * 1024 + x) + 1] - shot[3 * (y * 1024 + x) + 2] > 60)
        assert cursor_pixels(300, 200) > 40, cursor_pixels(300, 200)
        assert cursor_pixels(100, 600) == 0
        s.escape()
        assert s.finish()[0] == 0


def test_closing_the_window_quits_with_status_zero():
    with Session() as s:
        close_window(s.display, s.window)
        result = s.finish()
        assert result[0] == 0, result


def test_without_pictures_it_runs_and_prints_nothing():
    with Session(data=None) as s:
        assert s.game.poll() is None, "the game ended on its own"
        s.escape()
        result = s.finish()
        assert result == (0, "", ""), result


def test_start_up_failures_print_their_message_and_exit_one():
    for driver, message in [("nosuchdriver", "Unable to initialize SDL: "), ("dummy", "Unable to set video mode: ")]:
        run = subprocess.run([BINARY], env=dict(os.environ, SDL_VIDEODRIVER=driver, **GAME_ENV), capture_output=True,
                             text=True, timeout=30)
        assert run.returncode == 1 and run.stdout.startswith(message) and run.stdout.endswith("\n"), run


def run_tests(tests):
    """Runs the test functions; prints one line each and CTest's plain closing line."""
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
