#!/usr/bin/env python3
"""Draws examples/sample-map.png: a top-down sketch of a small level with two
marked reference points. Standard library only; run from anywhere:

    python3 examples/make_sample_map.py
"""
import os
import struct
import zlib

WIDTH, HEIGHT = 640, 480
# The two reference points, in picture pixels; examples/README.md gives their
# world coordinates.
POINT1 = (120, 90)
POINT2 = (520, 390)

PAPER = (236, 229, 212)
GRID = (220, 212, 192)
WALL = (70, 66, 60)
FLOOR = (196, 188, 168)
WATER = (96, 140, 190)
DOOR = (150, 110, 60)
MARK = (210, 30, 30)

# 5 x 7 glyphs for the marker numbers.
GLYPHS = {
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
}

pixels = [[PAPER] * WIDTH for _ in range(HEIGHT)]


def fill(x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(HEIGHT, y1)):
        row = pixels[y]
        for x in range(max(0, x0), min(WIDTH, x1)):
            row[x] = colour


def room(x0, y0, x1, y1):
    fill(x0, y0, x1, y1, WALL)
    fill(x0 + 6, y0 + 6, x1 - 6, y1 - 6, FLOOR)


def marker(cx, cy, label):
    for y in range(cy - 14, cy + 15):
        for x in range(cx - 14, cx + 15):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if 100 <= d <= 196:
                pixels[y][x] = MARK
    fill(cx - 20, cy - 1, cx + 21, cy + 2, MARK)
    fill(cx - 1, cy - 20, cx + 2, cy + 21, MARK)
    for gy, bits in enumerate(GLYPHS[label]):
        for gx, bit in enumerate(bits):
            if bit == "1":
                fill(cx + 20 + gx * 3, cy - 34 + gy * 3, cx + 23 + gx * 3, cy - 31 + gy * 3, MARK)


for x in range(0, WIDTH, 32):
    fill(x, 0, x + 1, HEIGHT, GRID)
for y in range(0, HEIGHT, 32):
    fill(0, y, WIDTH, y + 1, GRID)

room(60, 40, 240, 170)      # hall around the first point
room(400, 300, 600, 450)    # vault around the second point
room(300, 60, 560, 200)     # armoury
room(40, 260, 230, 440)     # cellar
fill(234, 96, 306, 126, WALL)   # corridor hall - armoury
fill(234, 102, 306, 120, FLOOR)
fill(460, 194, 500, 306, WALL)  # corridor armoury - vault
fill(466, 194, 494, 306, FLOOR)
fill(120, 164, 160, 266, WALL)  # corridor hall - cellar
fill(126, 164, 154, 266, FLOOR)
fill(80, 300, 190, 400, WATER)  # flooded cellar
for x0, y0, x1, y1 in [(234, 100, 240, 122), (300, 100, 306, 122), (464, 194, 496, 200),
                       (464, 300, 496, 306), (124, 164, 156, 170), (124, 260, 156, 266)]:
    fill(x0, y0, x1, y1, DOOR)

marker(*POINT1, "1")
marker(*POINT2, "2")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)
png = (b"\x89PNG\r\n\x1a\n"
       + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(raw, 9))
       + chunk(b"IEND", b""))
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample-map.png")
with open(out, "wb") as f:
    f.write(png)
print(f"{out}: {WIDTH} x {HEIGHT}, {len(png)} bytes")
