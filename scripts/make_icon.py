#!/usr/bin/env python3
"""Draws the program icon (a key cap with a "K") at 16, 32 and 48 pixels and
writes it as src/windows/keyvane.ico. Standard library only, so it runs anywhere:
  python3 scripts/make_icon.py [output.ico]
"""
import math
import os
import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 4  # supersampling per axis, for smooth edges


def rounded_rect_contains(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return math.hypot(x - px, y - py) <= half_width


# Layers in unit coordinates (0..1), painted bottom to top: (test, RGBA).
def shade(x, y):
    layers = [
        (lambda: rounded_rect_contains(x, y, 0.02, 0.02, 0.98, 0.98, 0.18), (32, 64, 128, 255)),
        (lambda: rounded_rect_contains(x, y, 0.12, 0.10, 0.88, 0.80, 0.12), (236, 240, 248, 255)),
        (lambda: near_segment(x, y, 0.36, 0.22, 0.36, 0.68, 0.07), (32, 64, 128, 255)),
        (lambda: near_segment(x, y, 0.38, 0.47, 0.66, 0.22, 0.065), (32, 64, 128, 255)),
        (lambda: near_segment(x, y, 0.45, 0.41, 0.67, 0.68, 0.065), (32, 64, 128, 255)),
    ]
    colour = (0, 0, 0, 0)
    for test, rgba in layers:
        if test():
            colour = rgba
    return colour


def render(size):
    """Returns rows of premultiplication-free BGRA pixels, top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shade((px + (sx + 0.5) / SAMPLES) / size,
                                       (py + (sy + 0.5) / SAMPLES) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if acc[3]:
                r, g, b = (round(c / acc[3]) for c in acc[:3])
            else:
                r = g = b = 0
            row.append((b, g, r, round(alpha)))
        rows.append(row)
    return rows


def icon_image(size):
    """One ICO entry: a 32-bit DIB (height doubled for the AND mask) plus the mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "windows", "keyvane.ico")
    images = [icon_image(s) for s in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
