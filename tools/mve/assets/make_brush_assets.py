#!/usr/bin/env python3
"""Writes the picture brushes of the mve demo (standard library only):

leaf_brush.png   48 x 48 RGBA: a leaf with a soft edge, a darker midrib and
                 fine side veins, transparent around it.
strip_brush.png  160 x 32 RGBA: five 32 x 32 frames (dot, ring, cross,
                 triangle, star), each a different hue, for strip brushes.

Run from this folder: python3 make_brush_assets.py
"""
import math
import struct
import zlib


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples; 8-bit RGBA, no filtering."""
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def clamp(v):
    return max(0, min(255, int(round(v))))


def leaf(size=48):
    rows = []
    c = (size - 1) / 2.0
    for y in range(size):
        row = []
        for x in range(size):
            # Turn by 45 degrees so the leaf lies along the diagonal.
            u = ((x - c) + (y - c)) / math.sqrt(2) / (size * 0.46)  # along the leaf, -1..1
            v = ((x - c) - (y - c)) / math.sqrt(2) / (size * 0.46)  # across
            half = 0.42 * (1 - u * u) * (1 + 0.25 * u)  # half-width of the blade at u
            if abs(u) >= 1 or half <= 0:
                row.append((0, 0, 0, 0))
                continue
            edge = 1 - abs(v) / half  # 1 on the midrib, 0 at the rim
            alpha = clamp(255 * min(1.0, max(0.0, edge * 4)))
            vein = math.exp(-(v / 0.02) ** 2) * 0.5
            side = max(0.0, math.cos((u * 9 + abs(v) * 14) * math.pi)) ** 12 * 0.25 * edge
            shade = 0.75 + 0.25 * edge - vein - side
            row.append((clamp(60 * shade), clamp(150 * shade), clamp(45 * shade), alpha))
        rows.append(row)
    return rows


def frame_mask(kind, x, y, n):
    c = (n - 1) / 2.0
    dx, dy = (x - c) / (n / 2.0), (y - c) / (n / 2.0)
    r = math.hypot(dx, dy)
    if kind == 0:  # dot
        return r < 0.55
    if kind == 1:  # ring
        return 0.5 < r < 0.85
    if kind == 2:  # cross
        return (abs(dx) < 0.2 or abs(dy) < 0.2) and r < 0.9
    if kind == 3:  # triangle pointing up
        return -0.7 < dy < 0.7 and abs(dx) < (dy + 0.7) * 0.6
    a = math.atan2(dy, dx) + math.pi / 2  # five-pointed star, one point up
    return r < 0.4 + 0.5 * max(0.0, math.cos(5 * a)) ** 3


def strip(n=32, frames=5):
    hues = [(230, 60, 50), (240, 170, 40), (70, 180, 80), (60, 120, 230), (170, 70, 200)]
    rows = []
    for y in range(n):
        row = []
        for f in range(frames):
            for x in range(n):
                row.append(hues[f] + (255,) if frame_mask(f, x, y, n) else (0, 0, 0, 0))
        rows.append(row)
    return rows


if __name__ == "__main__":
    write_png("leaf_brush.png", 48, 48, leaf())
    write_png("strip_brush.png", 160, 32, strip())
