#!/usr/bin/env python3
"""Draws the progress dialog's pictures and the product icon.

Writes, next to this script:
  progress_web.bmp      94 x 42, 24-bit, white background (drawn transparent)
  progress_desktop.bmp  31 x 31, 24-bit, pure red background (drawn transparent)
  wevelink.ico          32 x 32 and 16 x 16, 32-bit with alpha

The mark is a terminal screen with green text lines and a globe beside it,
joined by an arrow: the host screen delivered from the web. Shapes are
sampled 4 x 4 per pixel. Inside the picture the samples are averaged; at its
edge a pixel is either wholly the shape or wholly the transparent colour,
because a blended fringe would show as a halo once the key colour is dropped.
No opaque pixel ever equals the key colour. Standard library only.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUB = 4  # samples per pixel along each axis

BODY = (52, 64, 80)        # monitor casing
BODY_EDGE = (28, 36, 48)
SCREEN = (12, 30, 40)      # terminal glass
TEXT = (70, 220, 130)      # terminal text lines
CURSOR = (200, 255, 215)
GLOBE = (40, 120, 210)
GLOBE_EDGE = (20, 70, 150)
GRID = (150, 205, 250)
ARROW = (242, 140, 40)
ARROW_EDGE = (180, 90, 20)
STAND = (90, 100, 115)


# --- shapes: each answers whether a sample point (x, y) lies inside --------

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring_ellipse(cx, cy, rx, ry, width):
    """The outline of an ellipse, width pixels thick."""
    def inside(x, y):
        if rx <= 0 or ry <= 0:
            return False
        d = math.hypot((x - cx) / rx, (y - cy) / ry)
        scale = min(rx, ry)
        return abs(d - 1.0) * scale <= width / 2
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y):
                t = (y - ay) / (by - ay)
                if x < ax + t * (bx - ax):
                    hit = not hit
        return hit
    return inside


def clip(shape, region):
    return lambda x, y: shape(x, y) and region(x, y)


def grow(shape, d):
    """The shape widened by d pixels (sampled on eight directions)."""
    offsets = [(d * math.cos(a * math.pi / 4), d * math.sin(a * math.pi / 4)) for a in range(8)]
    return lambda x, y: shape(x, y) or any(shape(x + ox, y + oy) for ox, oy in offsets)


# --- parts of the mark ------------------------------------------------------

def monitor(layers, x0, y0, w, h, lines):
    """Casing, glass, text lines, cursor and stand; layers are drawn in order."""
    stand_w = max(4, w // 3)
    sx = x0 + (w - stand_w) / 2
    neck_h = max(1.5, h * 0.12)
    layers.append((polygon([(sx + stand_w * 0.3, y0 + h - 1), (sx + stand_w * 0.7, y0 + h - 1),
                            (sx + stand_w, y0 + h + neck_h + 1.5), (sx, y0 + h + neck_h + 1.5)]), STAND))
    casing = round_rect(x0, y0, x0 + w, y0 + h, max(1.0, w * 0.06))
    layers.append((grow(casing, 0.6), BODY_EDGE))
    layers.append((casing, BODY))
    border = max(1.5, w * 0.08)
    gx0, gy0, gx1, gy1 = x0 + border, y0 + border, x0 + w - border, y0 + h - border
    layers.append((round_rect(gx0, gy0, gx1, gy1, 1.0), SCREEN))
    # Text lines of varying length, the last one ending in a block cursor.
    inner_w = gx1 - gx0
    pitch = (gy1 - gy0) / (lines + 1)
    thick = max(1.0, pitch * 0.45)
    lengths = [0.78, 0.55, 0.68, 0.40, 0.62, 0.30][:lines]
    for i, frac in enumerate(lengths):
        ly = gy0 + pitch * (i + 1) - thick / 2
        lx0 = gx0 + max(1.0, inner_w * 0.08)
        lx1 = lx0 + inner_w * frac
        layers.append((rect(lx0, ly, lx1, ly + thick), TEXT))
        if i == len(lengths) - 1:
            layers.append((rect(lx1 + thick * 0.8, ly - thick * 0.3, lx1 + thick * 2.2, ly + thick * 1.2), CURSOR))


def globe(layers, cx, cy, r, grid_w, detailed=True):
    """Disc with meridians and parallels; small globes get fewer lines."""
    layers.append((disc(cx, cy, r + 0.8), GLOBE_EDGE))
    layers.append((disc(cx, cy, r), GLOBE))
    inside = disc(cx, cy, r - 0.4)
    for rx in ((r * 0.35, r * 0.75) if detailed else (r * 0.5,)):  # meridians
        layers.append((clip(ring_ellipse(cx, cy, rx, r, grid_w), inside), GRID))
    layers.append((clip(rect(cx - grid_w / 2, cy - r, cx + grid_w / 2, cy + r), inside), GRID))
    for fy in ((-0.5, 0.0, 0.5) if detailed else (0.0,)):  # parallels
        y = cy + fy * r
        layers.append((clip(rect(cx - r, y - grid_w / 2, cx + r, y + grid_w / 2), inside), GRID))


def arrow(layers, x_tip, x_tail, cy, shaft, head):
    """A horizontal arrow pointing left, from x_tail to x_tip."""
    body = polygon([(x_tail, cy - shaft / 2), (x_tip + head, cy - shaft / 2), (x_tip + head, cy - head),
                    (x_tip, cy), (x_tip + head, cy + head), (x_tip + head, cy + shaft / 2),
                    (x_tail, cy + shaft / 2)])
    layers.append((grow(body, 0.6), ARROW_EDGE))
    layers.append((body, ARROW))


# --- rendering ---------------------------------------------------------------

def sample(layers, w, h):
    """Per pixel: list of SUB*SUB colours, None where nothing covers."""
    pixels = []
    for py in range(h):
        row = []
        for px in range(w):
            samples = []
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    colour = None
                    for shape, c in layers:
                        if shape(x, y):
                            colour = c
                    samples.append(colour)
            row.append(samples)
        pixels.append(row)
    return pixels


def average(colours):
    n = len(colours)
    return tuple(round(sum(c[i] for c in colours) / n) for i in range(3))


def keyed_image(layers, w, h, key):
    """Opaque colour per pixel, or the key colour where the picture is absent."""
    out = []
    for row in sample(layers, w, h):
        line = []
        for samples in row:
            covered = [c for c in samples if c is not None]
            if len(covered) * 2 < len(samples):
                line.append(key)
                continue
            c = average(covered)
            if c == key:  # never let the picture turn transparent
                c = (c[0] - 1 if c[0] else 1, c[1], c[2])
            line.append(c)
        out.append(line)
    return out


def alpha_image(layers, w, h):
    out = []
    for row in sample(layers, w, h):
        line = []
        for samples in row:
            covered = [c for c in samples if c is not None]
            if not covered:
                line.append((0, 0, 0, 0))
                continue
            r, g, b = average(covered)
            line.append((r, g, b, round(255 * len(covered) / len(samples))))
        out.append(line)
    return out


def write_bmp24(path, image):
    h = len(image)
    w = len(image[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for line in reversed(image):  # bottom-up rows
        row = bytearray()
        for r, g, b in line:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def ico_image(image):
    h = len(image)
    w = len(image[0])
    xor = bytearray()
    for line in reversed(image):
        for r, g, b, a in line:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(image):
        row = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(line):
            if a == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, images):
    blobs = [ico_image(img) for img in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w = len(img[0])
        h = len(img)
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)


# --- the pictures ------------------------------------------------------------

def web_picture():
    """94 x 42: screen on the left, globe at the top right, arrow from web to
    host. The lower right quarter stays empty: the dialog's version label
    sits there, over the picture."""
    layers = []
    monitor(layers, 2, 3, 42, 29, 5)
    arrow(layers, 47, 62, 12, 4.0, 5.0)
    globe(layers, 76, 11.5, 10, 1.0)
    return layers


def small_picture(size):
    """Square mark: screen with a small globe in front of its lower right corner."""
    s = size / 31.0
    layers = []
    monitor(layers, 1 * s, 2 * s, 25 * s, 18 * s, 2 if size < 20 else 4)
    globe(layers, 22.5 * s, 21.5 * s, 7.5 * s, 1.0, detailed=False)
    return layers


def main():
    write_bmp24(os.path.join(HERE, 'progress_web.bmp'), keyed_image(web_picture(), 94, 42, (255, 255, 255)))
    write_bmp24(os.path.join(HERE, 'progress_desktop.bmp'), keyed_image(small_picture(31), 31, 31, (255, 0, 0)))
    write_ico(os.path.join(HERE, 'wevelink.ico'), [alpha_image(small_picture(32), 32, 32),
                                                   alpha_image(small_picture(16), 16, 16)])


if __name__ == '__main__':
    main()
