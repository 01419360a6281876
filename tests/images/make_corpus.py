#!/usr/bin/env python3
"""make_corpus.py -- writes the hostile-image corpus beside itself: BMP files that are broken, odd or
huge-claiming, and MANIFEST, one line per file: its name, then 'fail' (the load must leave the texture
as it was) or 'top R,G,B bottom R,G,B' (the colours a quarter in from the left, a quarter down and a
quarter up, once drawn over white).
The loaders also meet a directory and a dangling symlink of an image's name; tests make those.
Usage: make_corpus.py [DIR]   (default: this script's folder). Deterministic.
"""
import base64
import os
import struct
import sys

RED, BLUE, MAGENTA = (255, 0, 0), (0, 0, 255), (255, 0, 255)


def header(w, h, bits, size, offset=None, compression=0, colours=0, info=40):
    offset = 14 + info + 4 * colours if offset is None else offset
    return (struct.pack("<2sIHHI", b"BM", offset + size, 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", info, w, h, 1, bits, compression, size, 2835, 2835, colours, 0))


def halves(w, h, top_down=False):
    """Rows in file order of a w x h picture: red upper half, blue lower half."""
    rows = [RED if y < h // 2 else BLUE for y in range(h)]
    return rows if top_down else rows[::-1]


def bmp24(w, h, top_down=False):
    stride = (w * 3 + 3) & ~3
    data = b"".join(bytes((c[2], c[1], c[0])) * w + b"\0" * (stride - 3 * w) for c in halves(w, h, top_down))
    return header(w, -h if top_down else h, 24, len(data)) + data


def os2_bmp(w, h):
    """The old OS/2 core header (12 bytes, 16-bit sides), 24-bit."""
    stride = (w * 3 + 3) & ~3
    data = b"".join(bytes((c[2], c[1], c[0])) * w + b"\0" * (stride - 3 * w) for c in halves(w, h))
    return struct.pack("<2sIHHI", b"BM", 26 + len(data), 0, 0, 26) + struct.pack("<IHHHH", 12, w, h, 1, 24) + data


def bmp32(w, h):
    """32-bit with alpha bits set to zero: SDL 1.2 takes the colour and ignores the alpha."""
    data = b"".join(bytes((c[2], c[1], c[0], 0)) * w for c in halves(w, h))
    return header(w, h, 32, len(data)) + data


def bmp16(w, h):
    """16-bit 5-5-5."""
    def px(c):
        return struct.pack("<H", (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | c[2] >> 3)
    stride = (w * 2 + 3) & ~3
    data = b"".join(px(c) * w + b"\0" * (stride - 2 * w) for c in halves(w, h))
    return header(w, h, 16, len(data)) + data


def palette_bmp(w, h, bits):
    """4- or 8-bit, palette [red, blue, magenta]: the halves with a magenta stripe down the middle.
    1-bit, palette [red, magenta]: red above, the key below."""
    colours = 2 if bits == 1 else 3
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in ((RED, MAGENTA) if bits == 1 else (RED, BLUE, MAGENTA)))
    stride = ((w * bits + 31) // 32) * 4
    data = b""
    for c in halves(w, h):
        idx = [0 if c == RED else 1] * w
        if bits > 1:
            for x in range(w // 2 - 1, w // 2 + 1):
                idx[x] = 2
        bitstr = "".join(format(i, "0%db" % bits) for i in idx)
        bitstr += "0" * (stride * 8 - len(bitstr))
        data += bytes(int(bitstr[i:i + 8], 2) for i in range(0, len(bitstr), 8))
    return header(w, h, bits, len(data), colours=colours) + pal + data


def rle8(w, h):
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in (RED, BLUE))
    data = b""
    for c in halves(w, h):
        data += bytes((w, 0 if c == RED else 1, 0, 0))
    data += b"\0\1"
    return header(w, h, 8, len(data), compression=1, colours=2) + pal + data


def corpus():
    good = "top 255,0,0 bottom 0,0,255"
    full = bmp24(16, 16)
    yield "truncated_header.bmp", full[:30], "fail"
    yield "truncated_pixels.bmp", full[:54 + 16 * 48 // 2], "fail"
    yield "zero_width.bmp", header(0, 16, 24, 0), "fail"
    yield "zero_height.bmp", header(16, 0, 24, 0), "fail"
    yield "top_down.bmp", bmp24(16, 16, top_down=True), good
    yield "huge_claim.bmp", header(100000, 100000, 24, 30000000000 % 2**32) + b"\x7f" * 64, "fail"
    yield "huge_claim_tall.bmp", header(16, 2**31 - 1, 24, 0) + b"\x7f" * 64, "fail"
    yield "huge_claim_wide.bmp", header(2**31 - 1, 1, 8, 0, colours=2) + b"\0" * 72, "fail"
    yield "negative_width.bmp", header(-16, 16, 24, 16 * 48) + b"\0" * 768, "fail"
    yield "palette_1bit.bmp", palette_bmp(16, 16, 1), "top 255,0,0 bottom 255,255,255"  # keyed: the backdrop
    yield "palette_4bit.bmp", palette_bmp(16, 16, 4), good
    yield "palette_8bit.bmp", palette_bmp(16, 16, 8), good
    yield "palette_too_many_colours.bmp", header(16, 16, 8, 256, colours=100000) + b"\0" * 1024, "fail"
    yield "rgb_16bit.bmp", bmp16(16, 16), good
    yield "argb_32bit.bmp", bmp32(16, 16), good
    yield "rle8.bmp", rle8(16, 16), "fail"
    yield "odd_size_24x12.bmp", bmp24(24, 12), good
    # Allowed by the loader's size limit: a 768 MB surface for a 100-byte file, freed when the read fails.
    yield "large_claim.bmp", header(16384, 16384, 24, 16384 * 16384 * 3) + b"\x7f" * 46, "fail"
    yield "wrong_magic.bmp", b"MB" + full[2:], "fail"
    yield "empty.bmp", b"", "fail"
    yield "zero_bits.bmp", header(16, 16, 0, 0) + b"\0" * 64, "fail"
    yield "offset_past_end.bmp", header(16, 16, 24, 768, offset=10**9) + full[54:], "fail"
    yield "not_a_bmp.bmp", b"\x89PNG\r\n\x1a\n" + b"\0" * 100, "fail"
    # Found by the fuzzer: SDL loads it as 1 bit per pixel with colour masks and no palette, and its own
    # converter then reads through a null pointer.
    yield "one_bit_no_palette.bmp", base64.b64decode(
        "Qk1+QAAAAAAAfgAAAAAAAAAAEAAAABAAAAABAAFAAAAAAAB+AAAAAAAAAAAQAAAAEAAAAAEAAQAAAAAAQAAAAAAAAEAAAAATCwAAAAAAAAAA"
        "AAAAAPcAPQAAAEAAAAAAAAAA"), "fail"
    # Found by the fuzzer: 255 bits a pixel and sides whose product overflows; SDL accepts the header.
    yield "bits_255_overflow.bmp", base64.b64decode(
        "Qk02AwAAAQAAAAAAAAAAAAAAADYAAAAn//////8AAAAAAAAAADYAAAAn//////8AAAAAAAAAAAAA"), "fail"
    yield "os2_core_header.bmp", os2_bmp(16, 16), good


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    lines = []
    for name, data, expect in corpus():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        lines.append("%s %s" % (name, expect))
    with open(os.path.join(out, "MANIFEST"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
