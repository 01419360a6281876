#!/usr/bin/env python3
"""make_images.py -- draws every picture the game reads (24-bit BMPs, magenta where transparent).

Usage: make_images.py [OUTPUT_DIR]   (default: the repository's data/)
Deterministic: fixed seeds and integer-rounded output, so the committed files are exactly its output.
Pure standard library. Sprites are drawn supersampled; a pixel is opaque where the shape covers at
least half of it and exact magenta elsewhere, and no opaque pixel comes near magenta.
"""
import math
import os
import random
import struct
import sys

KEY = (255, 0, 255)


class Image:
    def __init__(self, w, h, fill=KEY):
        self.w, self.h = w, h
        self.px = [fill] * (w * h)

    def set(self, x, y, rgb):
        self.px[y * self.w + x] = rgb

    def get(self, x, y):
        return self.px[y * self.w + x]


def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)


def colour(r, g, b):
    """Rounded to bytes and kept well away from the transparent key."""
    c = (clamp8(r), clamp8(g), clamp8(b))
    if c[0] > 200 and c[2] > 200 and c[1] < 60:
        c = (c[0], 60, c[2])
    return c


def write_bmp(path, img):
    """Uncompressed bottom-up 24-bit BMP, rows padded to 4 bytes."""
    row = (img.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        line = bytearray()
        for x in range(img.w):
            r, g, b = img.get(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


class Noise:
    """Smooth value noise on a wrapping integer lattice."""

    def __init__(self, seed, period):
        rnd = random.Random(seed)
        self.period = period
        self.v = [rnd.random() for _ in range(period * period)]

    def at(self, x, y):
        p = self.period
        x0, y0 = int(math.floor(x)), int(math.floor(y))
        fx, fy = x - x0, y - y0
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        v = self.v
        a = v[(y0 % p) * p + x0 % p]
        b = v[(y0 % p) * p + (x0 + 1) % p]
        c = v[((y0 + 1) % p) * p + x0 % p]
        d = v[((y0 + 1) % p) * p + (x0 + 1) % p]
        return lerp(lerp(a, b, fx), lerp(c, d, fx), fy)

    def fbm(self, x, y, octaves):
        total, amp, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += amp * self.at(x, y)
            norm += amp
            x, y, amp = x * 2, y * 2, amp * 0.5
        return total / norm


def render_sprite(w, h, shade, samples=4):
    """shade(u, v) -> (r, g, b) or None, with u, v in 0 ... 1 across the image (v down).
    A pixel is opaque where at least half its sub-samples hit; its colour is their mean."""
    img = Image(w, h)
    n = samples * samples
    for y in range(h):
        for x in range(w):
            acc, hits = [0.0, 0.0, 0.0], 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shade((x + (sx + 0.5) / samples) / w, (y + (sy + 0.5) / samples) / h)
                    if c is not None:
                        hits += 1
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
            if hits * 2 >= n:
                img.set(x, y, colour(acc[0] / hits, acc[1] / hits, acc[2] / hits))
    return img


def starfield(size=1024):
    rnd = random.Random(1987)
    neb = Noise(11, 8)
    neb2 = Noise(12, 8)
    fl = [[0.0, 0.0, 0.0] for _ in range(size * size)]
    for y in range(size):
        for x in range(size):
            u, v = x / size * 8, y / size * 8
            n = neb.fbm(u, v, 4)
            m = neb2.fbm(u + 3.1, v + 1.7, 3)
            t = max(0.0, n - 0.52) * 2.2
            q = max(0.0, m - 0.55) * 1.8
            base = (4 + 5 * (y / size), 5 + 4 * (y / size), 14 + 8 * (y / size))
            p = fl[y * size + x]
            p[0] = base[0] + 70 * t * t + 20 * q
            p[1] = base[1] + 22 * t * t + 35 * q * q
            p[2] = base[2] + 80 * t + 55 * q
    tints = [(255, 255, 255), (200, 220, 255), (255, 240, 210), (255, 215, 180), (180, 200, 255)]

    def star(cx, cy, radius, bright, tint):
        r = int(radius * 3) + 2
        for y in range(int(cy) - r, int(cy) + r + 1):
            for x in range(int(cx) - r, int(cx) + r + 1):
                d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                a = bright * math.exp(-d2 / (2 * radius * radius))
                if a < 0.01:
                    continue
                p = fl[(y % size) * size + x % size]
                for i in range(3):
                    p[i] += a * tint[i]

    for _ in range(1400):
        star(rnd.random() * size, rnd.random() * size, 0.45 + rnd.random() * 0.2,
             0.25 + rnd.random() * 0.5, rnd.choice(tints))
    for _ in range(160):
        star(rnd.random() * size, rnd.random() * size, 0.8 + rnd.random() * 0.4,
             0.6 + rnd.random() * 0.4, rnd.choice(tints))
    for _ in range(14):
        cx, cy = rnd.random() * size, rnd.random() * size
        tint = rnd.choice(tints)
        star(cx, cy, 1.3, 1.0, tint)
        star(cx, cy, 4.0, 0.12, tint)
    img = Image(size, size)
    img.px = [colour(*p) for p in fl]
    return img


def ship(size=128):
    """A swept delta, nose up, with a canopy and twin engine glows at the tail."""
    def inside(pts, u, v):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c

    hull = [(0.5, 0.04), (0.62, 0.42), (0.94, 0.86), (0.66, 0.8), (0.58, 0.92),
            (0.42, 0.92), (0.34, 0.8), (0.06, 0.86), (0.38, 0.42)]

    def shade(u, v):
        if not inside(hull, u, v):
            return None
        side = abs(u - 0.5)
        light = 0.75 + 0.5 * (0.5 - u) - 0.25 * v
        if (u - 0.5) ** 2 / 0.004 + (v - 0.4) ** 2 / 0.02 < 1:  # canopy
            g = 1 - ((u - 0.47) ** 2 + (v - 0.34) ** 2) * 60
            return (40 + 120 * max(g, 0), 150 + 90 * max(g, 0), 230)
        if v > 0.84 and side < 0.07:  # engine glow
            return (255, 170, 60)
        stripe = 0.5 < v < 0.56 and side < 0.25
        base = (70, 165, 230) if stripe else (190, 200, 215)
        edge = 1.0 if side < 0.36 else 0.8
        return tuple(c * light * edge for c in base)

    return render_sprite(size, size, shade)


def ball(size=32):
    def shade(u, v):
        d = math.hypot(u - 0.5, v - 0.5) * 2
        if d > 0.92:
            return None
        t = d / 0.92
        if t < 0.25:
            return mix((255, 255, 235), (255, 230, 120), t / 0.25)
        if t < 0.6:
            return mix((255, 230, 120), (255, 130, 30), (t - 0.25) / 0.35)
        return mix((255, 130, 30), (150, 40, 10), (t - 0.6) / 0.4)

    return render_sprite(size, size, shade)


def bullet(w=8, h=32):
    def shade(u, v):
        half = 0.42 * (1 - abs(v - 0.5) * 1.7) ** 0.5 if abs(v - 0.5) < 0.49 else -1
        d = abs(u - 0.5)
        if d > half:
            return None
        t = d / max(half, 1e-6)
        return mix((235, 255, 235), (40, 200, 70), t)

    return render_sprite(w, h, shade)


def asteroid(size=128):
    rnd = random.Random(424242)
    bumps = [(rnd.uniform(0.008, 0.025), rnd.randint(3, 11), rnd.uniform(0, 2 * math.pi)) for _ in range(5)]
    craters = [(rnd.uniform(0.3, 0.7), rnd.uniform(0.3, 0.7), rnd.uniform(0.04, 0.1)) for _ in range(7)]
    tex = Noise(77, 16)

    def radius(a):
        return 0.42 + sum(amp * math.sin(k * a + ph) for amp, k, ph in bumps)

    def height(u, v):
        h = tex.fbm(u * 6, v * 6, 4) * 0.6
        for cx, cy, cr in craters:
            d = math.hypot(u - cx, v - cy) / cr
            if d < 1:
                h -= 0.5 * (1 - d * d)
            elif d < 1.3:
                h += 0.25 * (1.3 - d) / 0.3
        return h

    def shade(u, v):
        dx, dy = u - 0.5, v - 0.5
        d = math.hypot(dx, dy)
        r = radius(math.atan2(dy, dx))
        if d > r:
            return None
        # A sphere lit from the upper left, roughened by the height field's slope.
        z = math.sqrt(max(0.0, 1 - (d / r) ** 2))
        e = 0.004
        gx = (height(u + e, v) - height(u - e, v)) / (2 * e) * 0.02
        gy = (height(u, v + e) - height(u, v - e)) / (2 * e) * 0.02
        nx, ny, nz = dx / r - gx, dy / r - gy, z
        n = math.sqrt(nx * nx + ny * ny + nz * nz) or 1
        lx, ly, lz = -0.5, -0.6, 0.62
        lam = max(0.0, (nx * lx + ny * ly + nz * lz) / n)
        k = 0.18 + 0.9 * lam
        grain = 0.85 + 0.3 * tex.at(u * 40, v * 40)
        return (150 * k * grain, 128 * k * grain, 105 * k * grain)

    return render_sprite(size, size, shade, samples=3)


def cursor_frame(i, frames=7, size=64):
    """A sighting reticle whose top is an arrowhead; a light chases round the ring."""
    phase = i / frames * 2 * math.pi

    def shade(u, v):
        x, y = u - 0.5, v - 0.5
        d = math.hypot(x, y)
        # Arrowhead at the top: the end that faces the ship.
        if -0.48 < y < -0.22 and abs(x) < (y + 0.48) * 0.55:
            return (255, 250, 200)
        a = math.atan2(x, -y)  # 0 at the top, clockwise
        if 0.27 < d < 0.35:
            gap = min(abs((a - k * math.pi / 2 + math.pi) % (2 * math.pi) - math.pi) for k in range(4))
            if gap < 0.2:
                return None
            glow = 0.5 + 0.5 * math.cos(a - phase)
            return mix((40, 130, 90), (190, 255, 120), glow ** 3)
        if d < 0.07:
            return mix((255, 255, 220), (120, 230, 110), d / 0.07)
        return None

    return render_sprite(size, size, shade)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    os.makedirs(os.path.join(out, "a1"), exist_ok=True)
    write_bmp(os.path.join(out, "starfield.bmp"), starfield())
    write_bmp(os.path.join(out, "aimage.bmp"), ship())
    write_bmp(os.path.join(out, "ball2.bmp"), ball())
    write_bmp(os.path.join(out, "green.bmp"), bullet())
    write_bmp(os.path.join(out, "asteroid.bmp"), asteroid())
    for i in range(7):
        write_bmp(os.path.join(out, "a1", "c%d.bmp" % (i + 1)), cursor_frame(i))


if __name__ == "__main__":
    main()
