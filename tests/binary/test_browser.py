# test_browser.py -- the web page in Debian's chromium, headless, served by a private web server: it plays,
# ends and plays again; its keyboard, touch buttons and gamepad; phones; every failure gets a sentence;
# it installs, plays offline and takes a new build. (Gecko: tests/browser/gecko.mjs; WebKit: the
# bench_web_frames_webkit smoke, which fails where the page never plays.)
import base64
import contextlib
import glob
import gzip
import http.server
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import zipfile

import pytest

from session import SOURCE, Session, config, ok, plays, wait_for


class Site(http.server.SimpleHTTPRequestHandler):
    # The page's folder as Python's plain static server serves it (as the page's docs tell a player to),
    # with the server's `headers` added; a file named in the server's `broken` answers 404, or ("cut")
    # its connection drops after one byte, or ("stall") stays open with nothing more, or ("other") it is
    # another build's, packed.
    def do_GET(self):
        self.directory = self.server.site  # the folder it serves now (a test may serve another)
        how = self.server.broken.get(urllib.parse.urlsplit(self.path).path.lstrip("/"))
        if how in ("cut", "stall", "other"):  # HTTP/1.0: the connection closes with the answer
            body = gzip.compress(b"another build") if how == "other" else b"x"
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)) if how == "other" else "100000")
            self.end_headers()
            self.wfile.write(body)
            return how == "stall" and time.sleep(30)
        return self.send_error(404) if how else super().do_GET()

    def end_headers(self):
        for name, value in self.server.headers.items():
            self.send_header(name, value)
        super().end_headers()


class Nginx:
    # The page's folder served by Debian's nginx at /driftrock/, configured by docs/web.md's sample; as
    # some hosts do, `host` may send the page's own name on to its folder ("redirect"), and send the
    # packed files with Content-Encoding: gzip ("encode"), which the browser then unpacks. Its server
    # block has a header of the site's own (X-Site-Policy), which the folder's answers keep. Started as
    # the test's own user on a free port, all it writes in a folder of the test's. `sent`: the bytes of
    # the answers' bodies.
    HOSTS = {"redirect": ("location /driftrock/ {", 'location /driftrock/ { if ($request_uri ~ "^(.*/)index\\.html") { return 301 $1; }'),
             "encode": ("location ~ \\.gz$ {", "location ~ \\.gz$ { add_header Content-Encoding gzip;")}

    def __init__(self, browser, host):
        self.dir = tempfile.mkdtemp(dir=browser.tmp)
        with socket.create_server(("127.0.0.1", 0)) as probe:
            port = probe.getsockname()[1]
        sample = re.search(r"```nginx\n(.*?)```", open(SOURCE + "/docs/web.md").read(), re.S).group(1)
        for old, new in [("/var/www/driftrock/", browser.site + "/")] + [self.HOSTS[h] for h in host]:
            sample = sample.replace(old, new)
        with open(self.dir + "/nginx.conf", "w") as conf:
            conf.write(open(SOURCE + "/tests/browser/nginx.conf").read() % (port, sample))
        nginx = ["/usr/sbin/nginx", "-p", self.dir, "-c", "nginx.conf", "-e", "stderr"]
        browser.start(nginx, stderr=subprocess.DEVNULL)
        wait_for(lambda: not socket.socket().connect_ex(("127.0.0.1", port)), 30, "no nginx")
        self.url = "http://127.0.0.1:%d/driftrock/" % port

    @property
    def sent(self):
        return sum(map(int, open(self.dir + "/access.log")))


