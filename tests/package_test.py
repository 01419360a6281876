#!/usr/bin/env python3
"""package_test.py -- installing the game: `cmake --install` into a prefix with a space in it, and the
Debian package (clean under lintian), installed with dpkg, started as /usr/games/driftrock from an
unrelated folder, quit with Escape, and removed without a trace.
Usage: package_test.py BUILD_DIR. The package half needs root and dpkg; without them it is skipped (77).
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import binary_test

BUILD = os.path.abspath(sys.argv[1])


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, **kw)


def plays_from_an_unrelated_folder(launcher, pictures):
    """The launcher, started from an empty folder: the window shows the installed starfield; Escape ends
    it with status 0; and a start-up failure comes back through it as status 1."""
    binary_test.BINARY, binary_test.DATA = launcher, pictures
    with binary_test.Session(data=None) as s:
        shot = s.screenshot()
        seen = binary_test.blocks(lambda x, y: sum(shot[3 * (y * 1024 + x):3 * (y * 1024 + x) + 3]))
        expected = binary_test.starfield_blocks(os.path.join(pictures, "starfield.bmp"))
        assert binary_test.correlation(seen, expected) > 0.4, "no starfield: the pictures were not found"
        s.escape()
        assert s.finish()[0] == 0
    failed = run(launcher, env=dict(os.environ, SDL_VIDEODRIVER="nosuchdriver"), cwd="/")
    assert failed.returncode == 1 and failed.stdout.startswith("Unable to initialize SDL"), failed


def test_install_into_a_prefix_with_a_space():
    tmp = tempfile.mkdtemp(prefix="driftrock-install-")
    prefix = os.path.join(tmp, "my games", "usr")
    try:
        r = run("cmake", "--install", BUILD, "--prefix", prefix)
        assert r.returncode == 0, r.stderr
        for path in ["games/driftrock", "lib/games/driftrock/driftrock", "share/games/driftrock/a1/c7.bmp",
                     "share/applications/driftrock.desktop", "share/metainfo/driftrock.metainfo.xml",
                     "share/man/man6/driftrock.6.gz", "share/doc/driftrock/copyright",
                     "share/doc/driftrock/README.md"] + \
                ["share/icons/hicolor/%dx%d/apps/driftrock.png" % (n, n) for n in (48, 64, 128)]:
            assert os.path.exists(os.path.join(prefix, path)), path
        r = run("desktop-file-validate", os.path.join(prefix, "share/applications/driftrock.desktop"))
        assert r.returncode == 0 and not r.stdout.strip(), r.stdout
        r = run("appstreamcli", "validate", "--no-net", "--pedantic", os.path.join(prefix, "share/metainfo/driftrock.metainfo.xml"))
        assert r.returncode == 0, r.stdout
        plays_from_an_unrelated_folder(os.path.join(prefix, "games/driftrock"), os.path.join(prefix, "share/games/driftrock"))
    finally:
        shutil.rmtree(tmp)


def test_debian_package_installs_plays_and_removes_cleanly():
    if os.geteuid() != 0 or not shutil.which("dpkg"):
        print("  skipped: installing a package needs root and dpkg")
        return "skip"
    tmp = tempfile.mkdtemp(prefix="driftrock-deb-")
    try:
        r = run("cpack", "-G", "DEB", "-B", tmp, "--config", os.path.join(BUILD, "CPackConfig.cmake"))
        assert r.returncode == 0, r.stdout + r.stderr
        deb, = glob.glob(os.path.join(tmp, "driftrock_*_*.deb"))
        assert os.path.basename(deb) == "driftrock_1.0.0_%s.deb" % run("dpkg", "--print-architecture").stdout.strip()
        fields = run("dpkg-deb", "-f", deb, "Section", "Depends").stdout
        assert "Section: games" in fields and "libsdl1.2debian" in fields and "libsdl1.2-compat" in fields, fields
        # Errors and warnings fail; the one info tag left is binary-has-unneeded-section (.comment),
        # which only dh_strip's extra section removal would take away.
        tags = [t for t in run("lintian", "--pedantic", deb).stdout.splitlines() if t[:2] in ("E:", "W:")]
        assert not tags, tags
        files = [line.split()[-1][1:] for line in run("dpkg-deb", "-c", deb).stdout.splitlines()]
        r = run("dpkg", "-i", deb)
        assert r.returncode == 0, r.stdout + r.stderr
        try:
            plays_from_an_unrelated_folder("/usr/games/driftrock", "/usr/share/games/driftrock")
        finally:
            r = run("dpkg", "-r", "driftrock")
        assert r.returncode == 0, r.stderr
        ours = ["/usr/lib/games/driftrock/", "/usr/share/games/driftrock/", "/usr/share/doc/driftrock/"]
        left = [f for f in files if (not f.endswith("/") or f in ours) and os.path.lexists(f)]
        assert not left, left
        assert "install ok installed" not in run("dpkg-query", "-W", "-f=${Status}", "driftrock").stdout
    finally:
        shutil.rmtree(tmp)


if __name__ == "__main__":
    sys.exit(binary_test.run_tests([(n, f) for n, f in sorted(globals().items()) if n.startswith("test_")]))
