#!/usr/bin/env python3
"""Writes the small seed images of the image-reading fuzz target into
corpus/image: PNG and TIFF files at 8 and 16 bits, with and without alpha,
both byte orders for TIFF, and a few damaged ones. Run from anywhere."""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "image")


def pixels(w, h, channels, depth):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            for c in range(channels):
                v = (x * 67 + y * 31 + c * 101) % 256
                row.append(v * 257 if depth == 16 else v)
        rows.append(row)
    return rows


def png(w, h, channels, depth, interlace=0):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    color_type = {3: 2, 4: 6}[channels]
    raw = b""
    for row in pixels(w, h, channels, depth):
        raw += b"\0" + (struct.pack(">%dH" % len(row), *row) if depth == 16 else bytes(row))
    if interlace:
        # Adam7 with every pass empty but the first is only valid for 1x1.
        assert w == 1 and h == 1
    ihdr = struct.pack(">IIBBBBB", w, h, depth, color_type, 0, 0, interlace)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def tiff(w, h, channels, depth, big_endian=False, assoc_alpha=False):
    e = ">" if big_endian else "<"
    data = b""
    for row in pixels(w, h, channels, depth):
        data += struct.pack(e + "%d%s" % (len(row), "H" if depth == 16 else "B"), *row)
    entries = []

    def tag(t, kind, values):
        entries.append((t, kind, values))

    n_tags = 10 + (1 if channels == 4 else 0)
    header = 8
    ifd_size = 2 + n_tags * 12 + 4
    bits_off = header + ifd_size
    extra = struct.pack(e + "%dH" % channels, *([depth] * channels))
    data_off = bits_off + len(extra)
    tag(256, 3, [w])
    tag(257, 3, [h])
    tag(258, 3, None)  # bits per sample, at bits_off
    tag(259, 3, [1])
    tag(262, 3, [2])
    tag(273, 4, [data_off])
    tag(277, 3, [channels])
    tag(278, 3, [h])
    tag(279, 4, [len(data)])
    tag(284, 3, [1])
    if channels == 4:
        tag(338, 3, [1 if assoc_alpha else 2])
    out = (b"MM\0*" if big_endian else b"II*\0") + struct.pack(e + "I", header)
    out += struct.pack(e + "H", len(entries))
    for t, kind, values in entries:
        if values is None:
            out += struct.pack(e + "HHII", t, kind, channels, bits_off)
        elif kind == 3:
            out += struct.pack(e + "HHI", t, kind, 1) + struct.pack(e + "H", values[0]) + b"\0\0"
        else:
            out += struct.pack(e + "HHII", t, kind, 1, values[0])
    out += struct.pack(e + "I", 0)
    return out + extra + data


def main():
    os.makedirs(OUT, exist_ok=True)
    files = {
        "rgb8.png": png(3, 2, 3, 8),
        "rgba8.png": png(2, 3, 4, 8),
        "rgb16.png": png(2, 2, 3, 16),
        "rgba16.png": png(1, 1, 4, 16),
        "interlaced.png": png(1, 1, 3, 8, interlace=1),
        "rgb8.tif": tiff(3, 2, 3, 8),
        "rgba16.tif": tiff(2, 2, 4, 16),
        "rgba8_assoc_be.tif": tiff(2, 1, 4, 8, big_endian=True, assoc_alpha=True),
        "rgb16_be.tif": tiff(1, 2, 3, 16, big_endian=True),
    }
    files["truncated.png"] = files["rgb8.png"][:40]
    files["badcrc.png"] = files["rgb16.png"][:-5] + b"\x00" + files["rgb16.png"][-4:]
    files["truncated.tif"] = files["rgba16.tif"][:-7]
    files["empty"] = b""
    files["text"] = b"not an image\n"
    for name, body in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(body)
    print("%d seeds in %s" % (len(files), OUT))


if __name__ == "__main__":
    main()
