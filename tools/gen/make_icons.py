#!/usr/bin/env python3
"""Draws the icons of Vexelo-02-Triangle and writes them as .ico files.

Each file holds two 32 x 32 images, one with 16 colours (4 bits a pixel) and
one with 256 colours (8 bits a pixel). Run by hand after changing a drawing:
    tools/gen/make_icons.py triangle/icons
The output is committed; the build only reads it.
"""
import os
import struct
import sys

SIZE = 32
BACKGROUND = (0, 51, 102)

# The classic 16-colour palette.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# A 6 x 6 x 6 colour cube, the background, then greys up to 256 entries.
PALETTE_256 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE_256.append(BACKGROUND)
PALETTE_256 += [(v, v, v) for v in range(8, 256, 6)][: 256 - len(PALETTE_256)]
PALETTE_256 += [(0, 0, 0)] * (256 - len(PALETTE_256))

# 4 x 4 ordered dither, so the 16-colour gradient does not band into flat areas.
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def barycentric(p, a, b, c):
    det = (b[1] - c[1]) * (a[0] - c[0]) + (c[0] - b[0]) * (a[1] - c[1])
    wa = ((b[1] - c[1]) * (p[0] - c[0]) + (c[0] - b[0]) * (p[1] - c[1])) / det
    wb = ((c[1] - a[1]) * (p[0] - c[0]) + (a[0] - c[0]) * (p[1] - c[1])) / det
    return wa, wb, 1.0 - wa - wb


def draw(corners, background):
    """Returns 32 rows of pixels, top row first: (colour, on the triangle), or None where clear."""
    top, right, left = corners
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            wa, wb, wc = barycentric((x + 0.5, y + 0.5), top, right, left)
            if min(wa, wb, wc) >= 0:
                total = wa + wb + wc
                # Scaled so each colour reaches full strength near its corner.
                red, green, blue = (min(1.0, 1.5 * w / total) for w in (wa, wb, wc))
                row.append(((round(255 * red), round(255 * green), round(255 * blue)), True))
            else:
                row.append(None if background is None else (background, False))
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def quantize(rows, palette, dither):
    indices = []
    for y, row in enumerate(rows):
        line = []
        for x, pixel in enumerate(row):
            if pixel is None:
                line.append(0)
                continue
            colour, shaded = pixel
            if dither and shaded:
                bias = (BAYER[y % 4][x % 4] / 16.0 - 0.5) * 96
                colour = tuple(max(0, min(255, c + bias)) for c in colour)
            line.append(nearest(palette, colour))
        indices.append(line)
    return indices


def image_bytes(rows, palette, bits, dither):
    indices = quantize(rows, palette, dither)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, bits, 0, 0, 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom row first
        if bits == 8:
            xor += bytes(indices[y])
        else:
            xor += bytes((indices[y][x] << 4) | indices[y][x + 1] for x in range(0, SIZE, 2))
        bitsrow = 0
        for x in range(SIZE):
            if rows[y][x] is None:
                bitsrow |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bitsrow)
    return header + colours + bytes(xor) + bytes(mask)


def icon_file(rows):
    images = [
        (16, 4, image_bytes(rows, PALETTE_16, 4, True)),
        (0, 8, image_bytes(rows, PALETTE_256, 8, False)),
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for colour_count, bits, data in images:
        out += struct.pack("<BBBBHHII", SIZE, SIZE, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(folder, exist_ok=True)
    # Large icon: the program's picture, the triangle on its dark blue ground.
    large = draw(((16, 4), (28.5, 27), (3.5, 27)), BACKGROUND)
    # Small icon: shown shrunk, so the triangle fills it and the ground is clear.
    small = draw(((16, 0), (32, 31), (0, 31)), None)
    for name, rows in (("triangle.ico", large), ("small.ico", small)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(icon_file(rows))


if __name__ == "__main__":
    main()