class Browser(Session):
    # The web page in Debian's chromium, headless, through tests/browser/driver.mjs, served from a copy of
    # the page's folder (`site`, where a test may publish another build) by a private web server on
    # 127.0.0.1 (`server`: Python's, or nginx's if `nginx` names its host; Python's is `python` either
    # way). It answers the calls a window's checks make (screenshot, the keys and pointer, escape,
    # finish). `page` sets the page's device (driver.mjs's open(), as "goto" does later). The driver, the
    # browser (in the driver's process group) and the servers stop with it, however it ends.

    def __init__(self, broken=None, switches=(), nginx=None, **page):
        super().__init__(data=None, launch=False)
        self.page, self.window, self.data, self.switches = page, "page", os.path.join(SOURCE, "data"), list(switches)
        self.site = shutil.copytree(config.data, self.tmp + "/site")
        self.server = self.python = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
        self.server.broken, self.server.site, self.server.headers = broken or {}, self.site, {}
        self.server.url, self.nginx = "http://127.0.0.1:%d/" % self.server.server_port, nginx
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def setup(self):  # no display: chromium runs headless
        self.server = self.python if self.nginx is None else Nginx(self, self.nginx)
        home = dict(HOME=self.tmp, XDG_CONFIG_HOME=self.tmp, XDG_CACHE_HOME=self.tmp)  # chromium's settings, caches
        self.driver = self.start(["node", SOURCE + "/tests/browser/driver.mjs", self.server.url] + self.switches, stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, text=True, start_new_session=True, env=dict(os.environ, **home))
        self.call("goto", **self.page)

    def __exit__(self, *exc):
        for driver in (p for p in self.procs if p.stdin):  # closing its input closes the browser; what is left then goes
            driver.stdin.close()
            with contextlib.suppress(subprocess.TimeoutExpired):
                driver.wait(timeout=20)
        self.python.shutdown()
        self.python.server_close()
        super().__exit__()

    def call(self, op, **args):
        self.driver.stdin.write(json.dumps(dict(op=op, **args)) + "\n")
        self.driver.stdin.flush()
        answer = json.loads(self.driver.stdout.readline() or '{"error": "the browser\'s driver ended"}')
        assert "error" not in answer, answer["error"]
        return answer["ok"]

    def js(self, code, top=False):  # `top`: in the page around the frame that shows ours
        return self.call("eval", js=code, top=top)

    def screenshot(self, settled=True):  # the canvas, shown at its own 1024 x 768, as RGB bytes (always settled)
        # The game waits while it is taken, as in a hidden tab: a starved browser takes its pictures
        # slowly, and a game playing on meanwhile would have its first rock reach the ship before a probe.
        self.js("Object.defineProperty(document, 'hidden', {value: true, configurable: true})")
        png = base64.b64decode(self.call("shot"))
        self.js("delete document.hidden")
        shot = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png, capture_output=True, check=True).stdout
        assert len(shot) == 1024 * 768 * 3, len(shot)
        return shot

    def key(self, how, key):  # the page's keyboard and mouse, as the game's window has them
        self.call("key", how=how, key=key)

    def mouse(self, x, y):  # the pointer to (x, y) on the picture
        at = self.js("(r => ({x: r.x + %d, y: r.y + %d}))(canvas.getBoundingClientRect())" % (x, y))
        self.call("cdp", method="Input.dispatchMouseEvent", params=dict(at, type="mouseMoved"))

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
def make_site(site, *url, source=SOURCE + "/packaging/web"):  # SITE (a copy of the page's folder) finished as a build
    ok(sys.executable, SOURCE + "/packaging/web/make_site.py", source, site, *url)


BOXES = """Object.fromEntries([...document.querySelectorAll('#pad button, canvas')].map(e => [e.getAttribute('aria-label')
    || 'picture', (r => [r.x, r.y, r.width, r.height])(e.getBoundingClientRect())]))"""


def test_page_plays_the_game_shows_its_end_and_plays_again():
    zipped, = glob.glob(os.path.join(config.data, "..", "driftrock-*-web.zip"))  # for a portal: index.html at its root
    assert sorted(zipfile.ZipFile(zipped).namelist()) == sorted(os.listdir(config.data)), "the ZIP is not the folder"
    assert "Illinois/NCSA" in open(config.data + "/LICENSE-emscripten.txt").read() and os.path.isfile(config.data + "/LICENSE.txt")
    with Browser(init=PAD, nginx=()) as s:  # a gamepad at rest beside the keyboard; nginx compresses nothing
        s.plays()
        packed = sum(os.path.getsize(f) for f in glob.glob(os.path.join(config.data, "*.gz")))  # each sent whole, and counted
        assert packed <= s.server.sent <= 600000, (packed, s.server.sent)  # a small download, for slow connections
        shot, finished = plays(s)
        assert finished == (0, "", ""), finished
        magenta = sum(1 for i in range(0, len(shot), 3) if shot[i] > 200 and shot[i + 1] < 60 and shot[i + 2] > 200)
        assert magenta == 0, "%d magenta pixels" % magenta
        s.call("key", how="press", key="space", reloads=True)  # Play again has the keyboard, and Space presses it
        s.plays()
        # Brought back from the Full screen button with the keyboard, the picture shows that it has it.
        s.js("fullscreen.focus()")
        s.key("press", "Shift+Tab")
        assert s.js("[document.activeElement.id, getComputedStyle(canvas).outlineStyle]") == ["canvas", "solid"]
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
        s.js("""document.addEventListener('fullscreenchange', () => { window.leftAt = performance.now();
            const e = new KeyboardEvent('keydown', {key: 'Escape',
            code: 'Escape', bubbles: true, cancelable: true}); Object.defineProperty(e, 'keyCode', {get: () => 27});
            canvas.addEventListener('keydown', () => (window.escaped = true), {once: true}); canvas.dispatchEvent(e); },
            {once: true}); document.exitFullscreen()""")
        # The full-screen element is gone a moment before the page hears that full screen has ended.
        wait_for(lambda: s.js("!document.fullscreenElement && window.leftAt > 0 && performance.now() - leftAt > 600"), 30, "still full")
        assert not s.js("window.escaped") and s.js("message.hidden"), "the browser's Escape reached the game"
        focus = s.js("[document.activeElement.id || document.activeElement.tagName, document.hasFocus()]")
        assert focus == ["canvas", True], "the game lost the keyboard: %s" % focus
        s.call("key", how="press", key="Escape")
        wait_for(lambda: not s.js("message.hidden"), 60, "one Escape after full screen did not end the game")
        assert s.message() == "The game has ended." and s.call("errors") == []
        # In and out of full screen over the ended game: the keyboard stays with Play again.
        s.call("click", selector="#fullscreen")
        wait_for(lambda: s.js("!!document.fullscreenElement"), 30, "no full screen")
        s.js("new Promise(out => document.addEventListener('fullscreenchange', out, {once: true}) || document.exitFullscreen())")
        assert s.js("document.activeElement.id") == "again"


