#!/usr/bin/env python3
# binary_test.py -- the real driftrock binary, the way a player meets it, on a private Xvfb (or Wayland in
# a weston nested on it): the window, keys and mouse, quitting, start-up failures, a lost display; the
# same harness under Valgrind's memcheck, the installed game (cmake --install, the Debian package), the
# Windows game under wine (the ZIP unpacked, the installer, the uninstaller), and the web page in chromium.
# Usage: binary_test.py play GAME DATA [NAME=VALUE ...]   (the pairs go to the game's environment)
#        binary_test.py windows BUILD_DIR                  (the Windows packages, played under wine)
#        binary_test.py browser SITE                       (the web page, in a headless chromium)
#        binary_test.py valgrind GAME DATA
#        binary_test.py pictures GAME DATA                 (the game's pictures themselves)
#        binary_test.py package BUILD_DIR                  (the Debian package half needs root)
import base64
import contextlib
import ctypes
import glob
import http.server
import json
import os
import re
import shlex
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import xml.etree.ElementTree as ET
import zipfile

GAME = DATA = BUILD = None
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "tools"))
from xvfb import Display  # noqa: E402 (the private display and wine, beside the other tools)
from wine import ENV as WINE_ENV, WINE, WINESERVER, stop as stop_wine  # noqa: E402
GAME_ENV = {}
# Windows programs run under wine (tools/wine.py) in the private prefix that CTest names in WINEPREFIX,
# with a relay trace of the two calls the game makes to the desktop (the prefix's registry limits it to them).
TRACED = "user32.ChangeDisplaySettingsA;user32.MessageBoxA"
RELAY = re.compile(r"[0-9a-f]{4}:(Call|Ret|Starting|trace:relay)")


class Skip(Exception):  # a test that cannot run on this machine, and why: reported as skipped, never as passed
    pass


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, **kw)


def ok(*args, **kw):  # a command that must succeed: its output
    r = run(*args, **kw)
    assert r.returncode == 0, (args, r.stdout, r.stderr)
    return r.stdout


def wait_for(test, seconds, what):
    end = time.time() + seconds
    while not test():
        assert time.time() < end, what
        time.sleep(0.1)


