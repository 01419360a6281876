# session.py -- what the real-binary tests share: the game under test (`config`, set from pytest's options
# by tests/binary/conftest.py) on a private display (Session, over harness/game.py's Game), and the checks
# a window's picture answers (the starfield shown, the keys and mouse playing).
import ctypes
import os
import re
import statistics
import subprocess
import tempfile
import time
import types

from game import Game, wait_for  # noqa: F401 (wait_for, for the tests)
from pad import AXIS, BUTTON
from wine import WINE, WINESERVER

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The game (a path, or "driftrock.exe" under wine), its pictures' folder (or the page's site), the build
# tree that made it, and variables for the game's environment.
config = types.SimpleNamespace(game=None, data=None, build=None, env={})
# Windows programs run with a relay trace of the two calls the game makes to the desktop (the prefix's
# registry limits it to them); these are the trace's own lines.
RELAY = re.compile(r"[0-9a-f]{4}:(Call|Ret|Starting|trace:relay)")


def sdl_runtime(env):  # the SDL 1.2 library the game loads with these variables, and its version
    found = re.search(r"libSDL-1\.2\.so\.0 => (\S+)", ok("ldd", config.game, env=dict(os.environ, **env)))
    linked = ctypes.CDLL(found.group(1)).SDL_Linked_Version
    linked.restype = ctypes.POINTER(ctypes.c_uint8 * 3)
    return os.path.realpath(found.group(1)), tuple(linked().contents)


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, **kw)


def ok(*args, **kw):  # a command that must succeed: its output
    r = run(*args, **kw)
    assert r.returncode == 0, (args, r.stdout, r.stderr)
    return r.stdout


class Session(Game):
    # The game under test in a copy of DATA (config.data by default; None: an empty folder), on a private
    # display; weston on it if `wayland` (its OUTPUT so big); under wine, with its relay trace in a file, if `wine`; behind
    # `prefix` (Valgrind) if given. The SDL runtime asked for (LD_LIBRARY_PATH) must be the one loaded.

    def __init__(self, data="", wayland=False, wine=False, env=None, output="1024x768", **kw):
        super().__init__(config.game, config.data if data == "" else data, dict(config.env, **(env or {})), **kw)
        self.wayland, self.wine, self.errors, self.output = wayland, wine, None, output.split("x")

    def setup(self):
        super().setup()
        libs = config.env.get("LD_LIBRARY_PATH")
        if self.launch and libs and not self.prefix:
            with open("/proc/%d/maps" % self.game.pid) as maps:
                assert libs in maps.read(), "the game did not load SDL from " + libs

    def prepare(self, env):
        if self.wayland:
            runtime = os.path.join(self.tmp, "runtime")
            os.mkdir(runtime, 0o700)
            with open(os.path.join(runtime, "weston.ini"), "w") as ini:
                ini.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n")
            self.compositor = self.start(["weston", "--backend=x11-backend.so", "--use-pixman", "--width=" + self.output[0],
                                          "--height=" + self.output[1], "--socket=driftrock", "--config=" + ini.name],
                                         env=dict(self.env, XDG_RUNTIME_DIR=runtime), stderr=subprocess.DEVNULL)
            wait_for(lambda: os.path.exists(os.path.join(runtime, "driftrock")), 30, "weston did not start")
            env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="driftrock", SDL_VIDEODRIVER="wayland")
            # Under the sanitizers, SDL2's Wayland libraries (libdecor, EGL) are unloaded before
            # LeakSanitizer reports, so their leaks cannot be told from ours: leaks are checked in
            # the X11 sessions, which run the same game code.
            if "libasan" in env.get("LD_PRELOAD", ""):
                env["ASAN_OPTIONS"] = "detect_leaks=0"
            del env["DISPLAY"]
            self.search = ["--class", "^Weston Compositor$"]
        if self.wine:  # the relay trace goes to a file, read while the game runs
            # wine's own services first, under a wineserver of ours, with the game's variables (its
            # device service reads the pads): they must not inherit the trace or the game's standard
            # error (a driver crashing in wine's device service says so there).
            self.start([WINESERVER, "--foreground", "--persistent"])
            with tempfile.TemporaryFile() as said:  # a file, not a pipe: the services it starts keep it open
                boot = subprocess.run([WINE, "wineboot"], env=env, stdout=subprocess.DEVNULL, stderr=said, timeout=120)
                said.seek(0)
                assert boot.returncode == 0, "wine did not start its services: status %d, %r" % (boot.returncode, said.read()[-4000:])
            env.update(WINEDEBUG="-all,+relay")
            self.prefix, self.errors = [WINE], os.path.join(self.tmp, "wine.log")
            self.stderr = open(self.errors, "w")
        return env

    def __exit__(self, *exc):
        if self.wine:  # every program of the prefix's wineserver, and the server
            subprocess.run([WINESERVER, "-k"], stderr=subprocess.DEVNULL, timeout=30)
        super().__exit__()

    def traced(self):  # the relay trace's calls so far, as "ChangeDisplaySettingsA(00000000,00000000)"
        return [line.split("Call user32.")[1].split(" ret=")[0] for line in open(self.errors) if "Call user32." in line]

    def said(self):
        out, err = super().said()
        return (out, self.wine_said()[-4000:]) if self.wine else (out, err)

    def wine_said(self):  # what wine wrote to its log beyond the relay trace
        return "".join(line for line in open(self.errors) if not RELAY.match(line))

    def finish(self, timeout=60):
        status, out, err = super().finish(timeout)
        return status, out, self.wine_said() if self.wine else err

    def screenshot(self, whole=False, settled=True):
        # RGB bytes: the window's, 1024 x 768; in full screen its picture, scaled back to that; or the WHOLE screen's.
        # Not SETTLED: None while the window has another size (just back from full screen, say).
        where = ["-window", "root" if whole or self.picture else self.window]
        if self.picture and not whole:
            x, y, w, h = self.picture
            where += ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-resize", "1024x768!"]
        shot = subprocess.run(["import", *where, "-depth", "8", "rgb:-"], env=self.env,
                              capture_output=True, check=True, timeout=30).stdout
        if whole:
            return shot
        if not settled and len(shot) != 1024 * 768 * 3:
            return None
        assert len(shot) == 1024 * 768 * 3, len(shot)
        return shot

    def shows_starfield(self, pictures=None):
        # The window shows the backdrop (its top 1024 of 1280 world units) in place, block by block (the
        # ship, rocks and cursor cover a few), in its own colours (a red-blue swap would trade them):
        # waited for as long as the session waits for its window, for a busy machine draws late.
        want = blocks([os.path.join(pictures or self.data, "starfield.bmp"), "-crop", "100%x80%+0+0", "+repage"])
        b = [sum(want[i:i + 3]) for i in range(0, len(want), 3)]
        end = time.time() + self.wait
        while True:  # wine's window keeps the screen's size a moment after F11: that is waited for too
            shot, said = self.screenshot(settled=False), "the window is not yet 1024 x 768 again"
            if shot:
                seen = blocks(["-size", "1024x768", "-depth", "8", "rgb:-"], shot)
                a = [sum(seen[i:i + 3]) for i in range(0, len(seen), 3)]
                close = sum(1 for x, y in zip(a, b) if abs(x - y) < 24)
                r = statistics.correlation(a, b) if len(set(a)) > 1 else 0.0  # one colour all over: nothing drawn yet
                mean = [[sum(x[c::3]) / (len(x) / 3) for c in range(3)] for x in (seen, want)]
                said = "%d of %d blocks match, correlation %.2f; mean RGB %s, picture %s" % (
                    close, len(a), r, *[["%.1f" % v for v in m] for m in mean])
                if close > 0.9 * len(a) and r > 0.6 and all(abs(g - w) < 6 for g, w in zip(*mean)) and mean[0][2] > mean[0][0] + 5:
                    print("  starfield: " + said)
                    return shot
            assert time.time() < end, "the window did not show the starfield in %d s: %s" % (self.wait, said)
            time.sleep(0.2)


