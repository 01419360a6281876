# test_x11.py -- the real game on a private X server: its window shows the starfield, the keys and mouse
# play, Escape and the close button quit, a lost display ends it, and start-up failures say why.
import ctypes
import os
import shlex
import subprocess
import time

from session import SOURCE, Session, config, plays, run, wait_for


def test_window_shows_the_starfield_keys_and_mouse_play_and_escape_quits():
    with Session() as s:
        # The desktop file names the window's class, which a dock matches to the menu's entry.
        assert "\nStartupWMClass=%s\n" % s.x("xprop", "-id", s.window, "WM_CLASS").split('"')[3] in open(SOURCE + "/packaging/driftrock.desktop").read()
        assert plays(s)[1] == (0, "", ""), s.finish()


def test_the_close_button_quits_and_without_pictures_it_prints_nothing():
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


def test_losing_the_display_ends_the_game_with_status_one():
    with Session() as s:
        status, took = s.ends_with(s.xvfb)
        print("  gone %.2f s after its X server" % took)
        assert status == 1, s.finish()


def test_start_up_failures_print_their_message_and_exit_one():
    for driver, message in [("nosuchdriver", "Unable to initialize SDL: "), ("dummy", "Unable to set video mode: ")]:
        r = run(config.game, env=dict(os.environ, SDL_VIDEODRIVER=driver, **config.env))
        # A driver chosen on purpose is tried as asked: the reason is SDL's own.
        assert r.returncode == 1 and r.stdout.startswith(message) and r.stdout.endswith("\n"), r
        assert "no display" not in r.stdout, r
    # No display at all, as over SSH: the message is still on the terminal once the game has ended.
    tmux = ["tmux", "-L", "driftrock-%d" % os.getpid()]
    env = " ".join(shlex.quote("%s=%s" % kv) for kv in config.env.items())
    subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "20", "env -u DISPLAY -u WAYLAND_DISPLAY "
                           "-u SDL_VIDEODRIVER %s %s; echo status $?; sleep 60" % (env, shlex.quote(config.game))], check=True)
    try:
        pane, start = [], time.time()
        wait_for(lambda: pane.append(run(*tmux, "capture-pane", "-p").stdout) or "status" in pane[-1], 60, "it hangs")
        print("  no display: ended in %.1f s" % (time.time() - start))
        assert "Unable to set video mode: no display to show the window on" in pane[-1] and "status 1" in pane[-1], pane[-1]
    finally:
        run(*tmux, "kill-server")


def test_f11_and_alt_enter_fill_the_screen_with_the_whole_picture_and_give_the_window_back():
    # A 1920 x 1080 screen: the picture at 1440 x 1080 between black bars of 240, where the game plays
    # (the pointer on the screen puts the cursor under it); F11 again gives the window back where it was;
    # Alt+Enter, full screen again, and Escape there ends the game with 0.
    with Session(screen="1920x1080") as s:
        s.shows_starfield()  # the game plays, and hears the keys
        # The window's place and size (the compatibility library makes a new window at each switch).
        place = lambda: s.find_window(s.search, s.game) or s.x("xdotool", "getwindowgeometry", s.window, check=False).split("\n")[1:]  # noqa
        window = place()
        for key, full in [("F11", True), ("F11", False), ("alt+Return", True)]:
            s.mouse(512, 384)
            s.key("press", key)
            s.picture = (240, 0, 1440, 1080) if full else None
            if not full:
                wait_for(lambda: place() == window, 30, "the window is not where it was: %s" % place())
            s.shows_starfield()
        shot = s.screenshot(whole=True)  # its rows, 5760 bytes each: black bars of 720 at each end
        assert not any(any(shot[r:r + 720] + shot[r + 5040:r + 5760]) for r in range(0, len(shot), 5760)), "the bars are not black"
        assert plays(s)[1] == (0, "", ""), s.finish()