# Animation frames at most one in 100 ms, far fewer than the game's steps, each logged as it comes ("A"), and
# the game's clears, a picture each ("C"), and its draws ("D"), with the steps played so far.
PICTURES = """window.log = [];
const next = requestAnimationFrame.bind(window);
requestAnimationFrame = (then) => { const due = performance.now() + 100;
    const wait = (t) => performance.now() < due ? next(wait) : (log.push(['A', Module.frames]), then(t)); return next(wait); };
for (const [name, kind] of [['clear', 'C'], ['drawElements', 'D'], ['drawArrays', 'D']]) {
    const call = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function (...a) { log.push([kind, Module.frames]); return call.apply(this, a); };
}"""


def test_each_animation_frame_gets_one_picture_and_the_steps_between_play_undrawn():
    with Browser(init=PICTURES) as s:
        s.plays()
        start = s.js("log.length = 0, Module.frames")
        time.sleep(3)
        log, steps = s.js("[log.splice(0), Module.frames]")
    clears, frames = [f for kind, f in log if kind == "C"], [f for kind, f in log if kind == "A"]
    # No two pictures without an animation frame between them, the step after each draws one, and a step
    # that draws no picture draws nothing.
    assert "CC" not in "".join(kind for kind, _ in log if kind != "D") and all(f in clears for f in frames if f < steps - 1), log
    assert all(f in clears for kind, f in log if kind == "D"), log
    assert len(clears) >= 5 and steps - start >= 2 * len(clears), (steps - start, len(clears))  # every step played


def test_keyboard_touch_buttons_and_gamepad_hold_the_keys_that_keys_txt_says():
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
            elif verb == "event":
                s.js("%s.dispatchEvent(new Event('%s'))" % tuple(args))
            elif verb == "script":
                s.js(step.split(None, 1)[1])
            elif verb == "touch":
                fingers = [dict(at[n], id=int(i)) for n, i in (a.split(":") for a in args[1:])]  # every finger still down
                s.call("cdp", method="Input.dispatchTouchEvent", params=dict(type=args[0], touchPoints=fingers))
            if verb not in (None, "page"):
                assert s.keys() == [int(c) for c in want.strip()], "keys.txt:%d: %s, not %s" % (number, s.keys(), want)
        assert s.call("errors") == [], s.call("errors")


def test_phone_pages_fit_their_buttons_and_hint_and_a_tap_within_a_frame_fires():
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
        # Upright: the phone hints at turning it; nothing scrolls sideways; the line is the touch screen's.
        s.call("goto", width=360, height=740, touch=True)
        shown = s.js("[document.documentElement.scrollWidth, getComputedStyle(hint).display, controls.innerText]")
        assert shown[0] == 360 and shown[1] != "none" and "● fire" in shown[2] and "Space fire" not in shown[2], shown