def blocks(image, data=None, grid="32x24"):
    # The mean colours of a grid of blocks of an image, as RGB bytes (ImageMagick).
    return subprocess.run(["convert", *image, "-scale", grid + "!", "-depth", "8", "rgb:-"], input=data,
                          capture_output=True, check=True, timeout=30).stdout


def sights(shot):  # bullet pixels (green), and the cursor's (lime) near the mouse at (300, 200) and far from it
    green = [i // 3 for i in range(0, len(shot), 3) if shot[i + 1] > 120 and shot[i + 1] - max(shot[i], shot[i + 2]) > 60]
    near = [sum(1 for i in green if abs(i % 1024 - cx) < 20 and abs(i // 1024 - cy) < 20) for cx, cy in [(300, 200), (100, 600)]]
    return len(green) - near[0], near


def pad_keys(pad):  # plays()'s keys on a pad (harness/pad.py): Space on its first button, Left on its stick
    return lambda how, key: pad.send(*(BUTTON, 0, int(how == "down")) if key == "space" else (AXIS, 0, -32767 * (how == "down")))


def centre(shot):  # the ship's square where it starts, at the centre (with no keys, the first rock reaches it on frame 271)
    return [shot[3 * (y * 1024 + x) + c] for y in range(352, 416) for x in range(480, 544) for c in range(3)]


def turning(s):  # whether the ship at the centre turns: its square changes within 0.4 s (a still ship draws the same bits)
    before = centre(s.screenshot())
    time.sleep(0.4)
    return sum(abs(a - b) for a, b in zip(before, centre(s.screenshot()))) / len(before) > 1


def plays(s, key=None):
    # Space fires a bullet; Left turns the ship where it starts, at the centre; the cursor follows the
    # mouse; Escape quits. How it ended. KEY(how, key) holds Space and Left: the keyboard's (s.key) unless given.
    press = key or s.key
    def held(key, measure, enough, seconds=60):  # KEY held until measure() is enough, up to a limit: the last measure
        press("down", key)
        end = time.time() + seconds
        while not enough(got := measure()) and time.time() < end:
            time.sleep(0.05)
        press("up", key)
        return got
    # Fired first, straight up, away from the rocks (they start at the corners): Space held until bullets
    # show (a press and release within one frame never shows in the key state), then Left held until
    # the ship at the centre has turned (at most 5 degrees a frame), each up to a generous limit, for a
    # starved machine plays few frames a second.
    s.shows_starfield()  # the game has drawn
    s.mouse(300, 200)
    bullets, near = held("space", lambda: sights(s.screenshot()), lambda got: got[0] > 2 and got[1][0] > 40)
    before = centre(s.screenshot())
    turned = held("Left", lambda: sum(abs(a - b) for a, b in zip(before, centre(s.screenshot()))) / len(before), lambda t: t > 8)
    print("  keys: the centre changed by %.1f a channel after Left; %d bullet pixels; cursor pixels %s" % (turned, bullets, near))
    assert turned > 8 and bullets > 2 and near[0] > 40 and near[1] == 0, (turned, bullets, near)
    shot = s.shows_starfield()
    s.escape()
    return shot, s.finish()
