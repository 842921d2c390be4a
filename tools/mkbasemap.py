#!/usr/bin/env python3
"""Converts the Natural Earth 1:50m land and country borders into the base map of Kestrun's map.

    tools/mkbasemap.py ATLAS_DIR [-o data/naturalearth-50m.bin]

ATLAS_DIR is the folder of the npm package world-atlas 2.0.2 (for example after
`npm install --no-save world-atlas@2.0.2` in a scratch folder: node_modules/world-atlas). It
reads land-50m.json and countries-50m.json (TopoJSON) and writes one small binary file:

    offset  size  what
    0       6     "KBMAP1"
    6       ...   land: the rings of the land polygons, outer rings and holes alike (a point
                  lies on land when it is inside an odd number of rings)
    ...     ...   borders: the lines between two countries

Each of the two layers is a count of parts followed by the parts; a part is its count of points
followed by the points. Points are whole thousandths of a degree, longitude in [-180000, 180000]
and latitude in [-90000, 90000], each written as the difference from the previous point of the
layer (the first from 0, 0). Counts and differences are unsigned LEB128 numbers (7 bits a byte,
low bits first); a difference d is first turned into 2d for d >= 0 and -2d - 1 for d < 0.

The rings are polygons on the sphere, as world-atlas gives them: each edge is taken the short way
round the globe, so that a ring may cross the 180th meridian, and Antarctica's longitudes wind once
round the South Pole. The program draws the coastline from the land rings, leaving out edges that
run along a pole. Standard library only; the output is the same on every run.
"""

import argparse
import json
import os
import sys

MAGIC = b"KBMAP1"
UNITS_PER_DEGREE = 1000


def decode_arcs(topology):
    """The arcs of a quantized topology as lists of (lon, lat) in whole thousandths of a degree."""
    (sx, sy), (tx, ty) = topology["transform"]["scale"], topology["transform"]["translate"]
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            lon = round((x * sx + tx) * UNITS_PER_DEGREE)
            lat = round((y * sy + ty) * UNITS_PER_DEGREE)
            points.append((max(-180000, min(180000, lon)), max(-90000, min(90000, lat))))
        arcs.append(points)
    return arcs


def arc_points(arcs, index):
    # A negative index ~i is arc i backwards.
    return arcs[index] if index >= 0 else arcs[~index][::-1]


def ring(arcs, indices):
    """A ring from its arcs; consecutive arcs share their joining point, which is kept once."""
    points = []
    for i in indices:
        p = arc_points(arcs, i)
        points.extend(p if not points else p[1:])
    return points


def polygons(geometry):
    if geometry["type"] == "Polygon":
        return [geometry["arcs"]]
    if geometry["type"] == "MultiPolygon":
        return geometry["arcs"]
    return []


def land_rings(topology):
    arcs = decode_arcs(topology)
    rings = []
    for geometry in topology["objects"]["land"]["geometries"]:
        for polygon in polygons(geometry):
            for indices in polygon:
                r = dedupe(ring(arcs, indices))
                if len(r) >= 4:
                    rings.append(r)
    return rings


def border_lines(topology):
    """Arcs that two different countries share: the borders on land, without the coastline."""
    arcs = decode_arcs(topology)
    owners = {}
    for number, geometry in enumerate(topology["objects"]["countries"]["geometries"]):
        for polygon in polygons(geometry):
            for indices in polygon:
                for i in indices:
                    owners.setdefault(i if i >= 0 else ~i, set()).add(number)
    lines = []
    for i in sorted(owners):
        if len(owners[i]) >= 2:
            line = dedupe(arcs[i])
            if len(line) >= 2:
                lines.append(line)
    return lines


def dedupe(points):
    """Consecutive points that fell onto the same thousandth of a degree are kept once."""
    out = []
    for p in points:
        if not out or out[-1] != p:
            out.append(p)
    return out


def uleb(n):
    out = bytearray()
    while True:
        byte = n & 0x7F
        n >>= 7
        if n:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def zigzag(d):
    return 2 * d if d >= 0 else -2 * d - 1


def layer(parts):
    out = bytearray(uleb(len(parts)))
    x = y = 0
    for part in parts:
        out += uleb(len(part))
        for lon, lat in part:
            out += uleb(zigzag(lon - x)) + uleb(zigzag(lat - y))
            x, y = lon, lat
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("atlas", help="folder of the npm package world-atlas 2.0.2")
    parser.add_argument("-o", "--out", default="data/naturalearth-50m.bin")
    args = parser.parse_args()

    with open(os.path.join(args.atlas, "land-50m.json"), encoding="utf-8") as f:
        land = land_rings(json.load(f))
    with open(os.path.join(args.atlas, "countries-50m.json"), encoding="utf-8") as f:
        borders = border_lines(json.load(f))

    data = MAGIC + layer(land) + layer(borders)
    with open(args.out, "wb") as f:
        f.write(data)
    print(
        "%s: %d land rings (%d points), %d border lines (%d points), %d bytes"
        % (
            args.out,
            len(land),
            sum(map(len, land)),
            len(borders),
            sum(map(len, borders)),
            len(data),
        ),
        file=sys.stderr,
    )


if __name__ == "__main__":
    main()
