#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/: settings records
with special float values and pixels for fuzz_pixel, parameter values at the
ends of their types and frames of several shapes for fuzz_effect, and small
PNG and TIFF files (8 and 16 bits, with and without alpha, both TIFF byte
orders, a few damaged ones) for fuzz_image. Run from anywhere."""
import os
import struct
import zlib

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def f32(x):
    return struct.pack("<f", x)


def bits32(u):
    return struct.pack("<I", u)


def pixel_seeds():
    """HueSettings (hue, chroma, clip, alpha), a depth byte, then pixels."""
    nan, inf, neginf = bits32(0x7FC00000), bits32(0x7F800000), bits32(0xFF800000)
    negzero, denorm, negdenorm = bits32(0x80000000), bits32(0x00000001), bits32(0x80000001)
    quarter = f32(1.5707964)
    pix8 = bytes([255, 200, 100, 50, 255, 30, 200, 60, 0, 0, 0, 0, 255, 255, 255, 255, 7, 0, 255, 0,
                  128, 1, 2, 254])
    pix16 = b"".join(struct.pack("<4H", *p) for p in [(32768, 32768, 16384, 8192), (65535, 65535, 65535, 65535),
                                                      (0, 0, 0, 0), (1, 40000, 0, 32769), (32768, 0, 32768, 0)])

    def clip(c):
        return struct.pack("<i", c)

    cases = [
        ("plain8", quarter + f32(0.0) + clip(1) + f32(0.5), 0),
        ("plain16", quarter + f32(0.0) + clip(1) + f32(0.5), 1),
        ("nanhue", nan + f32(0.1) + clip(1) + f32(0.5), 0),
        ("infchroma", f32(0.0) + inf + clip(2) + f32(0.5), 1),
        ("neginfhue", neginf + f32(0.0) + clip(3) + f32(0.5), 0),
        ("hugehue", f32(3.0e38) + f32(10000.0) + clip(4) + f32(0.5), 1),
        ("negzero", negzero + negzero + clip(4) + f32(0.5), 1),
        ("denorm", denorm + negdenorm + clip(2) + f32(0.5), 0),
        ("nanalpha", f32(0.5) + f32(10000.0) + clip(1) + nan, 0),
        ("negalpha", f32(0.5) + f32(0.3) + clip(1) + f32(-1.0e7), 1),
        ("hugealpha", f32(0.5) + f32(0.3) + clip(1) + f32(1.0e7), 0),
        ("noclip", f32(0.0) + f32(0.1) + clip(0) + f32(0.5), 1),
        ("clipmin", f32(2.0) + f32(-10000.0) + clip(-2147483648) + f32(0.5), 0),
        ("turns", f32(571.8733) + f32(0.0) + clip(2) + f32(0.5), 1),
    ]
    return {name: s + bytes([deep]) + (pix16 if deep else pix8) for name, s, deep in cases}


def effect_seeds():
    """hue int32, chroma double, clip int32, alpha double, flags, width,
    height, padding, then pixel bytes."""
    def rec(hue, chroma, clip, alpha, flags, w, h, pad, pix):
        return struct.pack("<idid", hue, chroma, clip, alpha) + bytes([flags, w, h, pad]) + pix

    pix = bytes([255, 200, 100, 50, 255, 30, 200, 60, 0, 0, 0, 0, 255, 255, 255, 255, 7, 0, 255, 0, 128, 1, 2, 254,
                 0x00, 0x80, 0x00, 0x80, 0xFF, 0xFF, 0x01, 0x80])
    nan = struct.unpack("<d", struct.pack("<Q", 0x7FF8000000000001))[0]
    inf = float("inf")
    return {
        "plain8": rec(90 << 16, 30.0, 1, 0.5, 0, 4, 3, 0, pix),
        "plain16": rec(90 << 16, 30.0, 2, 0.5, 1 | (3 << 1), 4, 3, 6, pix),
        "identity": rec(0, 0.0, 4, 0.5, 1, 2, 2, 0, pix),
        "huemin": rec(-2**31, 10.0, 3, 0.5, 0 | (1 << 1), 5, 5, 3, pix),
        "huemax": rec(2**31 - 1, -10.0, 1, 0.5, 1, 3, 1, 0, pix),
        "chromanan": rec(45 << 16, nan, 1, 0.5, 0, 3, 3, 1, pix),
        "chromainf": rec(45 << 16, inf, 2, 0.5, 1, 3, 3, 2, pix),
        "chromahuge": rec(45 << 16, 1e300, 1, 0.5, 0, 2, 2, 0, pix),
        "chromarange": rec(-(45 << 16), -1e7, 1, 0.5, 1, 2, 7, 0, pix),
        "alphanan": rec(10 << 16, 200.0, 1, nan, 1, 4, 4, 0, pix),
        "alphaneg": rec(10 << 16, 200.0, 1, -1e7, 0, 4, 4, 0, pix),
        "popupneg": rec(10 << 16, 200.0, -2**31, 0.5, 0, 4, 2, 0, pix),
        "popupbig": rec(10 << 16, 200.0, 2**31 - 1, 0.5, 1, 4, 2, 0, pix),
        "empty": rec(10 << 16, 200.0, 1, 0.5, 0, 0, 0, 0, b""),
        "emptypadded": rec(10 << 16, 200.0, 1, 0.5, 1, 0, 5, 8, b""),
        "negzero": rec(0, -0.0, 1, 0.5, 1, 2, 2, 0, pix),
        "denormal": rec(0, 5e-324, 2, 5e-324, 0, 2, 2, 0, pix),
    }


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


def png_packed(w, h, depth, color_type, rows, chunks=()):
    """A PNG of any colour type and bit depth; rows are the packed bytes of each row."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, color_type, 0, 0, 0))
    for kind, body in chunks:
        out += chunk(kind, body)
    return out + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def image_seeds():
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
    # Variants the library expands: grey at 4 bits, grey with alpha, a palette
    # with transparency; and a header that claims 30000 x 30000 pixels.
    files["grey4.png"] = png_packed(3, 2, 4, 0, [b"\x1f\xa0", b"\x5c\xe0"])
    files["grey_alpha16.png"] = png_packed(2, 1, 16, 4, [b"\x12\x34\xff\xff\x00\x00\x80\x00"])
    files["palette.png"] = png_packed(3, 1, 8, 3, [b"\x00\x01\x02"],
                                      [(b"PLTE", b"\xff\x00\x00\x00\xff\x00\x00\x00\xff"), (b"tRNS", b"\x80")])
    files["header_bomb.png"] = png_packed(30000, 30000, 16, 6, [b""])
    files["truncated.png"] = files["rgb8.png"][:40]
    files["badcrc.png"] = files["rgb16.png"][:-5] + b"\x00" + files["rgb16.png"][-4:]
    files["truncated.tif"] = files["rgba16.tif"][:-7]
    files["empty"] = b""
    files["text"] = b"not an image\n"
    return files


def main():
    for target, seeds in (("pixel", pixel_seeds()), ("effect", effect_seeds()), ("image", image_seeds())):
        out = os.path.join(CORPUS, target)
        os.makedirs(out, exist_ok=True)
        for name, body in seeds.items():
            with open(os.path.join(out, name), "wb") as f:
                f.write(body)
        print("%d seeds in %s" % (len(seeds), out))


if __name__ == "__main__":
    main()
