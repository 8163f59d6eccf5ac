#!/usr/bin/env python3
"""Draws the treasure-chest icon at every size the program ships and writes
res/vantrel.ico. Plain Python, no imaging library: shapes are described on a
32-unit grid and rasterised with supersampling, so each size stays crisp.

Run: python3 res/make_icon.py
"""
import os
import struct
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]

OUTLINE = (43, 26, 14)
BODY = (138, 83, 38)
LID = (171, 107, 49)
PLANK = (110, 64, 25)
GOLD = (244, 184, 58)
GOLD_LIGHT = (255, 221, 110)
KEYHOLE = (43, 26, 14)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def layers(size):
    """Painter's order: later layers cover earlier ones."""
    w = max(32.0 / size, 1.0)  # outline: one pixel at least
    return [
        (OUTLINE, rounded_rect(2 - w, 13 - w, 30 + w, 29 + w, 2 + w)),
        (OUTLINE, rounded_rect(2 - w, 5 - w, 30 + w, 15, 5 + w)),
        (BODY, rounded_rect(2, 14, 30, 29, 1.5)),
        (PLANK, rounded_rect(2, 21, 30, 22.2, 0)) if size >= 32 else None,
        (LID, rounded_rect(2, 5, 30, 13, 4.5)),
        (GOLD, rounded_rect(6, 5.6, 9.5, 29, 0.6)),
        (GOLD, rounded_rect(22.5, 5.6, 26, 29, 0.6)),
        (GOLD, rounded_rect(2, 12, 30, 14.8, 0)),
        (OUTLINE, rounded_rect(12.6 - w * 0.6, 10.4 - w * 0.6, 19.4 + w * 0.6, 19.6 + w * 0.6, 1.4)),
        (GOLD_LIGHT, rounded_rect(12.6, 10.4, 19.4, 19.6, 1.2)),
        (KEYHOLE, circle(16, 14.2, 1.4)),
        (KEYHOLE, rounded_rect(15.3, 14.4, 16.7, 17.6, 0.3)),
    ]


def render(size):
    samples = 8 if size <= 48 else 3
    shapes = [layer for layer in layers(size) if layer]
    scale = 32.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for fill, inside in shapes:
                        if inside(x, y):
                            colour = fill
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = samples * samples
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def dib(pixels):
    """32-bit BGRA bitmap with its AND mask, as classic icon entries store it."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(pixels) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    images = [(size, png(render(size)) if size == 256 else dib(render(size))) for size in SIZES]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(os.path.join(here, "vantrel.ico"), "wb") as out:
        out.write(directory + data)


if __name__ == "__main__":
    main()
