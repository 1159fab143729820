#!/usr/bin/env python3
"""Writes a grey ramp PNG: every 8-bit grey from black (left) to white
(right), each in a column 2 pixels wide, all three channels equal.

Usage: grey_ramp.py OUTPUT.png
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 512, 24


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main(path):
    row = b"\0" + b"".join(bytes((x // 2,) * 3) for x in range(WIDTH))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(row * HEIGHT, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    main(sys.argv[1])
