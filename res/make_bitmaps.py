#!/usr/bin/env python3
"""Draws the two toolbar bitmaps of the plug-in (8 bits per pixel).

The picture: a yellow tag label with a hole, and a blue arrow that jumps from
it up and to the right. Shapes are given in unit coordinates and rasterised
with 4 x 4 supersampling, so both sizes come from one drawing. The background
is RGB(192, 192, 192), which toolbars map to the button face colour.

Run it from anywhere; it rewrites bitmaps/toolbar16.bmp and toolbar24.bmp.
"""
import os
import struct

BACKGROUND, OUTLINE, TAG, TAG_SHADE, ARROW, HOLE = range(6)
PALETTE = [(192, 192, 192), (32, 32, 32), (255, 214, 64), (214, 160, 0), (32, 96, 224), (255, 255, 255)]

TAG_OUTER = [(0.04, 0.62), (0.30, 0.36), (0.74, 0.36), (0.74, 0.90), (0.30, 0.90)]
TAG_INNER = [(0.12, 0.63), (0.33, 0.43), (0.67, 0.43), (0.67, 0.83), (0.33, 0.83)]
ARROW_SHAFT = [(0.40, 0.30), (0.62, 0.16), (0.70, 0.26), (0.48, 0.40)]
ARROW_HEAD = [(0.56, 0.06), (0.97, 0.04), (0.84, 0.42)]


def inside(polygon, x, y):
    result = False
    for i, (x1, y1) in enumerate(polygon):
        x2, y2 = polygon[i - 1]
        if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
            result = not result
    return result


def colour_at(x, y):
    if inside(ARROW_HEAD, x, y) or inside(ARROW_SHAFT, x, y):
        return ARROW
    if (x - 0.25) ** 2 + (y - 0.63) ** 2 < 0.06 ** 2:
        return HOLE
    if inside(TAG_INNER, x, y):
        return TAG if y < 0.72 else TAG_SHADE
    if inside(TAG_OUTER, x, y):
        return OUTLINE
    return BACKGROUND


def draw(size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = [0] * len(PALETTE)
            for sy in range(4):
                for sx in range(4):
                    votes[colour_at((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size)] += 1
            # The background wins only where nothing else covers most of the pixel.
            best = max(range(1, len(PALETTE)), key=lambda c: votes[c])
            row.append(best if votes[best] >= 6 else BACKGROUND)
        rows.append(row)
    return rows


def write_bmp(path, rows):
    size = len(rows)
    stride = (size + 3) & ~3
    pixels = b"".join(bytes(row) + b"\0" * (stride - size) for row in reversed(rows))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * 256 - len(palette))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as out:
        out.write(header + info + palette + pixels)


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmaps")
    os.makedirs(folder, exist_ok=True)
    write_bmp(os.path.join(folder, "toolbar16.bmp"), draw(16))
    write_bmp(os.path.join(folder, "toolbar24.bmp"), draw(24))
