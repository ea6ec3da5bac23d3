#!/usr/bin/env python3
"""Writes examples/sample-level.map: the level that examples/sample-map.png
sketches, in the Quake 3 / Enemy Territory .map format. Each picture pixel
is 4 world units, and the picture's top-left corner lies at world
(-1024, 768). Standard library only; run from anywhere:

    python3 examples/make_sample_level.py
"""
import os

WALL = 6  # pixels

ROOMS = [(60, 40, 240, 170),     # hall around the first point
         (400, 300, 600, 450),   # vault around the second point
         (300, 60, 560, 200),    # armoury
         (40, 260, 230, 440)]    # cellar
# Corridors: their outer rectangle and whether they run across (x) or down (y).
CORRIDORS = [((234, 96, 306, 126), "x"), ((460, 194, 500, 306), "y"), ((120, 164, 160, 266), "y")]
DOORS = [(234, 100, 240, 122), (300, 100, 306, 122), (464, 194, 496, 200),
         (464, 300, 496, 306), (124, 164, 156, 170), (124, 260, 156, 266)]
WATER = (80, 300, 190, 400)


def world(px, py):
    return -1024 + 4 * px, 768 - 4 * py


def box(x0, y0, x1, y1, z0, z1, texture):
    """An axis-aligned brush over picture pixels x0..x1, y0..y1."""
    (wx0, wy1), (wx1, wy0) = world(x0, y0), world(x1, y1)
    lo, hi = (wx0, wy0, z0), (wx1, wy1, z1)
    faces = []
    # Each face: a corner on its plane and two axes whose cross product points
    # out of the brush, as (p0 - p1) x (p2 - p1) does in the format.
    for corner, u, v in [(hi, (1, 0, 0), (0, 1, 0)), (lo, (0, 1, 0), (1, 0, 0)),
                         (hi, (0, 1, 0), (0, 0, 1)), (lo, (0, 0, 1), (0, 1, 0)),
                         (hi, (0, 0, 1), (1, 0, 0)), (lo, (1, 0, 0), (0, 0, 1))]:
        p1 = corner
        p0 = tuple(c + 64 * a for c, a in zip(corner, u))
        p2 = tuple(c + 64 * a for c, a in zip(corner, v))
        points = " ".join("( %d %d %d )" % p for p in (p0, p1, p2))
        faces.append(f"{points} {texture} 0 0 0 0.5 0.5 0 0 0")
    return "{\n" + "\n".join(faces) + "\n}\n"


def cut(x0, y0, x1, y1):
    """The wall rectangle without the door openings that cross it."""
    pieces = [(x0, y0, x1, y1)]
    for dx0, dy0, dx1, dy1 in DOORS:
        rest = []
        for a0, b0, a1, b1 in pieces:
            if dx1 <= a0 or dx0 >= a1 or dy1 <= b0 or dy0 >= b1:
                rest.append((a0, b0, a1, b1))
            elif a1 - a0 > b1 - b0:  # runs across: split along x
                rest += [r for r in [(a0, b0, dx0, b1), (dx1, b0, a1, b1)] if r[2] > r[0]]
            else:
                rest += [r for r in [(a0, b0, a1, dy0), (a0, dy1, a1, b1)] if r[3] > r[1]]
        pieces = rest
    return pieces


walls = []
for x0, y0, x1, y1 in ROOMS:
    walls += [(x0, y0, x1, y0 + WALL), (x0, y1 - WALL, x1, y1),
              (x0, y0 + WALL, x0 + WALL, y1 - WALL), (x1 - WALL, y0 + WALL, x1, y1 - WALL)]
for (x0, y0, x1, y1), way in CORRIDORS:
    walls += ([(x0, y0, x1, y0 + WALL), (x0, y1 - WALL, x1, y1)] if way == "x"
              else [(x0, y0, x0 + WALL, y1), (x1 - WALL, y0, x1, y1)])

world_brushes = [box(*piece, 0, 128, "ET_common/wall") for wall in walls for piece in cut(*wall)]
world_brushes += [box(*room, -16, 0, "ET_common/floor") for room in ROOMS]
world_brushes += [box(*c, -16, 0, "ET_common/floor") for c, _ in CORRIDORS]
world_brushes.append(box(*WATER, -16, -4, "liquids/water"))
# Tool brushes, which the overlay leaves out: a sky over all, a clip in the hall.
world_brushes.append(box(40, 20, 620, 460, 256, 272, "skies/sky_01"))
world_brushes.append(box(80, 60, 100, 80, 0, 128, "common/clip"))

out = ['// Sample level for Vellamor, written by make_sample_level.py\n',
       '// entity 0\n{\n"classname" "worldspawn"\n"message" "Sample level"\n']
out += [f"// brush {i}\n{b}" for i, b in enumerate(world_brushes)]
out.append("}\n")
for i, door in enumerate(DOORS):
    out.append('{\n"classname" "func_door"\n"angle" "-1"\n' + box(*door, 0, 112, "ET_common/door") + "}\n")
for classname, (px, py) in [("info_player_deathmatch", (90, 120)), ("team_CTF_redflag", (560, 420)),
                            ("weapon_panzerfaust", (430, 130)), ("light", (135, 350))]:
    x, y = world(px, py)
    out.append(f'{{\n"classname" "{classname}"\n"origin" "{x} {y} 24"\n}}\n')

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample-level.map")
with open(path, "w", newline="\n") as f:
    f.write("".join(out))
print(f"{path}: {len(world_brushes)} world brushes, {len(DOORS)} doors")
