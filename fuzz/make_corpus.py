#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus into fuzz/corpus/ (run from the repository root).

Valid and broken BMP (every depth, bit fields, RLE8 and RLE4), JPEG (baseline, progressive,
grey), GIF (plain, interlaced, transparent) and PNG files made from the committed glyph of 'A',
plus the hostile files the reader once failed on, byte for byte. JPEG, GIF and PNG come from
ImageMagick (/usr/bin/convert); the rest is written here. The corpus is committed; this script
only needs to run again when the set of seeds changes.
"""
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "fuzz", "corpus")
GLYPH = os.path.join(ROOT, "res", "bmp", "065.bmp")
CONVERT = "/usr/bin/convert"


def read_glyph():
    """The glyph (a 4-bit palette BMP) as rows of (r, g, b), top to bottom."""
    data = open(GLYPH, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    colours, = struct.unpack_from("<I", data, 46)
    palette = [tuple(data[54 + i * 4:57 + i * 4][::-1]) for i in range(colours or 16)]
    stride = (width * 4 + 31) // 32 * 4
    rows = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:][:stride]
        rows.append([palette[(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 0xF]
                     for x in range(width)])
    return rows


def bmp(width, height, bits, pixel_bytes, palette=(), compression=0, info_size=40,
        masks=None, top_down=False):
    """A BMP file around the given pixel bytes."""
    if info_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        entries = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", info_size, width, -height if top_down else height, 1,
                           bits, compression, len(pixel_bytes), 2835, 2835, len(palette), 0)
        if masks is not None:
            info += struct.pack("<III", *masks)
        info = info.ljust(info_size if masks is None or info_size > 40 else 52, b"\0")
        entries = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(entries)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixel_bytes), 0, 0, offset)
    return header + info + entries + pixel_bytes


def packed_rows(rows, bits, value):
    """Bottom-up rows of `bits` per pixel, each padded to 32 bits."""
    out = b""
    for row in reversed(rows):
        acc, nbits, line = 0, 0, bytearray()
        for pixel in row:
            v = value(pixel)
            if bits >= 8:
                line += v.to_bytes(bits // 8, "little")
                continue
            acc = (acc << bits) | v
            nbits += bits
            if nbits == 8:
                line.append(acc)
                acc, nbits = 0, 0
        if nbits:
            line.append(acc << (8 - nbits))
        while len(line) % 4:
            line.append(0)
        out += bytes(line)
    return out


def rle(rows, index, four):
    """RLE8 or RLE4: even rows as runs, odd rows as literal runs (as far as they go)."""
    out = bytearray()
    for y, row in enumerate(reversed(rows)):
        indices = [index[p] for p in row]
        if y % 2 == 0:
            x = 0
            while x < len(indices):
                if four and x + 1 < len(indices) and indices[x + 1] != indices[x]:
                    # Two alternating colours in one run.
                    out += bytes((2, indices[x] << 4 | indices[x + 1]))
                    x += 2
                    continue
                n = 1
                while x + n < len(indices) and indices[x + n] == indices[x] and n < 255:
                    n += 1
                value = indices[x] * 17 if four else indices[x]
                out += bytes((n, value))
                x += n
        else:
            chunk = indices[:254]
            if four:
                packed = bytes((chunk[i] << 4) | (chunk[i + 1] if i + 1 < len(chunk) else 0)
                               for i in range(0, len(chunk), 2))
            else:
                packed = bytes(chunk)
            out += bytes((0, len(chunk))) + packed + (b"\0" if len(packed) % 2 else b"")
        out += b"\0\0"
    out += b"\0\1"
    return bytes(out)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def convert(args, name):
    subprocess.run([CONVERT] + args + [os.path.join(OUT, name)], check=True)


def hostile():
    """The files that once crashed, hung or ate memory, exactly as reported."""
    crash = (bytes.fromhex("FFD8") + bytes.fromhex("FFDB004300") + b"\x01" * 64 +
             bytes.fromhex("FFC0000B080030001E01011100") +
             bytes.fromhex("FFC40014000100") + b"\x00" * 15 +
             bytes.fromhex("FFC4081B10") + b"\x00" * 7 + b"\x10" + b"\xFF" * 8 + b"\xFF" * 2056 +
             bytes.fromhex("FFDA000801010100 3F00".replace(" ", "")))
    assert len(crash) == 2193
    write("regress-huffman-overflow.jpg", crash)
    write("regress-huffman-23.jpg", bytes.fromhex("FFD8FFC4001313") + b"\xFF" * 16)
    # A 20000 x 20000 screen and image, one pixel of data.
    gif = (b"GIF89a" + struct.pack("<HHBBB", 20000, 20000, 0x80, 0, 0) + b"\0\0\0\xFF\xFF\xFF" +
           b"\x2C" + struct.pack("<HHHHB", 0, 0, 20000, 20000, 0) + b"\x02\x02\x44\x01\0;")
    assert len(gif) == 35
    write("regress-huge-screen.gif", gif)
    big = bmp(20000, 20000, 24, b"\0" * 16)
    big = big[:34] + struct.pack("<I", 20000 * 60000) + big[38:]
    assert len(big) == 70
    write("regress-huge-header.bmp", big)


def main():
    os.makedirs(OUT, exist_ok=True)
    rows = read_glyph()
    width, height = len(rows[0]), len(rows)
    colours = sorted({p for row in rows for p in row})
    index = {c: i for i, c in enumerate(colours)}
    assert len(colours) <= 16

    # BMP: every depth and layout, then broken ones.
    rgb24 = packed_rows(rows, 24, lambda p: p[2] | p[1] << 8 | p[0] << 16)
    write("bmp24.bmp", bmp(width, height, 24, rgb24))
    pal = colours + [(0, 0, 0)] * (16 - len(colours))
    write("bmp4.bmp", bmp(width, height, 4, packed_rows(rows, 4, index.get), pal))
    write("bmp8.bmp", bmp(width, height, 8, packed_rows(rows, 8, index.get), colours))
    write("bmp1.bmp", bmp(width, height, 1, packed_rows(rows, 1, lambda p: index[p] & 1),
                          colours[:2]))
    write("bmp-core8.bmp", bmp(width, height, 8, packed_rows(rows, 8, index.get),
                               colours + [(0, 0, 0)] * (256 - len(colours)), info_size=12))
    write("bmp16-565.bmp", bmp(width, height, 16,
                               packed_rows(rows, 16, lambda p: (p[0] >> 3) << 11 |
                                           (p[1] >> 2) << 5 | p[2] >> 3),
                               compression=3, masks=(0xF800, 0x07E0, 0x001F)))
    write("bmp32-v5.bmp", bmp(width, height, 32,
                              packed_rows(rows, 32, lambda p: p[2] | p[1] << 8 | p[0] << 16),
                              compression=3, info_size=124, masks=(0xFF0000, 0xFF00, 0xFF)))
    top = b"".join(rgb24[i:i + len(rgb24) // height]
                   for i in range(len(rgb24) - len(rgb24) // height, -1, -(len(rgb24) // height)))
    write("bmp24-top-down.bmp", bmp(width, height, 24, top, top_down=True))
    write("rle8.bmp", bmp(width, height, 8, rle(rows, index, False), colours, compression=1))
    write("rle4.bmp", bmp(width, height, 4, rle(rows, index, True), colours, compression=2))
    # Runs past the right edge and the top, a jump off the picture, no end marker.
    wild = bytes((255, 1, 0, 2, 200, 200, 0, 5, 1, 1, 1, 1, 1, 0, 255, 0))
    write("rle8-wild.bmp", bmp(width, height, 8, wild, colours, compression=1))
    full = open(os.path.join(OUT, "bmp24.bmp"), "rb").read()
    write("bmp24-truncated.bmp", full[:len(full) // 2])
    write("bmp-bad-offset.bmp", full[:10] + struct.pack("<I", 0xFFFFFF00) + full[14:])
    write("bmp-two-bytes.bmp", b"BM")

    # JPEG, GIF and PNG by ImageMagick from the same glyph.
    convert([GLYPH, "-quality", "90"], "baseline.jpg")
    convert([GLYPH, "-interlace", "JPEG", "-quality", "80"], "progressive.jpg")
    convert([GLYPH, "-colorspace", "Gray"], "grey.jpg")
    convert([GLYPH], "glyph.gif")
    convert([GLYPH, "-interlace", "GIF"], "interlaced.gif")
    convert([GLYPH, "-transparent", "#%02x%02x%02x" % colours[0]], "transparent.gif")
    convert([GLYPH, "-define", "png:exclude-chunks=date,time"], "glyph.png")
    for name in ("baseline.jpg", "progressive.jpg", "glyph.gif"):
        data = open(os.path.join(OUT, name), "rb").read()
        write("cut-" + name, data[:len(data) * 2 // 3])
    # A progressive JPEG whose frame header claims 20000 x 20000: about a kilobyte.
    jpeg = bytearray(open(os.path.join(OUT, "progressive.jpg"), "rb").read())
    sof = jpeg.find(b"\xFF\xC2")
    jpeg[sof + 5:sof + 9] = struct.pack(">HH", 20000, 20000)
    write("regress-huge-frame.jpg", bytes(jpeg))

    hostile()


if __name__ == "__main__":
    sys.exit(main())
