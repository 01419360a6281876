# test_pictures.py -- the pictures themselves: the committed ones are the generator's (art/), the game's
# BMPs byte for byte and the PNGs and icon pixel for pixel as Pillow decodes them (so each is sound);
# the game's have power-of-two sides, 24 bits, and exact magenta only where transparent.
import glob
import os
import struct
import subprocess
import tempfile

from PIL import Image

from session import SOURCE, config


def pictures(path):  # what a file shows, as Pillow decodes it: an icon's every size
    with Image.open(path) as image:
        sizes = sorted(image.ico.sizes()) if path.endswith(".ico") else [None]
        return [(i.size, i.mode, i.tobytes()) for i in (image.ico.getimage(s) if s else image for s in sizes)]


def test_the_committed_pictures_are_the_generators():
    with tempfile.TemporaryDirectory(prefix="driftrock-made-") as made:
        subprocess.run([os.path.join(config.build, "make_images"), made], check=True)
        names = [os.path.relpath(os.path.join(d, f), made) for d, _, fs in os.walk(made) for f in fs]
        same = lambda a, b: open(a, "rb").read() == open(b, "rb").read() if a.endswith(".bmp") else pictures(a) == pictures(b)
        differ = [n for n in names if not same(os.path.join(made, n), os.path.join(SOURCE, n))]
    assert len(names) == 23 and not differ, (names, differ)


def test_sides_are_powers_of_two_and_only_exact_magenta_is_transparent():
    names = sorted(glob.glob(os.path.join(config.data, "**", "*.bmp"), recursive=True))
    assert len(names) == 12, names
    for path in names:
        w, h, _, bits = struct.unpack_from("<iiHH", open(path, "rb").read(30), 18)
        assert bits == 24 and w & (w - 1) == 0 and h & (h - 1) == 0, (path, w, h, bits)
        rgb = list(Image.open(path).getdata())
        keyed = rgb.count((255, 0, 255))
        assert sum(1 for p in rgb if p[0] > 230 and p[1] < 40 and p[2] > 230) == keyed, path + ": pink specks"
        # The starfield is opaque; every other picture has a transparent surround, corners included
        # (nothing cut off at the edge).
        surround = keyed > len(rgb) / 10 and all(rgb[i] == (255, 0, 255) for i in (0, w - 1, -w, -1))
        assert keyed == 0 if path.endswith("starfield.bmp") else surround, path
    # The web app's maskable icon: outside the middle circle that a home screen may keep, only the sky.
    icon = list(Image.open(SOURCE + "/icons/driftrock-maskable-512.png").getdata())
    outside = [icon[i][:2] for i in range(512 * 512) if (i % 512 - 255.5) ** 2 + (i // 512 - 255.5) ** 2 > 205 ** 2]
    assert max(max(rg) for rg in outside) <= 41, "the ship or the rock reaches past the safe zone"
