#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

vesk.ico (resource 131): a blue rounded square with a white power symbol,
the program and its notification-area icon.
warning.ico (resource 132): an amber rounded square with a white clock whose
hands stand at five to the hour, the shutdown warning.

Each file holds 16, 20, 24, 32, 40, 48 and 64 pixel images, 32-bit with alpha.
Shapes are described in a 0..1 square and sampled 4x4 per pixel, so edges
are smooth at every size. Run: python3 make_icons.py (writes beside itself).
"""
import math
import os
import struct

SIZES = (16, 20, 24, 32, 40, 48, 64)
SAMPLES = 4


def rounded_square(x, y, radius=0.2, margin=0.03):
    lo, hi = margin, 1 - margin
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def ring(x, y, cx, cy, r_out, r_in):
    d = math.hypot(x - cx, y - cy)
    return r_in <= d <= r_out


def segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return math.hypot(x - px, y - py) <= width / 2


def power_icon(x, y):
    """Returns (r, g, b) or None for transparent."""
    if not rounded_square(x, y):
        return None
    # Power symbol: an open ring and a bar through its gap.
    angle = math.degrees(math.atan2(x - 0.5, 0.54 - y))  # 0 = straight up
    in_ring = ring(x, y, 0.5, 0.54, 0.30, 0.20) and abs(angle) > 38
    in_bar = segment(x, y, 0.5, 0.17, 0.5, 0.50, 0.10)
    if in_ring or in_bar:
        return (255, 255, 255)
    return (0x19, 0x74, 0xF0)


def warning_icon(x, y):
    if not rounded_square(x, y):
        return None
    if ring(x, y, 0.5, 0.5, 0.36, 0.28):
        return (255, 255, 255)
    # Hands at 11:55: the long minute hand on the eleven, the short hour hand
    # just short of twelve.
    minute = math.radians(-30)
    hour = math.radians(-2.5)
    if segment(x, y, 0.5, 0.5, 0.5 + 0.24 * math.sin(minute), 0.5 - 0.24 * math.cos(minute), 0.07):
        return (255, 255, 255)
    if segment(x, y, 0.5, 0.5, 0.5 + 0.16 * math.sin(hour), 0.5 - 0.16 * math.cos(hour), 0.09):
        return (255, 255, 255)
    return (0xE6, 0x7E, 0x22)


def render(shape, size):
    """Rows top to bottom of (b, g, r, a) tuples."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = shape((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if colour:
                        hits += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if hits:
                r, g, b = (round(c / hits) for c in acc)
                row.append((b, g, r, round(255 * hits / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(rows, size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # all zero: alpha decides
    return header + pixels + mask


def write_ico(path, shape):
    images = [(size, dib(render(shape, size), size)) for size in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, 'vesk.ico'), power_icon)
    write_ico(os.path.join(here, 'warning.ico'), warning_icon)