def test_failed_downloads_a_lost_picture_a_file_page_and_no_webgl_each_get_a_sentence_not_a_stall():
    with Browser(broken={"driftrock.data.gz": 404, "driftrock.wasm.gz": "cut", "driftrock.js.gz": "stall"}) as s:
        said = s.message()
        assert "pictures (driftrock.data.gz)" in said and "404" in said and "(driftrock.wasm.gz)" in said, said
        assert "script (driftrock.js.gz): the download stalled" in said, said
        assert "ASSERTIONS" not in said and "RuntimeError" not in said and s.js("!retry.hidden")
        s.server.broken.clear()
        s.call("click", selector="#retry")
        s.plays()
        # A phone takes the graphics back: the page says so and offers a fresh start; the game waits.
        s.js("canvas.getContext('webgl').getExtension('WEBGL_lose_context').loseContext()")
        said, frames = s.message(), s.frames()
        time.sleep(0.3)
        assert "picture was lost" in said and s.js("!again.hidden") and s.frames() == frames, said
        s.call("goto", at="file://" + os.path.join(config.data, "index.html"))
        assert "python3 -m http.server" in s.message()
        for fault, _, words in (line.partition(" -> ") for line in open(SOURCE + "/tests/browser/hosts.txt") if line[0] != "#"):
            kind, name, how = fault.split(" ", 2) if fault.startswith("file") else (*fault.split(" ", 1), "")
            s.server.broken, s.server.headers = ({name: int(how) if how.isdigit() else how} if kind == "file" else {}), (
                {"Content-Security-Policy": name} if kind == "policy" else {})
            s.call("goto")  # a browser that lets the game run all the same, though it reports the refusal: it plays
            wait_for(lambda: s.frames() > 10 or not s.js("message.hidden"), 60, "it neither plays nor says why")
            assert (kind == "policy" and s.frames() > 10) or (words.strip() in s.message() and s.frames() == 0), (fault, s.message())
        s.server.broken = s.server.headers = {}
        s.call("goto", scripts=False)  # JavaScript off: a sentence over "Loading"
        assert "has turned off" in s.js("document.body.innerText"), s.js("document.body.innerText")
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


@pytest.mark.parametrize("nginx", [None, ("redirect", "encode")], ids=["python", "nginx"])
def test_installs_plays_offline_takes_a_new_build_and_its_failures_and_the_back_cache_hold(nginx):
    # Python's plain server; nginx sending the page's own name on to its folder and the packed files encoded.
    with Browser(nginx=nginx) as s, tempfile.TemporaryDirectory(prefix="driftrock-site-") as tmp:
        s.plays()
        # The site's own header reaches the page and its scripts, the worker's among them.
        assert not nginx or s.js("Promise.all(['./', 'sw.js', 'page.js'].map(f => fetch(f).then(r => r.headers.get('x-site-policy'))))") == ["kept"] * 3
        # Installable: the browser finds nothing missing (but the test profile's own incognito), and every
        # icon the manifest names is its size.
        errors = s.call("cdp", method="Page.getInstallabilityErrors")["installabilityErrors"]
        assert [e for e in errors if e["errorId"] != "in-incognito"] == [] == s.call("cdp", method="Page.getAppManifest")["errors"], errors
        for icon in s.js("fetch('driftrock.webmanifest').then(r => r.json())")["icons"] + [{"src": "driftrock-180.png", "sizes": "180x180"}]:
            size = s.js("fetch(%r).then(r => r.blob()).then(createImageBitmap).then(b => b.width + 'x' + b.height)" % icon["src"])
            assert size == icon["sizes"], (icon, size)
        # The back/forward cache keeps the page, which comes back playing.
        s.js("window.kept = 1")
        s.call("visit", at="driftrock.png")
        why = s.call("back")
        assert s.js("window.kept") == 1, why
        s.plays()
        # After one visit the worker holds every file, and a reload plays with the network off.
        # (The build's cache alone, known by name before it is opened: opening the hand-over as the worker deletes it makes it again.)
        kept = "caches.keys().then(k => k.length === 1 && !k[0].endsWith(' downloaded') && caches.open(k[0]).then(c => c.keys()).then(f => f.length))"
        wait_for(lambda: s.js(kept) == 12, 60, "the files are not kept: %s" % s.js("caches.keys()"))
        if nginx:  # a repeat visit (nginx counts what it sends): the worker answers, no file comes twice (but the
            # worker and the page, asked whether the folder still holds the game)
            sent = s.server.sent
            s.call("cdp", method="Network.clearBrowserCache")  # what the browser's own cache holds comes again
            s.call("visit")
            s.plays()
            assert s.server.sent - sent < 20000, "files sent again on a repeat visit: %d bytes" % (s.server.sent - sent)
        s.call("offline", on=True)
        s.call("visit")
        s.plays()
        s.call("offline", on=False)
        s.call("visit", at="?b=0123456789abcdef")  # an address that carries another build is still the page
        s.plays()
        # A second build at the same address: the visit that finds it plays the first, and the next the
        # second, whose cache is then the only one.
        first = s.js("caches.keys()")
        with open(s.site + "/page.css", "a") as css:
            css.write("body { --build: 2; }\n")
        make_site(s.site)
        build = "getComputedStyle(document.body).getPropertyValue('--build').trim()"
        s.call("visit")
        s.plays()
        assert s.js(build) == ""
        wait_for(lambda: len(set(s.js("caches.keys()")) - set(first)) == 1 == len(s.js("caches.keys()")), 60, "not replaced")
        # A page of the first build still loading as the second took over gets none of the second's files
        # (neither a script as its index.html names it nor a download), and says so.
        s.js("(d => Object.keys(d.got).forEach((k) => delete d.got[k]) || d.load())(Driftrock.download)")
        assert "arrived while this page loaded: play again" in s.message() and s.js("!again.hidden"), s.message()
        s.js("message.hidden = true; document.body.append(Object.assign(document.createElement('script'), {src: document."
             "querySelector('script[src^=\"page.js\"]').src})); document.body.lastChild.setAttribute('data-page', '')")
        assert "arrived while this page loaded: play again" in s.message(), s.message()  # one of its own scripts refused
        s.call("visit")
        assert s.js(build) == "2"
        # Published with its address given, the link preview has it (the app's addresses stay relative,
        # so that a copy of the folder elsewhere still installs).
        shutil.copytree(config.data, tmp + "/public")
        make_site(tmp + "/public", "https://driftrock.example/play")
        assert "https:" not in open(tmp + "/public/driftrock.webmanifest").read() and \
            'content="https://driftrock.example/play/driftrock-preview.png"' in open(tmp + "/public/index.html").read()
        # With the worker in place, a file neither kept (nor in the browser's own cache) nor on the server
        # is still named.
        s.js("caches.keys().then(k => Promise.all(k.map(n => caches.delete(n))))")
        s.call("cdp", method="Network.clearBrowserCache")
        os.remove(s.site + "/driftrock.data.gz")
        s.call("visit")
        assert "(driftrock.data.gz)" in s.message() and s.js("!!navigator.serviceWorker.controller")


