#!/usr/bin/env python3
"""Draws the ten stages of the melting application icon (resources/MeltIcons/melt-0.png to
melt-9.png): a framed picture of a sunny hill whose lower edge drips further at every stage.
Uses only the standard library; run it again after changing the drawing."""
import math
import os
import struct
import sys
import zlib

SIZE = 256
SAMPLES = 3  # supersampling per axis
LEFT, RIGHT, TOP, BOTTOM = 30.0, 226.0, 46.0, 176.0
FRAME = 7.0
# Drips: centre x, half width, relative length.
DRIPS = [(52, 13, 0.9), (86, 10, 0.45), (118, 16, 1.25), (158, 11, 0.6), (194, 14, 1.05),
         (214, 8, 0.35)]


def bottom_edge(x, stage):
    """The lower edge of the picture at column x: straight at stage 0, dripping later."""
    sag = stage * 1.6 * math.sin(math.pi * (x - LEFT) / (RIGHT - LEFT))
    drip = 0.0
    for cx, half, length in DRIPS:
        d = abs(x - cx) / half
        if d < 1:
            drip += length * stage * 7.0 * (math.cos(d * math.pi / 2) ** 2)
    return BOTTOM + sag + drip


def top_edge(x, stage):
    return TOP + stage * 0.9 * math.sin(math.pi * (x - LEFT) / (RIGHT - LEFT))


def corner_inside(x, y, stage):
    r = 16.0
    t = top_edge(x, stage)
    if y < t or x < LEFT or x > RIGHT or y > bottom_edge(x, stage):
        return False
    for cx in (LEFT + r, RIGHT - r):
        if (x < LEFT + r and cx == LEFT + r) or (x > RIGHT - r and cx == RIGHT - r):
            cy = t + r
            if y < cy and (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                return False
    return True


def colour(x, y, stage):
    """Colour (r, g, b, a) of one sample point."""
    if not corner_inside(x, y, stage):
        return (0, 0, 0, 0)
    near_edge = not (corner_inside(x - FRAME, y, stage) and corner_inside(x + FRAME, y, stage)
                     and corner_inside(x, y - FRAME, stage) and corner_inside(x, y + FRAME, stage))
    if near_edge:
        return (245, 240, 232, 255)
    hill = 132 + 22 * math.sin((x - LEFT) / 38.0)
    if y > hill:
        shade = min(1.0, (y - hill) / 90.0)
        return (int(70 - 30 * shade), int(170 - 50 * shade), int(90 - 30 * shade), 255)
    sx, sy = 170.0, 88.0
    if (x - sx) ** 2 + (y - sy) ** 2 < 18.0 ** 2:
        return (255, 205, 70, 255)
    t = (y - TOP) / (hill - TOP + 1)
    return (int(90 + 80 * t), int(160 + 60 * t), int(235 + 15 * t), 255)


def render(stage):
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(SIZE):
        row = bytearray([0])  # filter type: none
        for px in range(SIZE):
            r = g = b = a = 0
            for i in range(SAMPLES):
                for j in range(SAMPLES):
                    cr, cg, cb, ca = colour(px + (j + 0.5) / SAMPLES, py + (i + 0.5) / SAMPLES, stage)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a:
                row += bytes((r // a, g // a, b // a, a // n))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return b"".join(rows)


def png(width, height, raw):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "MeltIcons")
    os.makedirs(folder, exist_ok=True)
    for stage in range(10):
        with open(os.path.join(folder, "melt-%d.png" % stage), "wb") as f:
            f.write(png(SIZE, SIZE, render(stage)))


if __name__ == "__main__":
    main()
