#!/usr/bin/env python3
# same_pictures.py -- the committed pictures are the generator's: every file of MADE is in ROOT with
# the same pixels, as Pillow decodes them (a PNG or icon that Pillow cannot read fails), and the BMPs the
# game reads are the same bytes. Usage: same_pictures.py MADE ROOT
import os
import sys

from PIL import Image


def frames(path):  # each picture a file holds (an icon holds one for each size), as (size, mode, pixels)
    with Image.open(path) as image:
        sizes = sorted(image.ico.sizes()) if path.endswith(".ico") else [image.size]
        return [(s, image.mode, image.ico.getimage(s).convert("RGBA").tobytes() if path.endswith(".ico")
                 else image.tobytes()) for s in sizes]


made, root = sys.argv[1:]
names = sorted(os.path.relpath(os.path.join(d, f), made) for d, _, fs in os.walk(made) for f in fs)
differ = [n for n in names if (open(os.path.join(made, n), "rb").read() != open(os.path.join(root, n), "rb").read()
                               if n.endswith(".bmp") else frames(os.path.join(made, n)) != frames(os.path.join(root, n)))]
print("%d pictures, %d differ: %s" % (len(names), len(differ), differ))
sys.exit(1 if differ or not names else 0)
