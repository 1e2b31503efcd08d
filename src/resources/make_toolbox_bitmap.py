#!/usr/bin/env python3
"""Writes toolbox.bmp, the control's 16x15 toolbox picture: a small host
terminal on a light grey ground (the colour containers treat as
transparent in toolbox bitmaps). Run it again after changing the picture;
the .bmp is kept in the tree so that builds need no Python."""
import struct
import sys

PICTURE = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbbbbbbbbbbbk.",
    ".kbgggbggggbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbggggbgggbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbggbgggggbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbgwbbbbbbbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kkkkkkkkkkkkkk.",
    "......kkkk......",
    "....dddddddd....",
    "................",
]
COLOURS = {  # red, green, blue
    ".": (192, 192, 192),
    "k": (64, 64, 64),
    "d": (128, 128, 128),
    "b": (0, 0, 128),
    "g": (0, 255, 0),
    "w": (255, 255, 255),
}


def bitmap_bytes():
    width, height = len(PICTURE[0]), len(PICTURE)
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for line in reversed(PICTURE):  # bottom-up rows
        row = bytearray()
        for cell in line:
            red, green, blue = COLOURS[cell]
            row += bytes((blue, green, red))
        row += b"\0" * (row_size - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "toolbox.bmp"
    with open(out, "wb") as f:
        f.write(bitmap_bytes())