class Session(Display):
    # A private display (tools/xvfb.py), weston on it if `wayland`, and the game in a copy of a folder,
    # behind `prefix` (Valgrind) if given. Every process it started is stopped on every way out, a failed
    # start included.

    def __init__(self, data="", prefix=(), wait=60, wayland=False, launch=True, wine=False, env=None):
        super().__init__()
        self.prefix, self.wait, self.wayland, self.launch = list(prefix), wait, wayland, launch
        self.wine, self.errors, self.extra_env = wine, None, env or {}
        self.dir = tempfile.TemporaryDirectory(prefix="driftrock-run-")
        self.tmp, self.data = self.dir.name, os.path.join(self.dir.name, "data")
        data = DATA if data == "" else data
        shutil.copytree(data, self.data) if data else os.mkdir(self.data)

    def __enter__(self):
        try:
            super().__enter__()
            if not self.launch:
                return self
            game_env, search = dict(self.env, **GAME_ENV, **self.extra_env), ["--name", "^Driftrock$"]
            if self.wayland:
                runtime = os.path.join(self.tmp, "runtime")
                os.mkdir(runtime, 0o700)
                with open(os.path.join(runtime, "weston.ini"), "w") as ini:
                    ini.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n")
                self.compositor = self.start(["weston", "--backend=x11-backend.so", "--use-pixman", "--width=1024",
                                              "--height=768", "--socket=driftrock", "--config=" + ini.name],
                                             env=dict(self.env, XDG_RUNTIME_DIR=runtime), stderr=subprocess.DEVNULL)
                wait_for(lambda: os.path.exists(os.path.join(runtime, "driftrock")), 30, "weston did not start")
                game_env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="driftrock", SDL_VIDEODRIVER="wayland")
                # Under the sanitizers, SDL2's Wayland libraries (libdecor, EGL) are unloaded before
                # LeakSanitizer reports, so their leaks cannot be told from ours: leaks are checked in
                # the X11 sessions, which run the same game code.
                if "libasan" in game_env.get("LD_PRELOAD", ""):
                    game_env["ASAN_OPTIONS"] = "detect_leaks=0"
                del game_env["DISPLAY"]
                search = ["--class", "^Weston Compositor$"]
            if self.wine:  # the relay trace goes to a file, read while the game runs
                # wine's own services first, under a wineserver of ours: they must not inherit the
                # trace or the game's standard error (a driver crashing in wine's device service says so there).
                self.start([WINESERVER, "--foreground", "--persistent"])
                subprocess.run([WINE, "wineboot"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
                game_env.update(WINEDEBUG="-all,+relay")
                self.prefix, self.errors = [WINE], os.path.join(self.tmp, "wine.log")
            self.game = self.start(self.prefix + [GAME], cwd=self.data, env=game_env, stdout=subprocess.PIPE,
                                   stderr=open(self.errors, "w") if self.wine else subprocess.PIPE)
            self.find_window(search, self.game)
            libs = GAME_ENV.get("LD_LIBRARY_PATH")
            if libs and not self.prefix:  # the SDL runtime asked for is the one loaded
                with open("/proc/%d/maps" % self.game.pid) as maps:
                    assert libs in maps.read(), "the game did not load SDL from " + libs
            return self
        except BaseException:
            self.__exit__()
            raise

    def __exit__(self, *exc):
        if self.wine:  # every program of the prefix's wineserver, and the server
            subprocess.run([WINESERVER, "-k"], stderr=subprocess.DEVNULL, timeout=30)
        super().__exit__()
        self.dir.cleanup()

    def traced(self):  # the relay trace's calls so far, as "ChangeDisplaySettingsA(00000000,00000000)"
        return [line.split("Call user32.")[1].split(" ret=")[0] for line in open(self.errors) if "Call user32." in line]

    def find_window(self, search, game=None):  # waits for the window; the game, if given, must not end first
        found = []

        def window():
            assert game is None or game.poll() is None, "the game ended: %r" % (game.communicate(),)
            found[:] = self.x("xdotool", "search", "--onlyvisible", *search, check=False).split()
            return found
        wait_for(window, self.wait, "no window")
        self.window = found[0]

    def x(self, *args, check=True):
        return subprocess.run(args, env=self.env, capture_output=True, check=check, timeout=30).stdout.decode()

    def screenshot(self):
        # The window's RGB bytes, 1024 x 768.
        shot = subprocess.run(["import", "-window", self.window, "-depth", "8", "rgb:-"], env=self.env,
                              capture_output=True, check=True, timeout=30).stdout
        assert len(shot) == 1024 * 768 * 3, len(shot)
        return shot

    def shows_starfield(self, pictures=None):
        # The window shows the backdrop (its top 1024 of 1280 world units) in place, block by block (the
        # ship, rocks and cursor cover a few), in its own colours (a red-blue swap would trade them):
        # waited for as long as the session waits for its window, for a busy machine draws late.
        want = blocks([os.path.join(pictures or self.data, "starfield.bmp"), "-crop", "100%x80%+0+0", "+repage"])
        b = [sum(want[i:i + 3]) for i in range(0, len(want), 3)]
        end = time.time() + self.wait
        while seen := blocks(["-size", "1024x768", "-depth", "8", "rgb:-"], shot := self.screenshot()):
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


    def escape(self):
        self.x("xdotool", "mousemove", "--window", self.window, "512", "384", "key", "Escape")  # the pointer gives the focus

    def finish(self, timeout=60):
        out, err = self.game.communicate(timeout=timeout)
        if self.wine:  # what wine said beyond its relay trace
            err = "".join(line for line in open(self.errors) if not RELAY.match(line)).encode()
        return self.game.returncode, out.decode(), err.decode()

    def ends_with(self, server):
        # Kills a server under the game: the game's status once it has ended by itself, and how long that took.
        start = time.time()
        server.kill()
        return self.game.wait(timeout=60), time.time() - start


def blocks(image, data=None, grid="32x24"):
    # The mean colours of a grid of blocks of an image, as RGB bytes (ImageMagick).
    return subprocess.run(["convert", *image, "-scale", grid + "!", "-depth", "8", "rgb:-"], input=data,
                          capture_output=True, check=True, timeout=30).stdout


def plays(s):
    # Space fires a bullet; Left turns the ship where it starts, at the centre (early: with no keys, the
    # first rock reaches it on frame 271); the cursor follows the mouse; Escape quits. How it ended.
    def sights(shot):  # bullet pixels (green), and the cursor's (lime) near the mouse and far from it
        green = [i // 3 for i in range(0, len(shot), 3) if shot[i + 1] > 120 and shot[i + 1] - max(shot[i], shot[i + 2]) > 60]
        near = [sum(1 for i in green if abs(i % 1024 - cx) < 20 and abs(i // 1024 - cy) < 20) for cx, cy in [(300, 200), (100, 600)]]
        return len(green) - near[0], near
    centre = lambda shot: [shot[3 * (y * 1024 + x) + c] for y in range(352, 416) for x in range(480, 544) for c in range(3)]
    def held(key, measure, enough, seconds=60):  # KEY held until measure() is enough, up to a limit: the last measure
        s.x("xdotool", "keydown", key)
        end = time.time() + seconds
        while not enough(got := measure()) and time.time() < end:
            time.sleep(0.05)
        s.x("xdotool", "keyup", key)
        return got
    # Fired first, straight up, away from the rocks (they start at the corners): Space held until bullets
    # show (a press and release within one frame never shows in the key state), then Left held until
    # the ship at the centre has turned (at most 5 degrees a frame), each up to a generous limit, for a
    # starved machine plays few frames a second.
    s.shows_starfield()  # the game has drawn
    s.x("xdotool", "mousemove", "--window", s.window, "300", "200")
    bullets, near = held("space", lambda: sights(s.screenshot()), lambda got: got[0] > 2 and got[1][0] > 40)
    before = centre(s.screenshot())
    turned = held("Left", lambda: sum(abs(a - b) for a, b in zip(before, centre(s.screenshot()))) / len(before), lambda t: t > 8)
    print("  keys: the centre changed by %.1f a channel after Left; %d bullet pixels; cursor pixels %s" % (turned, bullets, near))
    assert turned > 8 and bullets > 2 and near[0] > 40 and near[1] == 0, (turned, bullets, near)
    shot = s.shows_starfield()
    s.escape()
    return shot, s.finish()


def test_play_window_shows_the_starfield_keys_and_mouse_play_and_escape_quits():
    with Session() as s:
        assert plays(s)[1] == (0, "", ""), s.finish()


def test_play_the_close_button_quits_and_without_pictures_it_prints_nothing():
    # What a window manager sends for the close button: a WM_DELETE_WINDOW client message, here an XEvent
    # laid out as 24 longs (type, serial, send_event, display, window, message_type, format, data).
    with Session(data=None) as s:
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        d = ctypes.c_void_p(x11.XOpenDisplay(s.env["DISPLAY"].encode()))
        atoms = [x11.XInternAtom(d, name, 0) for name in (b"WM_PROTOCOLS", b"WM_DELETE_WINDOW")]
        assert x11.XSendEvent(d, int(s.window), 0, 0, (ctypes.c_long * 24)(33, 0, 0, 0, int(s.window), atoms[0], 32, atoms[1]))
        x11.XCloseDisplay(d)  # flushes
        assert s.finish() == (0, "", ""), s.finish()


def test_play_losing_the_display_ends_the_game_with_status_one():
    with Session() as s:
        status, took = s.ends_with(s.xvfb)
        print("  gone %.2f s after its X server" % took)
        assert status == 1, s.finish()


def sdl_runtime(env):  # the SDL 1.2 library the game loads with these variables, and its version
    found = re.search(r"libSDL-1\.2\.so\.0 => (\S+)", ok("ldd", GAME, env=dict(os.environ, **env)))
    linked = ctypes.CDLL(found.group(1)).SDL_Linked_Version
    linked.restype = ctypes.POINTER(ctypes.c_uint8 * 3)
    return os.path.realpath(found.group(1)), tuple(linked().contents)


def test_play_on_wayland_it_shows_plays_and_ends_with_its_compositor():
    if sdl_runtime(GAME_ENV)[1] < (1, 2, 50):  # the compatibility library counts from 1.2.50
        raise Skip("classic SDL 1.2 has no Wayland driver")
    with Session(wayland=True) as s:
        s.shows_starfield()
        s.escape()
        ended = s.finish()
        assert ended[0] == 0, ended
    with Session(wayland=True) as s:
        s.shows_starfield()  # in play
        print("  gone %.2f s after its compositor, status %d" % s.ends_with(s.compositor)[::-1])


def test_play_start_up_failures_print_their_message_and_exit_one():
    for driver, message in [("nosuchdriver", "Unable to initialize SDL: "), ("dummy", "Unable to set video mode: ")]:
        r = run(GAME, env=dict(os.environ, SDL_VIDEODRIVER=driver, **GAME_ENV))
        # A driver chosen on purpose is tried as asked: the reason is SDL's own.
        assert r.returncode == 1 and r.stdout.startswith(message) and r.stdout.endswith("\n"), r
        assert "no display" not in r.stdout, r
    # No display at all, as over SSH: the message is still on the terminal once the game has ended.
    tmux = ["tmux", "-L", "driftrock-%d" % os.getpid()]
    env = " ".join(shlex.quote("%s=%s" % kv) for kv in GAME_ENV.items())
    subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "20", "env -u DISPLAY -u WAYLAND_DISPLAY "
                           "-u SDL_VIDEODRIVER %s %s; echo status $?; sleep 60" % (env, shlex.quote(GAME))], check=True)
    try:
        pane, start = [], time.time()
        wait_for(lambda: pane.append(run(*tmux, "capture-pane", "-p").stdout) or "status" in pane[-1], 60, "it hangs")
        print("  no display: ended in %.1f s" % (time.time() - start))
        assert "Unable to set video mode: no display to show the window on" in pane[-1] and "status 1" in pane[-1], pane[-1]
    finally:
        run(*tmux, "kill-server")


def test_valgrind_finds_no_invalid_access_in_our_code():
    # Some dozens of frames under memcheck, then Escape. Mesa's, SDL's and the loader's own findings
    # are counted, not failed; ours are those whose innermost frame past the C library is in the game.
    with tempfile.TemporaryDirectory(prefix="driftrock-valgrind-") as tmp:
        with Session(prefix=["valgrind", "--xml=yes", "--xml-file=%s/memcheck.xml" % tmp, "--num-callers=40"], wait=300) as s:
            s.shows_starfield()  # some frames played under memcheck
            s.escape()
            assert s.finish(timeout=300)[0] == 0
        ours, theirs, report = [], 0, open(tmp + "/memcheck.xml").read()
        # Each finding read on its own (valgrind 3.24 may write more after the document's end than 3.19),
        # from a whole report: valgrind's final state, and one finding for each that its counts name (the
        # counts leave out leaks, which come at the exit).
        errors = list(map(ET.fromstring, re.findall(r"<error>.*?</error>", report, re.S)))
        counted = re.search(r"<state>FINISHED</state>.*<errorcounts>(.*?)</errorcounts>.*</valgrindoutput>", report, re.S)
        assert counted and sorted(re.findall(r"<unique>(.*?)</unique>", counted.group(1))) == sorted(e.findtext(
            "unique") for e in errors if not e.findtext("kind").startswith("Leak_")), "valgrind's report is unfinished or disagrees"
        for error in errors:
            objs = [o for o in (f.findtext("obj") or "" for f in error.iter("frame")) if "vgpreload" not in o and "/libc.so" not in o]
            if objs and os.path.realpath(objs[0]) == os.path.realpath(GAME):
                ours.append((error.findtext("kind"), error.findtext("what") or error.findtext("xwhat/text")))
            else:
                theirs += 1
    print("  valgrind: %d findings in our code, %d elsewhere: %s" % (len(ours), theirs, ours))
    assert not [o for o in ours if o[0].startswith(("Invalid", "Mismatched", "Uninit"))], ours


def test_pictures_have_power_of_two_sides_and_exact_magenta_only_where_transparent():
    names = sorted(glob.glob(os.path.join(DATA, "**", "*.bmp"), recursive=True))
    assert len(names) == 12, names
    for path in names:
        w, h, _, bits = struct.unpack_from("<iiHH", open(path, "rb").read(30), 18)
        assert bits == 24 and w & (w - 1) == 0 and h & (h - 1) == 0, (path, w, h, bits)
        pixels = subprocess.run(["convert", path, "rgb:-"], capture_output=True, check=True).stdout
        rgb = [pixels[i:i + 3] for i in range(0, len(pixels), 3)]
        keyed = rgb.count(b"\xff\x00\xff")
        assert sum(1 for p in rgb if p[0] > 230 and p[1] < 40 and p[2] > 230) == keyed, path + ": pink specks"
        # The starfield is opaque; every other picture has a transparent surround, corners included
        # (nothing cut off at the edge).
        surround = keyed > len(rgb) / 10 and all(rgb[i] == b"\xff\x00\xff" for i in (0, w - 1, -w, -1))
        assert keyed == 0 if path.endswith("starfield.bmp") else surround, path
    # The web app's maskable icon: outside the middle circle that a home screen may keep, only the sky.
    icon = subprocess.run(["convert", SOURCE + "/icons/driftrock-maskable-512.png", "rgb:-"], capture_output=True, check=True).stdout
    outside = [icon[i * 3:i * 3 + 2] for i in range(512 * 512) if (i % 512 - 255.5) ** 2 + (i // 512 - 255.5) ** 2 > 205 ** 2]
    assert max(max(rg) for rg in outside) <= 41, "the ship or the rock reaches past the safe zone"


def plays_installed(launcher, pictures):
    # The launcher from an empty folder: the installed starfield shows, Escape ends it with 0, and a
    # start-up failure comes back through it as 1.
    global GAME
    GAME = launcher
    with Session(data=None) as s:
        s.shows_starfield(pictures)
        s.escape()
        assert s.finish()[0] == 0
    failed = run(launcher, env=dict(os.environ, SDL_VIDEODRIVER="nosuchdriver"), cwd="/")
    assert failed.returncode == 1 and failed.stdout.startswith("Unable to initialize SDL"), failed


def homepage():  # the game's web address as the build was given it, or ""
    found = re.search(r"^DRIFTROCK_HOMEPAGE:STRING=(.*)$", open(os.path.join(BUILD, "CMakeCache.txt")).read(), re.M)
    return found.group(1) if found else ""


def test_package_installs_into_a_prefix_with_a_space():
    with tempfile.TemporaryDirectory(prefix="driftrock-install-") as tmp:
        prefix = os.path.join(tmp, "my games", "usr")
        ok("cmake", "--install", BUILD, "--prefix", prefix)
        for path in ["lib/games/driftrock/driftrock", "share/games/driftrock/a1/c7.bmp", "share/man/man6/driftrock.6.gz",
                     "share/doc/driftrock/copyright", "share/doc/driftrock/README.md"] + \
                ["share/icons/hicolor/%dx%d/apps/driftrock.png" % (n, n) for n in (48, 64, 128)]:
            assert os.path.exists(os.path.join(prefix, path)), path
        assert not ok("desktop-file-validate", os.path.join(prefix, "share/applications/driftrock.desktop")).strip()
        metainfo = os.path.join(prefix, "share/metainfo/org.driftrock.driftrock.metainfo.xml")
        # With no homepage given, AppStream 1.0 (Debian 13) warns that none is named: only its publisher can.
        problems = re.findall(r"^[EW]: \S+ (\S+)", run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo).stdout, re.M)
        assert set(problems) <= (set() if homepage() else {"url-homepage-missing"}), problems
        assert [u.text for u in ET.parse(metainfo).iter("url")] == ([homepage()] if homepage() else []), homepage()
        plays_installed(os.path.join(prefix, "games/driftrock"), os.path.join(prefix, "share/games/driftrock"))


def test_package_for_debian_installs_plays_and_removes_cleanly():
    if os.geteuid() != 0 or not shutil.which("dpkg"):
        raise Skip("installing a package needs root and dpkg")
    with tempfile.TemporaryDirectory(prefix="driftrock-deb-") as tmp:
        ok("cpack", "-G", "DEB", "-B", tmp, "--config", os.path.join(BUILD, "CPackConfig.cmake"))
        deb, = glob.glob(os.path.join(tmp, "driftrock_*_*.deb"))
        assert os.path.basename(deb) == "driftrock_1.0.0_%s.deb" % ok("dpkg", "--print-architecture").strip()
        fields = ok("dpkg-deb", "-f", deb, "Section", "Depends", "Homepage")
        assert "Section: games" in fields and "libsdl1.2debian" in fields and "libsdl1.2-compat" in fields, fields
        assert ("Homepage: %s\n" % homepage() in fields) == bool(homepage()), fields
        # Errors and warnings fail; the one info tag left is binary-has-unneeded-section (.comment),
        # which only dh_strip's extra section removal would take away.
        # (lintian's AppStream check is that of the prefix's test, which reads AppStream's own findings.)
        tags = [t for t in run("lintian", "--pedantic", deb).stdout.splitlines() if t[:2] in ("E:", "W:") and (
            homepage() or "appstream-metadata-validation-failed" not in t)]
        assert not tags, tags
        files = [line.split()[-1][1:] for line in ok("dpkg-deb", "-c", deb).splitlines()]
        ok("dpkg", "-i", deb)
        try:
            plays_installed("/usr/games/driftrock", "/usr/share/games/driftrock")
        finally:
            ok("dpkg", "-r", "driftrock")
    ours = ["/usr/lib/games/driftrock/", "/usr/share/games/driftrock/", "/usr/share/doc/driftrock/"]
    left = [f for f in files if (not f.endswith("/") or f in ours) and os.path.lexists(f)]
    assert not left, left
    assert "install ok installed" not in run("dpkg-query", "-W", "-f=${Status}", "driftrock").stdout


class Site(http.server.SimpleHTTPRequestHandler):
    # The page's folder as a server that compresses nothing serves it, counting the bytes it sends; a file
    # named in the server's `broken` answers 404, or ("cut") its connection drops after one byte.
    def do_GET(self):
        self.directory = self.server.site  # the folder it serves now (a test may publish another build)
        how = self.server.broken.get(self.path.lstrip("/"))
        if how == "cut":  # HTTP/1.0: the connection closes with the answer
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            return self.end_headers() or self.wfile.write(b"x")
        return self.send_error(404) if how else super().do_GET()

    def copyfile(self, source, out):
        sent = out.write(source.read())  # counted once written: downloads run side by side, each in a thread
        with self.server.counting:
            self.server.sent += sent

    log_message = lambda *args: None  # noqa: E731


class Browser(Session):
    # The web page in Debian's chromium, headless, through tests/browser/driver.mjs, served from SITE by a
    # private web server on 127.0.0.1; it answers the calls a window's checks make (screenshot, xdotool's
    # verbs, escape, finish). `page` sets the page's device (driver.mjs's open(), as "goto" does later).
    # The driver, the browser (in the driver's process group) and the server stop with it, however it ends.

    def __init__(self, broken=None, switches=(), **page):
        super().__init__(data=None, launch=False)
        self.page, self.window, self.data, self.switches = page, "page", os.path.join(SOURCE, "data"), list(switches)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
        self.server.handle_error = lambda *args: None  # a reload cuts a download short
        self.server.broken, self.server.sent, self.server.site, self.server.counting = broken or {}, 0, DATA, threading.Lock()
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def __enter__(self):
        try:
            home = dict(HOME=self.tmp, XDG_CONFIG_HOME=self.tmp, XDG_CACHE_HOME=self.tmp)  # chromium's settings, caches
            self.start(["node", SOURCE + "/tests/browser/driver.mjs", "http://127.0.0.1:%d/" % self.server.server_port] + self.switches,
                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, start_new_session=True, env=dict(os.environ, **home))
            self.call("goto", **self.page)
            return self
        except BaseException:
            self.__exit__()
            raise

    def __exit__(self, *exc):
        for driver in self.procs:  # closing its input closes the browser; whatever is left of it then goes
            driver.stdin.close()
            with contextlib.suppress(subprocess.TimeoutExpired):
                driver.wait(timeout=20)
        self.server.shutdown()
        self.server.server_close()
        super().__exit__()

    def call(self, op, **args):
        self.procs[0].stdin.write(json.dumps(dict(op=op, **args)) + "\n")
        self.procs[0].stdin.flush()
        answer = json.loads(self.procs[0].stdout.readline() or '{"error": "the browser\'s driver ended"}')
        assert "error" not in answer, answer["error"]
        return answer["ok"]

    def js(self, code):
        return self.call("eval", js=code)

    def screenshot(self):  # the canvas, shown at its own 1024 x 768, as RGB bytes
        # The game waits while it is taken, as in a hidden tab: a starved browser takes its pictures
        # slowly, and a game playing on meanwhile would have its first rock reach the ship before a probe.
        self.js("Object.defineProperty(document, 'hidden', {value: true, configurable: true})")
        try:
            png = base64.b64decode(self.call("shot"))
        finally:
            self.js("delete document.hidden")
        shot = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png, capture_output=True, check=True).stdout
        assert len(shot) == 1024 * 768 * 3, len(shot)
        return shot

    def x(self, *args, check=True):  # xdotool's verbs, as the page's mouse and keyboard
        args, how = [a for a in args[1:] if a not in ("--window", self.window)], {"keydown": "down", "keyup": "up", "key": "press"}
        while args:
            verb, arg = args.pop(0), args.pop(0)
            if verb == "mousemove":
                self.call("mouse", x=int(arg), y=int(args.pop(0)))
            else:
                time.sleep(float(arg)) if verb == "sleep" else self.call("key", how=how[verb], key=arg)
        return ""

    def frames(self):  # frames the game has played, as the page counts them
        return self.js("(window.Module && Module.frames) || 0")

    def plays(self, more=10):  # the game plays `more` frames from now
        now = self.frames()
        wait_for(lambda: self.frames() > now + more, 60, "the game does not play")

    def keys(self):  # the key state two frames on (a frame lets go of the taps before it): Space, Up, Down, Right, Left
        return self.js("""new Promise(done => { const from = Module.frames, wait = setInterval(() => Module.frames < from + 2
            || (clearInterval(wait), done([32, 273, 274, 275, 276].map(i => HEAPU8[_gameKeyState() + i]))), 5); })""")


    def message(self):  # what the page says over the picture, once it says something
        said = [""]
        wait_for(lambda: said.append(self.js("message.hidden ? '' : window['message-text'].textContent")) or said[-1], 30, "the page said nothing")
        return said[-1]

    def finish(self, timeout=10):
        return (0 if self.message() == "The game has ended." else 1), "", "\n".join(self.call("errors"))


PAD = """window.pad = {id: 'pad', index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
    buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
navigator.getGamepads = () => [window.pad];"""
BOXES = """Object.fromEntries([...document.querySelectorAll('#pad button, canvas')].map(e => [e.getAttribute('aria-label')
    || 'picture', (r => [r.x, r.y, r.width, r.height])(e.getBoundingClientRect())]))"""


def test_browser_page_plays_the_game_shows_its_end_and_plays_again():
    with Browser(init=PAD) as s:  # a gamepad at rest beside the keyboard
        s.plays()
        print("  %d bytes sent for the page, from a server that compresses nothing" % s.server.sent)
        packed = sum(os.path.getsize(f) for f in glob.glob(os.path.join(DATA, "*.gz")))  # each sent whole, and counted
        assert packed <= s.server.sent <= 600000, (packed, s.server.sent)  # a small download, for slow connections
        shot, finished = plays(s)
        assert finished == (0, "", ""), finished
        magenta = sum(1 for i in range(0, len(shot), 3) if shot[i] > 200 and shot[i + 1] < 60 and shot[i + 2] > 200)
        assert magenta == 0, "%d magenta pixels" % magenta
        s.call("click", selector="#again")
        s.plays()
        # Its name and icon, no progress bar once loaded, no system pointer, no scrolling by the game's
        # keys, no touch buttons on a desktop, and the pad's line.
        assert s.js("""[document.title, document.querySelector("link[rel=icon]").getAttribute("href"), loading.hidden,
            getComputedStyle(canvas).cursor, !window.dispatchEvent(new KeyboardEvent("keydown", {key: "ArrowDown",
            cancelable: true})), getComputedStyle(document.getElementById("pad")).display,
            controls.innerText.includes("Gamepad")]""") == ["Driftrock", "driftrock.png", True, "none", True, "none", True]

        def hide(hidden):  # a hidden tab's game waits where it stands, and goes on when shown
            s.js("Object.defineProperty(document, 'hidden', {value: %s, configurable: true})" % hidden)
            time.sleep(0.3)
            return s.frames()
        held = hide("true")
        assert hide("true") == held and hide("false") > held, "a hidden tab played on, or a shown one did not"
        # Full screen: the browser's Escape leaves it and is not the game's where the browser hands it to
        # the page as full screen ends (here, from the page's own fullscreenchange, so at once: the page
        # keeps it from the picture); the keyboard is then the game's, and one Escape ends it.
        s.call("click", selector="#fullscreen")
        wait_for(lambda: s.js("!!document.fullscreenElement"), 30, "no full screen")
        s.js("""document.addEventListener('fullscreenchange', () => { const e = new KeyboardEvent('keydown', {key: 'Escape',
            code: 'Escape', bubbles: true, cancelable: true}); Object.defineProperty(e, 'keyCode', {get: () => 27});
            canvas.addEventListener('keydown', () => (window.escaped = true), {once: true}); canvas.dispatchEvent(e); },
            {once: true}); document.exitFullscreen()""")
        wait_for(lambda: s.js("!document.fullscreenElement && performance.now() - leftFullScreen > 600"), 30, "still full")
        assert not s.js("window.escaped") and s.js("message.hidden"), "the browser's Escape reached the game"
        focus = s.js("[document.activeElement.id || document.activeElement.tagName, document.hasFocus()]")
        assert focus == ["canvas", True], "the game lost the keyboard: %s" % focus
        s.call("key", how="press", key="Escape")
        wait_for(lambda: not s.js("message.hidden"), 60, "one Escape after full screen did not end the game")
        assert s.message() == "The game has ended." and s.call("errors") == []


def test_browser_keyboard_touch_buttons_and_gamepad_hold_the_keys_that_keys_txt_says():
    with Browser() as s:
        for number, line in enumerate(open(SOURCE + "/tests/browser/keys.txt"), 1):
            step, _, want = line.split("#")[0].partition(" -> ")
            verb, *args = step.split() or [None]
            if verb == "page":
                s.call("goto", init=PAD, **{k: int(v) for k, v in (a.split("=") for a in args)})
                s.plays()
                at = {name.replace(" ", "_"): dict(x=x + w / 2, y=y + h / 2) for name, (x, y, w, h) in s.js(BOXES).items()}
            elif verb == "key":
                s.call("key", how=args[0], key=args[1])
            elif verb == "pad":
                s.js("pad.axes.fill(0); pad.buttons.forEach(b => (b.pressed = 0, b.value = 0))" + "".join("; pad." + a for a in args))
            elif verb == "touch":
                s.call("touch", type=args[0], points=[dict(at[n], id=int(i)) for n, i in (a.split(":") for a in args[1:])])
            if verb not in (None, "page"):
                assert s.keys() == [int(c) for c in want.strip()], "keys.txt:%d: %s, not %s" % (number, s.keys(), want)
        assert s.call("errors") == [], s.call("errors")


def test_browser_phone_pages_fit_their_buttons_and_hint_and_a_tap_within_a_frame_fires():
    with Browser(width=844, height=390, touch=True) as s:  # a phone held sideways
        s.plays()
        boxes = s.js(BOXES)
        x, y, w, h = boxes.pop("picture")
        assert (w, h) == (520, 390) and len(boxes) == 5, (w, h, boxes)  # the whole height, its shape kept
        for name, (bx, by, bw, bh) in boxes.items():  # thumb-sized, in the side margins
            assert bw >= 44 and bh >= 44 and (bx + bw <= x or bx >= x + w), (name, boxes[name])
        # A tap on Fire shorter than a frame (down and up in one turn of the page) still fires for a frame,
        # and the page neither scrolls nor zooms nor selects for it.
        assert s.js("""(() => {
            const b = document.querySelector('[aria-label="Fire"]'), r = b.getBoundingClientRect();
            const t = new Touch({identifier: 9, target: b, clientX: r.x + r.width / 2, clientY: r.y + r.height / 2});
            const kept = ['touchstart', 'touchend'].map(type => b.dispatchEvent(new TouchEvent(type,
                {touches: type === 'touchstart' ? [t] : [], changedTouches: [t], bubbles: true, cancelable: true})));
            return [kept, HEAPU8[_gameKeyState() + 32]]; })()""") == [[False, False], 1]
        assert s.keys() == [0] * 5 and s.call("errors") == [], s.call("errors")
        # Upright and narrow: a phone hints at turning it; nothing scrolls sideways; the line fits the device.
        for phone in (True, False):
            s.call("goto", width=360, height=740, touch=phone)
            shown = s.js("[document.documentElement.scrollWidth, getComputedStyle(hint).display, controls.innerText]")
            assert shown[0] == 360 and (shown[1] != "none") == phone and ("● fire" in shown[2]) == phone, shown
            assert ("Space fire" in shown[2]) != phone, shown


def test_browser_failed_downloads_a_lost_picture_a_file_page_and_no_webgl_each_get_a_sentence_not_a_stall():
    with Browser(broken={"driftrock.data.gz": 404, "driftrock.wasm.gz": "cut"}) as s:
        said = s.message()
        assert "pictures (driftrock.data.gz)" in said and "404" in said and "(driftrock.wasm.gz)" in said, said
        assert "ASSERTIONS" not in said and "RuntimeError" not in said and s.js("!retry.hidden")
        s.server.broken.clear()
        s.call("click", selector="#retry")
        s.plays()
        # A phone takes the graphics back: the page says so and offers a fresh start; the game waits.
        s.js("canvas.getContext('webgl').getExtension('WEBGL_lose_context').loseContext()")
        said, frames = s.message(), s.frames()
        time.sleep(0.3)
        assert "picture was lost" in said and s.js("!again.hidden") and s.frames() == frames, said
        s.call("goto", at="file://" + os.path.join(DATA, "index.html"))
        assert "python3 -m http.server" in s.message()
        s.server.broken["page.js"] = 404  # the page's own script missing: the page says so itself
        s.call("goto")
        assert "(page.js)" in s.message() and s.js("!again.hidden")
        s.server.broken.clear()
        # Browsers that offer less: tests/browser/starts.txt.
        for init, _, then in (line.partition(" -> ") for line in open(SOURCE + "/tests/browser/starts.txt") if line[0] != "#"):
            s.call("goto", init=init)
            if then.strip() == "plays":
                s.plays()
            else:
                assert then.split()[1] in s.message() and s.js("loading.hidden") and s.frames() == 0, (init, s.message())
    # WebGL turned off in the browser (its workers may still have it): the page says so.
    with Browser(switches=["--disable-3d-apis"]) as s:
        assert "WebGL" in s.message() and s.frames() == 0


def test_browser_installs_plays_offline_takes_a_new_build_and_its_failures_and_the_back_cache_hold():
    with Browser() as s, tempfile.TemporaryDirectory(prefix="driftrock-site-") as tmp:
        s.plays()
        # Installable: the browser finds nothing missing (but the test profile's own incognito), and every
        # icon the manifest names is its size.
        errors = s.call("cdp", method="Page.getInstallabilityErrors")["installabilityErrors"]
        assert [e for e in errors if e["errorId"] != "in-incognito"] == [] == s.call("cdp", method="Page.getAppManifest")["errors"], errors
        app = s.js("fetch('driftrock.webmanifest').then(r => r.json())")
        assert (app["display"], app["orientation"], app["categories"], app["start_url"]) == ("fullscreen", "landscape", ["games"], ".")
        for icon in app["icons"] + [{"src": "driftrock-180.png", "sizes": "180x180"}]:
            size = s.js("fetch(%r).then(r => r.blob()).then(createImageBitmap).then(b => b.width + 'x' + b.height)" % icon["src"])
            assert size == icon["sizes"], (icon, size)
        # The back/forward cache keeps the page, which comes back playing.
        s.js("window.kept = 1")
        s.call("visit", at="driftrock.png")
        why = s.call("back")
        assert s.js("window.kept") == 1, why
        s.plays()
        # After one visit the worker holds every file, and a reload plays with the network off.
        wait_for(lambda: s.js("caches.keys().then(k => Promise.all(k.map(n => caches.open(n).then(c => c.keys()))))"
                              ".then(all => all.map(keys => keys.length))") == [8], 60, "the files are not kept")
        s.call("offline", on=True)
        s.call("visit")
        s.plays()
        s.call("offline", on=False)
        # A second build at the same address: the visit that finds it plays the first, and the next the
        # second, whose cache is then the only one.
        first, second = s.js("caches.keys()"), os.path.join(tmp, "site")
        shutil.copytree(DATA, second)
        with open(os.path.join(second, "page.css"), "a") as css:
            css.write("body { --build: 2; }\n")
        make_site = lambda *site: ok(sys.executable, SOURCE + "/packaging/web/make_site.py", SOURCE + "/packaging/web", *site)
        make_site(second)
        s.server.site = second
        build = "getComputedStyle(document.body).getPropertyValue('--build').trim()"
        s.call("visit")
        s.plays()
        assert s.js(build) == ""
        wait_for(lambda: len(set(s.js("caches.keys()")) - set(first)) == 1 == len(s.js("caches.keys()")), 60, "not replaced")
        s.call("visit")
        assert s.js(build) == "2"
        # Published with its address given, the link preview has it (the app's addresses stay relative,
        # so that a copy of the folder elsewhere still installs).
        shutil.copytree(DATA, tmp + "/public")
        make_site(tmp + "/public", "https://driftrock.example/play")
        assert "https:" not in open(tmp + "/public/driftrock.webmanifest").read()
        assert 'content="https://driftrock.example/play/driftrock-preview.png"' in open(tmp + "/public/index.html").read()
        # With the worker in place, a file neither kept (nor in the browser's own cache) nor on the server
        # is still named.
        s.js("caches.keys().then(k => Promise.all(k.map(n => caches.delete(n))))")
        s.call("cdp", method="Network.clearBrowserCache")
        s.server.broken["driftrock.data.gz"] = 404
        s.call("visit")
        assert "(driftrock.data.gz)" in s.message() and s.js("!!navigator.serviceWorker.controller")


def registry(pattern):  # the prefix's registry lines (keys and values) that name PATTERN, as wine saved them
    return [line.strip() for hive in ("system.reg", "user.reg") for line in open(
        os.path.join(os.environ["WINEPREFIX"], hive), errors="replace") if pattern.lower() in line.lower()]


def files(root):
    return {os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs}


def test_windows_zip_holds_the_game_its_pictures_licences_and_manifest():
    licences = {"LICENSE.txt", "README.txt", "SDL-LICENSE.txt"}
    assert files(DATA) == files(SOURCE + "/data") | licences | {"SDL.dll", "driftrock.exe"}, files(DATA)
    assert "(Windows GUI)" in ok("x86_64-w64-mingw32-objdump", "-p", os.path.join(DATA, "driftrock.exe")), "not a GUI program"
    rc = ok("x86_64-w64-mingw32-windres", "-i", os.path.join(DATA, "driftrock.exe"), "-O", "rc")  # its resources
    for text in ('VALUE "ProductName", "Driftrock"', 'VALUE "FileVersion", "%s"' % PACKAGES[0].split("-")[-2]):
        assert text in rc, text
    # The manifest (resource 1 of RT_MANIFEST): no elevation, Windows 7 to 11, DPI aware.
    lines = re.findall(r'^\s*"(.*)"$', rc.split("1 24 /* RT_MANIFEST */")[1].split("\nEND")[0], re.M)
    manifest = ET.fromstring("".join(lines).replace('""', '"').replace("\\n", "\n"))
    found = {e.tag.split("}")[1]: e for e in manifest.iter()}
    assert found["requestedExecutionLevel"].get("level") == "asInvoker", found
    assert [e.get("Id") for e in manifest.iter() if e.tag.endswith("supportedOS")] == [
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]
    assert (found["dpiAware"].text, found["dpiAwareness"].text) == ("true", "PerMonitorV2, PerMonitor"), found
    assert "GNU LESSER" in open(DATA + "/SDL-LICENSE.txt").read() and "apt-get source" in open(DATA + "/README.txt").read()
    print("  sizes: ZIP %d bytes, installer %d bytes" % tuple(os.path.getsize(p) for p in PACKAGES[:2]))


def test_windows_game_from_the_zip_shows_plays_quits_and_restores_the_desktop_once():
    with Session(wine=True) as s:
        assert "Icon (16 x 16)" in s.x("xprop", "-id", s.window, "_NET_WM_ICON"), "no icon"  # the program's own
        assert s.traced() == []
        assert plays(s)[1] == (0, "", ""), s.finish()
        assert s.traced() == ["ChangeDisplaySettingsA(00000000,00000000)"], s.traced()
        # Standard output is the process's own: SDL writes no stdout.txt beside the game.
        assert files(s.data) == files(DATA), files(s.data) ^ files(DATA)


def test_windows_start_up_failure_prints_shows_its_message_and_exits_one():
    with Session(wine=True, env={"SDL_VIDEODRIVER": "nosuchdriver"}) as s:  # its window: the message box
        s.x("xdotool", "mousemove", "--window", s.window, "10", "10", "key", "Return")  # the player reads it: OK
        status, out, err = s.finish()
        message = "Unable to initialize SDL: No available video device\n"
        assert (status, out.replace("\r\n", "\n"), err) == (1, message, ""), (status, out, err)  # text mode: CR LF
        box, = s.traced()
        assert box.startswith("MessageBoxA(00000000,") and '"%s",' % message.replace("\n", "\\n") in box, box
        assert '"Driftrock",00010010)' in box, box  # the game's name as its title, an error icon, OK


def shows_picture(s, picture):
    # The installer's window shows PICTURE (a BMP) in its dark panel at the top left, however the dialog
    # stretched it: their 4 x 8 blocks' mean colours agree (NSIS's own picture is pale blue and white).
    ppm = subprocess.run(["import", "-window", s.window, "-depth", "8", "ppm:-"], env=s.env, capture_output=True).stdout
    w, rgb = int(ppm.split()[1]), ppm.split(b"\n", 3)[3]
    light = lambda x, y: min(rgb[3 * (y * w + x):3 * (y * w + x) + 3] or b"\0") > 200
    width, height = next((x for x in range(w) if light(x, 20)), 0), next((y for y in range(400) if light(4, y)), 0)
    seen, want = blocks(["ppm:-", "-crop", "%dx%d+0+0" % (width, height)], ppm, "4x8"), blocks([picture], None, "4x8")
    return width > 100 and height > 200 and sum(map(lambda a, b: abs(a - b), seen, want)) / len(want) < 16


def installed_game(s, folder):
    # The installed game's window (it is no child of ours): it runs in FOLDER and shows its pictures; Escape
    # ends it. Its status, once it has ended (this process adopts it when its parent ends first).
    s.find_window(["--name", "^Driftrock$"])
    pid, status = int(s.x("xprop", "-id", s.window, "_NET_WM_PID").split("=")[1]), []
    assert os.path.realpath("/proc/%d/cwd" % pid) == os.path.realpath(folder), os.path.realpath("/proc/%d/cwd" % pid)
    s.shows_starfield(folder)
    s.escape()

    def ended():
        with contextlib.suppress(ChildProcessError):  # not ours yet: its parent still runs
            status[:] = os.waitpid(pid, os.WNOHANG)
        return status and status[0] == pid
    wait_for(ended, 60, "Escape did not end the game")
    return os.waitstatus_to_exitcode(status[1])


def test_windows_installer_shows_the_game_plays_it_installs_once_over_any_copy_and_uninstalls_without_a_trace():
    prefix = os.environ["WINEPREFIX"]
    drive, before, side = os.path.join(prefix, "drive_c"), files(prefix + "/drive_c"), SOURCE + "/icons/installer-side.bmp"
    folder, desktop = os.path.join(drive, "Program Files", "Driftrock"), os.path.join(drive, "users", "Public", "Desktop")
    menu = os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Driftrock")

    def listed():  # the game's entries in the installed programs' list, as wine saved them
        return [e.split("\n\n")[0] for e in open(prefix + "/system.reg").read().split("\\\\Uninstall\\\\Driftrock]")[1:]]
    assert not registry("driftrock")
    ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: a game whose installer has ended is ours to wait for
    # As a player installs it: the welcome page shows the game's picture, Return takes every page's
    # default, and the finish page's "Play Driftrock" (ticked) starts the game in its folder.
    with Session(data=None, launch=False, wine=True) as s:
        s.start([WINE, PACKAGES[1]], env=s.env)
        s.find_window(["--name", "^Driftrock Setup$"])
        wait_for(lambda: shows_picture(s, side), 60, "the welcome page lacks the game's picture")
        s.x("xdotool", *["key", "--window", s.window, "Return", "sleep", "1"] * 4)  # welcome, licence, parts, folder
        wait_for(lambda: shows_picture(s, side), 60, "no finish page")
        s.x("xdotool", "key", "--window", s.window, "Return")
        assert installed_game(s, folder) == 0
    stop_wine()
    for value in ('"DisplayIcon"="C:\\\\Program Files\\\\Driftrock\\\\driftrock.exe"', '"Publisher"="The Driftrock developers"',
                  '"DisplayVersion"="1.0.0"', '"EstimatedSize"=dword:0000'):
        assert value in listed()[0], (value, listed())
    # Installed again silently, the same version and then a newer one: one of everything, the newest.
    for installer in PACKAGES[1:]:
        ok(WINE, installer, "/S")
        stop_wine()
    assert files(folder) == files(DATA) | {"Uninstall.exe"}, files(folder) ^ files(DATA)
    assert sorted(os.listdir(menu)) == ["Driftrock.lnk", "Uninstall.lnk"], os.listdir(menu)
    assert os.listdir(desktop) == ["Driftrock.lnk"], os.listdir(desktop)  # the default: a desktop shortcut
    assert len(listed()) == 1 and '"DisplayVersion"="1.0.1"' in listed()[0], listed()
    # The desktop shortcut starts the game in its own folder; the Start menu's names the same.
    words = [re.findall(rb"(?:[\x20-\x7e]\x00){4,}", open(d + "/Driftrock.lnk", "rb").read()) for d in (menu, desktop)]
    assert words[0] == words[1], words
    with Session(data=None, launch=False, wine=True) as s:
        s.start([WINE, "start", "C:\\users\\Public\\Desktop\\Driftrock.lnk"], env=s.env).wait(timeout=60)
        assert installed_game(s, folder) == 0
    ok(WINE, "C:\\Program Files\\Driftrock\\Uninstall.exe", "/S")
    stop_wine()  # the uninstaller runs on as a copy of itself in the temporary folder
    assert not os.path.exists(folder) and not os.path.exists(menu) and not os.listdir(desktop)
    assert not registry("driftrock"), registry("driftrock")
    # All that is left is that copy, which Windows deletes at its next start, as for any NSIS uninstaller.
    left, pending = files(drive) - before, "".join(registry("PendingFileRenameOperations")).replace("\\\\", "\\")
    assert all("C:\\" + f.replace("/", "\\") in pending for f in left), (left, pending)


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # a test stopped from outside still tidies up
    mode = sys.argv[1]
    if mode == "windows":  # every wine program of the run, in the same prefix
        os.environ.update(WINE_ENV)
    if mode == "package":
        BUILD = os.path.abspath(sys.argv[2])
    elif mode == "browser":
        DATA = os.path.abspath(sys.argv[2])
    elif mode == "windows":  # the ZIP unpacked and the installer, from the build's CPack set-up
        BUILD, packed = os.path.abspath(sys.argv[2]), tempfile.TemporaryDirectory(prefix="driftrock-windows-")
        ok("cpack", "-G", "ZIP;NSIS64", "-B", packed.name, "--config", os.path.join(BUILD, "CPackConfig.cmake"))
        PACKAGES = sorted(glob.glob(os.path.join(packed.name, "driftrock-*-win64*.*")), key=lambda p: not p.endswith(".zip"))
        # A newer version's installer, to install over this one.
        ok("cpack", "-G", "NSIS64", "-R", "1.0.1", "-B", packed.name + "/newer", "--config", os.path.join(BUILD, "CPackConfig.cmake"))
        PACKAGES += glob.glob(packed.name + "/newer/*-setup.exe")
        zipfile.ZipFile(PACKAGES[0]).extractall(packed.name)
        DATA, GAME = glob.glob(os.path.join(packed.name, "driftrock-*-win64/"))[0].rstrip("/"), "driftrock.exe"
        ok(WINE, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/d", TRACED, "/f")
        stop_wine()
    else:
        GAME, DATA = os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
        GAME_ENV.update(a.split("=", 1) for a in sys.argv[4:])
    # BINARY_TEST=WORD runs only the tests whose names hold WORD (CTest runs each on its own).
    names = sorted(n for n in globals() if n.startswith("test_%s_" % mode) and os.environ.get("BINARY_TEST", "") in n)
    failed, skipped = [], []
    for name in names:
        try:
            if mode == "play" and GAME_ENV.get("LD_LIBRARY_PATH") and sdl_runtime(GAME_ENV)[0] == (only := sdl_runtime({})[0]):
                raise Skip("the only SDL 1.2 runtime here is %s, which the other tests play" % only)
            globals()[name]()
            print("ok   " + name)
        except Skip as why:  # CTest's skip (77) when nothing else ran; its reason on a line of its own
            print("skipped: %s" % why)
            skipped.append(name)
        except Exception:
            traceback.print_exc()
            print("FAIL " + name)
            failed.append(name)
    print("%d passed, %d skipped, %d failed" % (len(names) - len(failed) - len(skipped), len(skipped), len(failed)))
    sys.exit(1 if failed or not names else 77 if len(skipped) == len(names) else 0)
