#!/usr/bin/env python3
"""Writes the hostile glyph files of bench/hostile_glyphs.sh into a folder.

Usage: bench/hostile_cases.py FOLDER   (from the repository root)

Each file is one kind of glyph file that once cost the game far more time or memory than a
glyph is worth, or that it read silently wrong:
  clear-16m.gif     16 MB GIF whose image data is nothing but LZW clear codes
  clear-64k.gif     the same in 64 KB
  clear-glyph.gif   the glyph of 'A' (30 x 48, two colours) behind 1 MB of clear codes
  big-screen.gif    35 bytes: a 1024 x 1024 screen holding one 1 x 1 frame
  oversized.bmp     a valid all-white 1024 x 1024 picture, far larger than a cell
  huge-frame.gif    a 30 x 48 screen whose first frame claims 16000 x 16000
  no-scan.jpg       a JPEG with all its headers and no scan data
  truncated.bmp     the glyph of 'A' cut in half
  progressive.jpg   a progressive 1024 x 1024 JPEG of noise, just under 1 MB: decoded whole
  interlaced.gif    an interlaced 1024 x 1024 GIF of noise in 256 colours: decoded whole
The last two are made by ImageMagick (/usr/bin/convert) with a fixed seed.
"""
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")

TWO_COLOURS = b"\0\0\0\xFF\xFF\xFF"


def gif(screen, frame, min_code, data, colours=TWO_COLOURS):
    """A GIF89a with a 2-entry global colour table and one frame of the given LZW data."""
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], 0x80, 0, 0) + colours +
            b"\x2C" + struct.pack("<HHHHB", 0, 0, frame[0], frame[1], 0) + bytes((min_code,)) +
            blocks + b"\0;")


class Bits:
    """LZW codes packed least significant bit first."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def put(self, code, width):
        self.acc |= code << self.count
        self.count += width
        while self.count >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.count -= 8

    def bytes(self):
        return bytes(self.out) + (bytes((self.acc,)) if self.count else b"")


def lzw(pixels, min_code):
    """Plain LZW as GIF uses it: a clear code first, the end code last."""
    clear, end = 1 << min_code, (1 << min_code) + 1
    bits = Bits()
    width, table = min_code + 1, {}
    next_code = end + 1
    bits.put(clear, width)
    current = bytes((pixels[0],))
    for p in pixels[1:]:
        longer = current + bytes((p,))
        if longer in table:
            current = longer
            continue
        bits.put(table[current] if len(current) > 1 else current[0], width)
        if next_code < 4096:
            table[longer] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        current = bytes((p,))
    bits.put(table[current] if len(current) > 1 else current[0], width)
    bits.put(end, width)
    return bits.bytes()


def glyph_pixels():
    """The glyph of 'A' in two colours, rows top to bottom: 0 (black) for its dark dots, 1
    (white) for the lighter rest, read as the fuzzer's corpus reads it (a 4-bit palette BMP)."""
    sys.path.insert(0, os.path.join(ROOT, "fuzz"))
    from make_corpus import read_glyph
    rows = read_glyph()
    dark = min((colour for row in rows for colour in row), key=sum)
    pixels = bytes(0 if colour == dark else 1 for row in rows for colour in row)
    return len(rows[0]), len(rows), pixels


def cases(small=False):
    """The hostile files by name; small: each under 16 KB, for the fuzzer's corpus."""
    out = {}
    # Minimum code size 0: the clear code is 1, one bit wide, so every bit of FF is a clear.
    if not small:
        clear = gif((1024, 1024), (1024, 1024), 0, b"\xFF" * (65535 * 255))
        assert len(clear) < 16 << 20  # just under the old file size bound
        out["clear-16m.gif"] = clear
    out["clear-64k.gif" if not small else "clear-codes.gif"] = gif(
        (1024, 1024), (1024, 1024), 0, b"\xFF" * ((256 if not small else 40) * 255))

    # Minimum code size 2: clear codes are 3 bits (4 = 001 001 ...), eight of them per 3 bytes.
    width, height, pixels = glyph_pixels()
    eight = Bits()
    for _ in range(8):
        eight.put(4, 3)
    out["clear-glyph.gif"] = gif((width, height), (width, height), 2,
                                 eight.bytes() * ((1 << (20 if not small else 12)) // 3) +
                                 lzw(pixels, 2))

    out["big-screen.gif"] = gif((1024, 1024), (1, 1), 2, b"\x44\x01")

    side = (1024, 1024) if not small else (200, 100)
    row = b"\xFF" * ((side[0] + 31) // 32 * 4)
    info = struct.pack("<IiiHHIIiiII", 40, side[0], side[1], 1, 1, 0, len(row) * side[1], 2835,
                       2835, 2, 0)
    offset = 14 + len(info) + 8
    out["oversized.bmp"] = (b"BM" + struct.pack("<IHHI", offset + len(row) * side[1], 0, 0, offset) +
                            info + b"\0\0\0\0\xFF\xFF\xFF\0" + row * side[1])

    out["huge-frame.gif"] = gif((30, 48), (16000, 16000), 2, b"\x44\x01" * 64)

    baseline = open(os.path.join(CORPUS, "baseline.jpg"), "rb").read()
    sos = baseline.find(b"\xFF\xDA")
    length, = struct.unpack_from(">H", baseline, sos + 2)
    out["no-scan.jpg"] = baseline[:sos + 2 + length]

    if not small:
        full = open(os.path.join(CORPUS, "bmp24.bmp"), "rb").read()
        out["truncated.bmp"] = full[:len(full) // 2]
    return out


# Legitimate pictures that only cost time: nothing but their size is wrong for a glyph.
NOISE = ["-seed", "1", "-size", "1024x1024", "plasma:", "-attenuate", "0.75", "+noise",
         "Gaussian"]
COSTLY = {
    "progressive.jpg": NOISE + ["-interlace", "Plane", "-quality", "93"],
    "interlaced.gif": NOISE + ["-interlace", "GIF"],
}


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in cases().items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    for name, options in COSTLY.items():
        path = os.path.join(folder, name)
        subprocess.run(["/usr/bin/convert"] + options + [path], check=True)
        assert os.path.getsize(path) < 1 << 20, name  # under the file size bound


if __name__ == "__main__":
    sys.exit(main())
