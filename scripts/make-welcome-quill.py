#!/usr/bin/env python3
"""Draws the welcome window's mascot at its ten melt stages (resources/WelcomeQuill/melt-0.png to
melt-9.png, 400 x 370): a writing quill that sags and drips a little more at every stage, into a
growing puddle. The header shows only the band from 96 to about 245 above its titles, so the
quill lies there. Uses only the standard library; run it again after changing the drawing."""
import runpy
import math
import os
import sys

WIDTH, HEIGHT = 400, 370
SAMPLES = 2  # supersampling per axis
NIB = (92.0, 214.0)
TIP = (330.0, 84.0)
LENGTH = math.hypot(TIP[0] - NIB[0], TIP[1] - NIB[1])
AXIS = ((TIP[0] - NIB[0]) / LENGTH, (TIP[1] - NIB[1]) / LENGTH)
NORMAL = (-AXIS[1], AXIS[0])
VANE_START = 0.2
# Drips: centre x, half width, relative length.
DRIPS = [(170, 9, 1.0), (204, 12, 1.6), (240, 8, 0.7), (272, 11, 1.2), (302, 7, 0.5)]

OUTLINE = (38, 36, 52)
SHAFT = (70, 66, 90)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def feather(x, y):
    """Colour (r, g, b, a) of the upright quill at (x, y), or None."""
    dx, dy = x - NIB[0], y - NIB[1]
    u = (dx * AXIS[0] + dy * AXIS[1]) / LENGTH          # 0 at the nib, 1 at the tip
    v = dx * NORMAL[0] + dy * NORMAL[1]
    v -= 14.0 * math.sin(math.pi * max(0.0, min(1.0, u)))  # the spine's gentle curve
    if -0.12 <= u < 0.0:                                 # the nib
        half = 7.0 * (u + 0.12) / 0.12
        if abs(v) <= half:
            return OUTLINE + (255,) if abs(v) > half - 1.6 or u < -0.1 else (92, 88, 120, 255)
        return None
    if u < 0.0 or u > 1.0:
        return None
    if abs(v) <= 2.4:
        return SHAFT + (255,)
    if u < VANE_START:
        return None
    t = (u - VANE_START) / (1.0 - VANE_START)
    side = 1.25 if v > 0 else 0.85
    width = 40.0 * side * math.sin(math.pi * t) ** 0.75
    if abs(v) > width:
        return None
    if abs(v) > width - 2.6:
        return OUTLINE + (255,)
    base = mix((247, 243, 234), (178, 192, 240), t)
    barb = (u * LENGTH * 0.9 + abs(v) * 1.5) % 13.0
    if barb < 1.1:
        base = mix(base, (120, 128, 170), 0.35)
    return base + (255,)


def drip(x):
    total = 0.0
    for cx, half, length in DRIPS:
        d = abs(x - cx) / half
        if d < 1:
            total += length * math.cos(d * math.pi / 2) ** 2
    return total


def puddle(x, y, melt):
    if melt <= 0:
        return None
    cx, cy = 214.0, 238.0
    rx, ry = 24.0 + 130.0 * melt, 2.0 + 9.0 * melt
    d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
    if d > 1:
        return None
    if d > 0.82:
        return OUTLINE + (255,)
    return mix((200, 208, 242), (160, 172, 228), (y - cy + ry) / (2 * ry)) + (255,)


def colour(x, y, stage):
    melt = stage / 9.0
    # Melting pulls every point down, the lower ones and the drips further.
    low = max(0.0, min(1.0, (y - 70.0) / 170.0))
    down = melt * (14.0 + 34.0 * low ** 1.6 + 40.0 * drip(x) * low ** 2 + 5.0 * math.sin(x / 15.0))
    sx = x + melt * 10.0 * math.sin(y / 23.0)
    found = feather(sx, y - down) if y - down > 0 else None
    if found:
        return found
    return puddle(x, y, melt)


def render(stage):
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(HEIGHT):
        row = bytearray([0])  # filter type: none
        for px in range(WIDTH):
            r = g = b = a = 0
            for i in range(SAMPLES):
                for j in range(SAMPLES):
                    c = colour(px + (j + 0.5) / SAMPLES, py + (i + 0.5) / SAMPLES, stage)
                    if c:
                        r += c[0] * c[3]
                        g += c[1] * c[3]
                        b += c[2] * c[3]
                        a += c[3]
            if a:
                row += bytes((r // a, g // a, b // a, a // n))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return b"".join(rows)


def png(width, height, raw):
    """The PNG writer of the melt icons' script."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make-melt-icons.py")
    # The icon script's PNG writer, shared rather than written twice.
    icons = runpy.run_path(path)
    return icons["png"](width, height, raw)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "WelcomeQuill")
    stages = [int(s) for s in sys.argv[2:]] or range(10)
    os.makedirs(folder, exist_ok=True)
    for stage in stages:
        with open(os.path.join(folder, "melt-%d.png" % stage), "wb") as f:
            f.write(png(WIDTH, HEIGHT, render(stage)))


if __name__ == "__main__":
    main()