def test_two_copies_on_one_site_and_a_failed_update_each_keep_their_offline_play():
    # Two folders of one site, two builds (the second's worker alone differs: the same files), each
    # visited first by its name without the slash, which the server sends on to the folder.
    with Browser() as s, tempfile.TemporaryDirectory(prefix="driftrock-sites-") as tmp:
        source = shutil.copytree(SOURCE + "/packaging/web", tmp + "/source")
        for copy in ("a", "b"):
            shutil.copytree(config.data, tmp + "/root/" + copy)
        with open(source + "/sw.js", "a") as sw:
            sw.write("// another worker\n")
        make_site(tmp + "/root/b", source=source)
        s.server.site = tmp + "/root"
        # The folders' caches by name first: opening one to count its files would make it again, empty,
        # if its worker were deleting it (the page's hand-over, once kept).
        names, sizes = "caches.keys().then(k => k.map(n => n.split(' ')[1].split('/')[3]))", "caches.keys().then(k => Promise.all(k.map(n => caches.open(n).then(c => c.keys()).then(f => f.length))))"
        for copy, want in (("a", ["a"]), ("b", ["a", "b"])):
            s.call("visit", at=copy)
            s.plays()
            wait_for(lambda: sorted(s.js(names)) == want, 60, "not kept: %s" % s.js(names))
            assert s.js(sizes) == [12] * len(want), s.js(sizes)
        # An update of b whose worker cannot keep a file fails, and b's build kept before plays on.
        before = s.js("caches.keys()")
        with open(source + "/sw.js", "a") as sw:
            sw.write("// a worker that will fail\n")
        make_site(tmp + "/root/b", source=source)
        s.server.broken["b/driftrock.png"] = 404
        s.call("cdp", method="Network.clearBrowserCache")  # the worker must ask the server for it
        s.call("visit", at="b/")
        s.plays()
        registration = "navigator.serviceWorker.getRegistration().then(r => %s)"
        s.js(registration % "r.update().then(() => 0)")
        wait_for(lambda: s.js(registration % "!r.installing"), 60, "the update did not end")
        assert s.js("caches.keys()") == before, s.js("caches.keys()")
        s.call("offline", on=True)
        for copy in ("a/", "b/"):
            s.call("visit", at=copy)
            s.plays()


