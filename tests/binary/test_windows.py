# test_windows.py -- the Windows packages under wine, in the private prefix that CTest names in WINEPREFIX:
# the ZIP's contents, the game from it, its start-up failure, and the installer and uninstaller as a
# player meets them.
import contextlib
import ctypes
import glob
import os
import re
import subprocess
import tempfile
import xml.etree.ElementTree as ET
import zipfile

import pytest

from pad import Pad
from session import SOURCE, Session, blocks, config, ok, pad_keys, plays, wait_for
from wine import ENV as WINE_ENV, WINE, stop as stop_wine

# The calls the game makes to the desktop, traced by wine's relay (the prefix's registry limits it to them).
TRACED = "user32.ChangeDisplaySettingsA;user32.MessageBoxA"
PACKAGES, NEWER = [], []  # the ZIP, the installer and a newer version's installer; that version


@pytest.fixture(scope="module", autouse=True)
def packed():
    # The ZIP unpacked and the installers, from the build's CPack set-up; every wine program of the run
    # in the same prefix.
    os.environ.update(WINE_ENV)
    with tempfile.TemporaryDirectory(prefix="driftrock-windows-") as tmp:
        cpack = os.path.join(config.build, "CPackConfig.cmake")
        ok("cpack", "-G", "ZIP;NSIS64", "-B", tmp, "--config", cpack)
        PACKAGES[:] = sorted(glob.glob(os.path.join(tmp, "driftrock-*-win64*.*")), key=lambda p: not p.endswith(".zip"))
        # A newer version's installer (the next patch of the project's), to install over this one.
        version = re.search(r"CMAKE_PROJECT_VERSION:STATIC=(\d+\.\d+)\.(\d+)", open(config.build + "/CMakeCache.txt").read())
        NEWER[:] = ["%s.%d" % (version.group(1), int(version.group(2)) + 1)]
        ok("cpack", "-G", "NSIS64", "-R", NEWER[0], "-B", tmp + "/newer", "--config", cpack)
        PACKAGES.extend(glob.glob(tmp + "/newer/*-setup.exe"))
        zipfile.ZipFile(PACKAGES[0]).extractall(tmp)
        config.data, config.game = glob.glob(os.path.join(tmp, "driftrock-*-win64/"))[0].rstrip("/"), "driftrock.exe"
        ok(WINE, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/d", TRACED, "/f")
        stop_wine()
        yield


def registry(pattern):  # the prefix's registry lines (keys and values) that name PATTERN, as wine saved them
    return [line.strip() for hive in ("system.reg", "user.reg") for line in open(
        os.path.join(os.environ["WINEPREFIX"], hive), errors="replace") if pattern.lower() in line.lower()]


def files(root):
    return {os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs}


def test_zip_holds_the_game_its_pictures_licences_and_manifest():
    licences = {"LICENSE.txt", "README.txt", "SDL-LICENSE.txt"}
    assert files(config.data) == files(SOURCE + "/data") | licences | {"SDL.dll", "driftrock.exe"}, files(config.data)
    assert "(Windows GUI)" in ok("x86_64-w64-mingw32-objdump", "-p", os.path.join(config.data, "driftrock.exe")), "not a GUI program"
    rc = ok("x86_64-w64-mingw32-windres", "-i", os.path.join(config.data, "driftrock.exe"), "-O", "rc")  # its resources
    # Its manifest (resource 1 of RT_MANIFEST), well formed: no elevation, DPI aware.
    lines = re.findall(r'^\s*"(.*)"$', rc.split("1 24 /* RT_MANIFEST */")[1].split("\nEND")[0], re.M)
    found = {e.tag.split("}")[1]: e for e in ET.fromstring("".join(lines).replace('""', '"').replace("\\n", "\n")).iter()}
    assert (found["requestedExecutionLevel"].get("level"), found["dpiAware"].text) == ("asInvoker", "true"), found
    # The licences, and the README in CR LF lines (Notepad's).
    readme, licence = (open(config.data + name, "rb").read() for name in ("/README.txt", "/SDL-LICENSE.txt"))
    assert b"GNU LESSER" in licence and b"apt-get source" in readme and b"\n" not in readme.replace(b"\r\n", b""), readme[:200]
    print("  sizes: ZIP %d bytes, installer %d bytes" % tuple(os.path.getsize(p) for p in PACKAGES[:2]))


def test_game_from_the_zip_shows_plays_quits_and_restores_the_desktop_once():
    with Session(wine=True, screen="1920x1080") as s:
        assert "Icon (16 x 16)" in s.x("xprop", "-id", s.window, "_NET_WM_ICON"), "no icon"  # the program's own
        assert s.traced() == []
        # Full screen (Alt+Enter) and back (F11): each a new OpenGL context, where every picture shows again.
        for key, picture in [("alt+Return", (240, 0, 1440, 1080)), ("F11", None)]:
            s.mouse(512, 384)
            s.key("press", key)
            s.picture = picture
            s.shows_starfield()
        assert plays(s)[1] == (0, "", ""), s.finish()
        # SDL's mode for full screen and its restore, then the game's own at shut-down.
        assert len(s.traced()) == 3 and s.traced()[1:] == ["ChangeDisplaySettingsA(00000000,00000000)"] * 2, s.traced()
        # Standard output is the process's own: SDL writes no stdout.txt beside the game.
        assert files(s.data) == files(config.data), files(s.data) ^ files(config.data)


def test_a_pad_plays_the_game_from_the_zip():
    # Wine's own device service reads the machine's pads through SDL2, which takes the test's pad as it
    # does on Linux (harness/pad.py); the game reads it through Windows' joystick interface.
    with Pad() as pad, Session(wine=True, env=pad.plug().env) as s:
        assert plays(s, pad_keys(pad))[1] == (0, "", ""), s.finish()


def test_start_up_failure_prints_shows_its_message_and_exits_one():
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


def test_installer_shows_the_game_plays_it_installs_once_over_any_copy_and_uninstalls_without_a_trace():
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
    assert '"DisplayIcon"="C:\\\\Program Files\\\\Driftrock\\\\driftrock.exe"' in listed()[0], listed()  # its icon in the list
    # Installed again silently, the same version and then a newer one: one of everything, the newest.
    for installer in PACKAGES[1:]:
        ok(WINE, installer, "/S")
        stop_wine()
    assert files(folder) == files(config.data) | {"Uninstall.exe"}, files(folder) ^ files(config.data)
    assert sorted(os.listdir(menu)) == ["Driftrock.lnk", "Uninstall.lnk"], os.listdir(menu)
    assert os.listdir(desktop) == ["Driftrock.lnk"], os.listdir(desktop)  # the default: a desktop shortcut
    assert len(listed()) == 1 and '"DisplayVersion"="%s"' % NEWER[0] in listed()[0], listed()
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
