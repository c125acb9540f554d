#!/usr/bin/python3
"""Packs the glyph files into one compressed file for the page, which unpacks it with the
browser's own gzip decoder and reads the glyphs from memory (host/web/web_file.cpp).

Usage: pack_glyphs.py OUT FOLDER PREFIX
Every regular file of FOLDER, by name, as PREFIX/NAME. The unpacked format, little-endian: for
each file a 16-bit name length, the name (UTF-8), a 32-bit size and the bytes. The output is the
same for the same files (no time stamp), so that the release's hash only changes with them."""

import gzip
import struct
import sys
from pathlib import Path


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    out, folder, prefix = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3].strip("/")
    packed = bytearray()
    for path in sorted(p for p in folder.iterdir() if p.is_file()):
        name = f"{prefix}/{path.name}".encode()
        data = path.read_bytes()
        packed += struct.pack("<H", len(name)) + name + struct.pack("<I", len(data)) + data
    out.write_bytes(gzip.compress(bytes(packed), compresslevel=9, mtime=0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