def test_a_folder_reused_or_a_host_that_changes_a_file_never_keeps_an_old_game():
    with Browser() as s, tempfile.TemporaryDirectory(prefix="driftrock-other-") as other:
        def kept_then(published):  # the game played and kept; then the folder holds what `published` puts there:
            s.call("visit")  # the visit after, the kept page once more, forgets it
            s.plays()
            wait_for(lambda: s.js("navigator.serviceWorker.getRegistration().then(r => !!(r && r.active))"), 60, "no worker")
            published()
            s.call("visit")
            wait_for(lambda: s.js("caches.keys()") == [], 60, "the old game stayed kept")
            s.call("visit")
        # Another project served on the same port (no worker file, a page of its own): the second visit shows it.
        open(other + "/index.html", "w").write("<!doctype html><title>Another project</title><p>Another project")
        kept_then(lambda: setattr(s.server, "site", other))
        assert s.js("document.title") == "Another project" and s.js("caches.keys()") == []
        # A host that adds a tag to the page of a new build: its worker cannot keep it, and the new build plays.
        s.server.site = s.site
        s.call("cdp", method="Network.clearBrowserCache")  # the other project's page, which Python's server lets it keep
        kept_then(lambda: (open(s.site + "/page.css", "a").write("body { --build: 2; }\n"), make_site(s.site),
                           open(s.site + "/index.html", "a").write("<script src='analytics.js'></script>\n")))
        s.plays()
        assert s.js("getComputedStyle(document.body).getPropertyValue('--build').trim()") == "2"


def test_a_portals_frame_of_another_origin_plays_as_it_allows_and_keeps_nothing():
    # The uploaded folder served by nginx, shown in a frame by a portal's long page on Python's server
    # (another port; then another site too), whose search box may take the keyboard. Scrolls come at once.
    with Browser(nginx=(), switches=["--disable-smooth-scrolling"]) as s:
        def portal(host, attributes, src=None, **device):  # the frame's attributes, and the page it shows (nginx's)
            with open(s.site + "/portal.html", "w") as page:
                page.write('<link rel="icon" href="data:,"><body style="margin: 0; height: 3000px"><iframe src="%s" %s style="border: 0;'
                           ' display: block; width: 1024px; height: 800px"></iframe><input id="search">' % (src or s.server.url, attributes))
            s.call("goto", at="http://%s:%d/portal.html" % (host, s.python.server_port), frame=True, **device)
        portal("127.0.0.1", 'allow="fullscreen; gamepad"', init=PAD)
        s.plays()
        s.js("search.focus()", top=True)
        s.key("press", "space")
        s.call("click", selector="canvas")  # the game takes the keyboard, and its keys never scroll the portal
        for key in ("Down", "space"):
            s.key("down", key)
        scrolled = [s.js("scrollY"), *s.js("[scrollY, search.value]", top=True)]
        assert s.keys() == [1, 0, 1, 0, 0] and scrolled == [0, 0, " "], scrolled
        s.js("pad.axes[0] = 1")  # beside the keys still held
        assert s.keys() == [1, 0, 1, 1, 0] and s.js("[fullscreen.hidden, window['pad-line'].hidden]") == [False, False]
        # Nothing kept for offline play in a frame: it cannot be opened offline there.
        assert s.js("Promise.all([caches.keys(), navigator.serviceWorker.getRegistrations()])") == [[], []]
        # A phone, in a frame that allows neither full screen nor pads (the browser refuses to list them),
        # sandboxed without its origin: the host's Access-Control-Allow-Origin lets it read its files.
        portal("localhost", 'allow="gamepad \'none\'" sandbox="allow-scripts"', touch=True)
        s.plays()
        fire = dict(zip("xy", [v + 30 for v in s.js(BOXES)["Fire"][:2]]), id=1)
        s.call("cdp", method="Input.dispatchTouchEvent", params=dict(type="touchStart", touchPoints=[fire]))
        assert s.keys()[0] == 1 and s.js("[fullscreen.hidden, window['pad-line'].hidden]") == [True, True]
        assert s.call("errors") == [], s.call("errors")
        portal("localhost", 'sandbox="allow-scripts"', s.python.url)  # a host without it (Python's): a sentence
        assert "cannot read its own files in this frame" in s.message()
