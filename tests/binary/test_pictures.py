# test_pictures.py -- the game's pictures themselves: sizes, format and exact transparency.
import glob
import os
import struct
import subprocess

from session import SOURCE, config


def test_sides_are_powers_of_two_and_only_exact_magenta_is_transparent():
    names = sorted(glob.glob(os.path.join(config.data, "**", "*.bmp"), recursive=True))
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
