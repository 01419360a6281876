#!/usr/bin/env python3
"""binary_test.py -- the real driftrock binary: its window and starfield, quitting by Escape and by
closing the window, and its start-up failures. Standard library only; needs Xvfb, xdotool and
ImageMagick's import.

Usage: binary_test.py PATH_TO_DRIFTROCK DATA_DIR
Each case that needs a display starts its own Xvfb (never reset). Prints 'N passed, N failed'.
"""
import ctypes
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

BINARY, DATA = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])


class Xvfb:
    def __enter__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()

    def run(self, *args, **kw):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=30, **kw)


def start_game(x, cwd):
    game = subprocess.Popen([BINARY], cwd=cwd, env=x.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    found = x.run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^Driftrock$")
    assert found.returncode == 0, "no window: " + found.stderr
    window = found.stdout.split()[0]
    time.sleep(0.5)  # a few dozen frames
    return game, window


def finish(game, timeout=10):
    out, err = game.communicate(timeout=timeout)
    return game.returncode, out.decode(), err.decode()


def screenshot(x, window):
    """(width, height, bytes) of the window's pixels, RGB."""
    shot = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=x.env, capture_output=True, timeout=30)
    assert shot.returncode == 0, shot.stderr.decode()
    data = shot.stdout
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255"
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def read_bmp24(path):
    """(width, height, rows top-first of (r, g, b)) of an uncompressed bottom-up 24-bit BMP."""
    with open(path, "rb") as f:
        raw = f.read()
    offset = struct.unpack_from("<I", raw, 10)[0]
    w, h, _, bits = struct.unpack_from("<iiHH", raw, 18)
    assert bits == 24 and h > 0
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        base = offset + (h - 1 - y) * stride
        rows.append([(raw[base + 3 * x + 2], raw[base + 3 * x + 1], raw[base + 3 * x]) for x in range(w)])
    return w, h, rows


def block_means(get, w, h, bw, bh):
    means = []
    for by in range(bh):
        for bx in range(bw):
            total, n = 0, 0
            for y in range(by * h // bh, (by + 1) * h // bh, 2):
                for x in range(bx * w // bw, (bx + 1) * w // bw, 2):
                    r, g, b = get(x, y)
                    total += r + g + b
                    n += 1
            means.append(total / n)
    return means


def correlation(a, b):
    ma, mb = sum(a) / len(a), sum(b) / len(b)
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a) ** 0.5
    vb = sum((y - mb) ** 2 for y in b) ** 0.5
    return cov / (va * vb)


def close_window(display, window):
    """What a window manager does for the close button: a WM_DELETE_WINDOW client message."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 24)]

    d = x11.XOpenDisplay(display.encode())
    assert d, "cannot open " + display
    ev = ClientMessage()
    ev.type = 33  # ClientMessage
    ev.window = int(window)
    ev.message_type = x11.XInternAtom(d, b"WM_PROTOCOLS", 0)
    ev.format = 32
    ev.data[0] = x11.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    ev.data[1] = 0  # CurrentTime
    assert x11.XSendEvent(d, int(window), 0, 0, ctypes.byref(ev))
    x11.XFlush(d)
    x11.XCloseDisplay(d)


def fresh_data():
    tmp = tempfile.mkdtemp(prefix="driftrock-run-")
    shutil.copytree(DATA, os.path.join(tmp, "data"))
    return tmp, os.path.join(tmp, "data")


def test_window_shows_the_starfield_and_escape_quits():
    tmp, data = fresh_data()
    try:
        with Xvfb() as x:
            game, window = start_game(x, data)
            try:
                geometry = x.run("xdotool", "getwindowgeometry", window).stdout
                assert "1024x768" in geometry, geometry
                w, h, pixels = screenshot(x, window)
                assert (w, h) == (1024, 768)
                sw, sh, rows = read_bmp24(os.path.join(data, "starfield.bmp"))

                def shot(px, py):
                    i = 3 * (py * w + px)
                    return pixels[i], pixels[i + 1], pixels[i + 2]

                # The backdrop spans 1280 x 1280 world units from the top-left corner: the window shows
                # its whole width and the top 1024 / 1280 of its height.
                def picture(px, py):
                    return rows[int(py * 1.33333 / 1280 * sh)][int(px * 1.25 / 1280 * sw)]

                # Block by block; the ship, rocks and cursor cover a few blocks, so most must match.
                seen = block_means(shot, w, h, 32, 24)
                expected = block_means(picture, w, h, 32, 24)
                close = sum(1 for a, b in zip(seen, expected) if abs(a - b) < 24)
                print("  starfield blocks matched: %d of %d, correlation %.2f"
                      % (close, len(seen), correlation(seen, expected)))
                assert close > 0.9 * len(seen), "the window does not show the starfield"
                assert correlation(seen, expected) > 0.4, "the starfield is misplaced or turned"
            finally:
                x.run("xdotool", "mousemove", "512", "384")
                x.run("xdotool", "key", "Escape")
            status, out, err = finish(game)
            assert status == 0, "status %d, stderr %r" % (status, err)
            assert out == "", out
    finally:
        shutil.rmtree(tmp)


def test_closing_the_window_quits_with_status_zero():
    tmp, data = fresh_data()
    try:
        with Xvfb() as x:
            game, window = start_game(x, data)
            close_window(x.display, window)
            status, out, err = finish(game)
            assert status == 0, "status %d, stderr %r" % (status, err)
    finally:
        shutil.rmtree(tmp)


def test_keys_fly_the_ship_and_an_escape_on_the_first_frames_still_quits():
    tmp, data = fresh_data()
    try:
        with Xvfb() as x:
            game, window = start_game(x, data)
            x.run("xdotool", "mousemove", "100", "100")
            before = screenshot(x, window)[2]
            x.run("xdotool", "keydown", "Up", "keydown", "Left", "sleep", "0.5", "keyup", "Left",
                  "key", "space", "sleep", "0.3", "keyup", "Up")
            after = screenshot(x, window)[2]
            assert before != after
            x.run("xdotool", "key", "Escape")
            status, _, _ = finish(game)
            assert status == 0
    finally:
        shutil.rmtree(tmp)


def test_without_images_it_runs_and_prints_nothing():
    tmp = tempfile.mkdtemp(prefix="driftrock-empty-")
    try:
        with Xvfb() as x:
            game, window = start_game(x, tmp)
            assert game.poll() is None, "the game ended on its own"
            x.run("xdotool", "mousemove", "512", "384")
            x.run("xdotool", "key", "Escape")
            status, out, err = finish(game)
            assert status == 0 and out == "", (status, out)
    finally:
        shutil.rmtree(tmp)


def test_no_video_driver_reports_and_fails():
    env = dict(os.environ, SDL_VIDEODRIVER="nosuchdriver")
    run = subprocess.run([BINARY], env=env, capture_output=True, text=True, timeout=30)
    assert run.returncode == 1, run.returncode
    assert run.stdout.startswith("Unable to initialize SDL: ") and run.stdout.endswith("\n"), run.stdout


def test_no_opengl_reports_and_fails():
    env = dict(os.environ, SDL_VIDEODRIVER="dummy")
    run = subprocess.run([BINARY], env=env, capture_output=True, text=True, timeout=30)
    assert run.returncode == 1, run.returncode
    assert run.stdout.startswith("Unable to set video mode: ") and run.stdout.endswith("\n"), run.stdout


def main():
    tests = [(name, fn) for name, fn in sorted(globals().items()) if name.startswith("test_")]
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


if __name__ == "__main__":
    sys.exit(main())
