#!/usr/bin/env python3
"""Makes the Engine's texture: sand with ripples, 256 x 256, 32-bit RGBA with a
full mip chain, as a DDS file. Integer arithmetic only, so every machine makes
the same bytes.

    seafloor.py [output]        write (default: Engine/data/seafloor.dds)
    seafloor.py --check file    exit 1 unless file holds exactly those bytes
"""
import os
import struct
import sys

SIZE = 256
ONE = 1 << 16  # fixed-point 1.0

LIGHT_SAND = (214, 196, 150)
DARK_SAND = (138, 116, 80)


def hash32(x, y, seed):
    h = (x * 0x27D4EB2D) ^ (y * 0x165667B1) ^ (seed * 0x9E3779B9)
    h &= 0xFFFFFFFF
    h ^= h >> 16
    h = (h * 0x7FEB352D) & 0xFFFFFFFF
    h ^= h >> 15
    h = (h * 0x846CA68B) & 0xFFFFFFFF
    h ^= h >> 16
    return h


def smooth(t):
    """3t^2 - 2t^3 on fixed-point 0..ONE."""
    return (t * t * (3 * ONE - 2 * t)) >> 32


def value_noise(x, y, cells, seed):
    """Smoothly interpolated lattice noise in 0..ONE that tiles over SIZE."""
    cell = SIZE // cells
    cx, cy = x // cell, y // cell
    fx = smooth((x % cell) * ONE // cell)
    fy = smooth((y % cell) * ONE // cell)

    def corner(i, j):
        return hash32((cx + i) % cells, (cy + j) % cells, seed) >> 16

    top = corner(0, 0) * (ONE - fx) + corner(1, 0) * fx
    bottom = corner(0, 1) * (ONE - fx) + corner(1, 1) * fx
    return (top * (ONE - fy) + bottom * fy) >> 32


def ripple(x, y):
    """Height 0..ONE of wind ripples: a gentle slope up, a steep one down."""
    warp = (value_noise(x, y, 4, 1) - ONE // 2) * 2
    phase = (14 * x + 3 * y) * ONE // SIZE + warp
    f = phase % ONE
    crest = ONE * 65 // 100
    height = f * ONE // crest if f < crest else (ONE - f) * ONE // (ONE - crest)
    return smooth(height)


def texel(x, y):
    height = ripple(x, y)
    patches = value_noise(x, y, 8, 2)
    grain = hash32(x, y, 3) >> 16
    mix = (height * 50 + patches * 30 + grain * 20) // 100
    rgb = [d + ((l - d) * mix >> 16) for l, d in zip(LIGHT_SAND, DARK_SAND)]
    return rgb + [255]


def base_level():
    return [[texel(x, y) for x in range(SIZE)] for y in range(SIZE)]


def half(level):
    size = len(level) // 2
    return [[[(level[2 * y][2 * x][c] + level[2 * y][2 * x + 1][c] + level[2 * y + 1][2 * x][c]
               + level[2 * y + 1][2 * x + 1][c] + 2) >> 2 for c in range(4)]
             for x in range(size)] for y in range(size)]


def mip_chain():
    levels = [base_level()]
    while len(levels[-1]) > 1:
        levels.append(half(levels[-1]))
    return levels


def dds_header(mip_count):
    caps, height, width, pitch, pixel_format, mipmap_count = 0x1, 0x2, 0x4, 0x8, 0x1000, 0x20000
    rgb, alpha_pixels = 0x40, 0x1
    complex_surface, texture, mipmap = 0x8, 0x1000, 0x400000
    pixel = struct.pack("<8I", 32, rgb | alpha_pixels, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000)
    return (b"DDS " +
            struct.pack("<7I", 124, caps | height | width | pitch | pixel_format | mipmap_count,
                        SIZE, SIZE, SIZE * 4, 0, mip_count) +
            bytes(44) + pixel +
            struct.pack("<5I", complex_surface | texture | mipmap, 0, 0, 0, 0))


def dds_file():
    levels = mip_chain()
    body = bytearray()
    for level in levels:
        for row in level:
            for rgba in row:
                body += bytes(rgba)
    return dds_header(len(levels)) + bytes(body)


def main(args):
    if args[:1] == ["--check"] and len(args) == 2:
        with open(args[1], "rb") as f:
            if f.read() != dds_file():
                print(args[1] + " differs from what the generator makes", file=sys.stderr)
                return 1
        return 0
    here = os.path.dirname(os.path.abspath(__file__))
    output = args[0] if args else os.path.join(here, "..", "..", "Engine", "data", "seafloor.dds")
    with open(output, "wb") as f:
        f.write(dds_file())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
