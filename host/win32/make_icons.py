#!/usr/bin/env python3
"""Writes the program's two 16-colour icons: a dark stone on the LCD green behind a thin bezel.

Deterministic: the same bytes on every run. Usage: make_icons.py [output folder]
(default: this script's folder). Writes brelvoxan-32.ico (resource 101, the program file's
icon) and brelvoxan-16.ico (resource 102, the window's small icon).
"""

import os
import struct
import sys

# The palette's first entries; the rest stay black. Colours are those of the glyph pictures.
BEZEL = 0  # ink, the frame around the display
LCD = 1  # the display's green
STONE = 2  # the stone, in the ink colour
SHINE = 3  # a light fleck on the stone
EDGE = 4  # the stone's rim, between ink and green
PALETTE = [
    (0x28, 0x30, 0x1E),
    (0xB4, 0xC3, 0xA0),
    (0x28, 0x30, 0x1E),
    (0x8C, 0x9B, 0x7D),
    (0x4E, 0x5A, 0x40),
] + [(0, 0, 0)] * 11


def picture(size):
    """Palette indices, rows top to bottom."""
    rows = []
    centre2 = size  # twice the centre, so pixel centres are whole numbers: 2x + 1
    radius2 = size * (0.72 if size <= 16 else 0.70)  # twice the radius; these avoid lone nubs
    for y in range(size):
        row = []
        for x in range(size):
            if x == 0 or y == 0 or x == size - 1 or y == size - 1:
                row.append(BEZEL)
                continue
            dx = 2 * x + 1 - centre2
            dy = 2 * y + 1 - centre2
            d = (dx * dx + dy * dy) ** 0.5
            if d > radius2:
                row.append(LCD)
            elif d > radius2 - 2.0:
                row.append(EDGE)
            else:
                # The fleck sits up and to the left of the centre, about a quarter of the way out.
                fx = dx + radius2 * 0.42
                fy = dy + radius2 * 0.42
                fleck = radius2 * 0.18
                row.append(SHINE if fx * fx + fy * fy <= fleck * fleck else STONE)
        rows.append(row)
    return rows


def icon_file(size):
    rows = picture(size)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for i in range(0, size, 2):
            line.append((row[i] << 4) | row[i + 1])
        xor += line + bytes(xor_stride - len(line))
    mask = bytes(and_stride * size)  # every pixel opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0,
                         16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + bytes(xor) + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for size in (32, 16):
        with open(os.path.join(folder, "brelvoxan-%d.ico" % size), "wb") as out:
            out.write(icon_file(size))


if __name__ == "__main__":
    main()
