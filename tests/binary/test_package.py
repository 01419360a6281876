# test_package.py -- the game installed: cmake --install into an awkward prefix, and the Debian
# package installed, played and removed (that half needs root).
import glob
import os
import re
import shutil
import tempfile
import xml.etree.ElementTree as ET

import pytest

from session import SOURCE, Session, config, ok, run

# The version and its date, from their one source: the changelog's newest entry.
VERSION, DAY, MONTH, YEAR = re.search(r"\((.+?)\).*?\n -- .*?, (\d+) (\w+) (\d+) ", open(SOURCE + "/packaging/changelog").read(), re.S).groups()


def plays_installed(launcher, pictures):
    # The launcher from an empty folder: the installed starfield shows, Escape ends it with 0, and a
    # start-up failure comes back through it as 1.
    config.game = launcher  # the installed game under test now
    with Session(data=None) as s:
        s.shows_starfield(pictures)
        s.escape()
        assert s.finish()[0] == 0
    failed = run(launcher, env=dict(os.environ, SDL_VIDEODRIVER="nosuchdriver"), cwd="/")
    assert failed.returncode == 1 and failed.stdout.startswith("Unable to initialize SDL"), failed


def homepage():  # the game's web address as the build was given it, or ""
    found = re.search(r"^DRIFTROCK_HOMEPAGE:STRING=(.*)$", open(os.path.join(config.build, "CMakeCache.txt")).read(), re.M)
    return found.group(1) if found else ""


def test_installs_into_a_prefix_with_a_space():
    with tempfile.TemporaryDirectory(prefix="driftrock-install-") as tmp:
        prefix = os.path.join(tmp, "my games", "usr")
        ok("cmake", "--install", config.build, "--prefix", prefix)
        for path in ["lib/games/driftrock/driftrock", "share/games/driftrock/a1/c7.bmp", "share/man/man6/driftrock.6.gz",
                     "share/doc/driftrock/copyright", "share/doc/driftrock/README"] + \
                ["share/icons/hicolor/%dx%d/apps/driftrock.png" % (n, n) for n in (48, 64, 128)]:
            assert os.path.exists(os.path.join(prefix, path)), path
        assert not ok("desktop-file-validate", os.path.join(prefix, "share/applications/driftrock.desktop")).strip()
        metainfo = os.path.join(prefix, "share/metainfo/org.driftrock.driftrock.metainfo.xml")
        # With no homepage given, AppStream 1.0 (Debian 13) warns that none is named: only its publisher can.
        problems = re.findall(r"^[EW]: \S+ (\S+)", run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo).stdout, re.M)
        assert set(problems) <= (set() if homepage() else {"url-homepage-missing"}), problems
        assert [u.text for u in ET.parse(metainfo).iter("url")] == ([homepage()] if homepage() else []), homepage()
        assert [(r.get("version"), r.get("date")[8:]) for r in ET.parse(metainfo).iter("release")] == [(VERSION, DAY)]
        month, year, version = re.search(r'^\.TH \S+ 6 "(\w+) (\d+)" "Driftrock (\S+)"', ok("zcat", prefix + "/share/man/man6/driftrock.6.gz"), re.M).groups()
        assert month[:3] == MONTH and (year, version) == (YEAR, VERSION), (month, year, version)
        plays_installed(os.path.join(prefix, "games/driftrock"), os.path.join(prefix, "share/games/driftrock"))


def test_for_debian_installs_plays_and_removes_cleanly():
    if os.geteuid() != 0 or not shutil.which("dpkg"):
        pytest.skip("installing a package needs root and dpkg")
    with tempfile.TemporaryDirectory(prefix="driftrock-deb-") as tmp:
        ok("cpack", "-G", "DEB", "-B", tmp, "--config", os.path.join(config.build, "CPackConfig.cmake"))
        deb, = glob.glob(os.path.join(tmp, "driftrock_*_*.deb"))
        assert os.path.basename(deb) == "driftrock_%s_%s.deb" % (VERSION, ok("dpkg", "--print-architecture").strip())
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
