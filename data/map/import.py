#!/usr/bin/env python3
"""Turns Natural Earth GeoJSON layers into the map's compact base-map files.

Usage: data/map/import.py NATURAL_EARTH_FOLDER [OUT_FOLDER]

Writes world-110m.zmap and world-50m.zmap. Each file is "ZMAP" and a version byte, then a layer
count byte and per layer: a kind byte, the ring count and every ring as its point count and
points (counts as unsigned varints). Points are thousandths of a degree (longitude, latitude),
the first one from zero and each further one from the point before it, as zigzag varints. Consecutive points that round to
the same thousandth are dropped, so a ring keeps at least two points.
"""
import gzip
import json
import os
import sys

# Kind bytes, in drawing order.
LAYERS = [
    (0, "land"),
    (1, "lakes"),
    (2, "coastline"),
    (3, "admin_0_boundary_lines_land"),
    (4, "admin_1_states_provinces_lines"),
]


def read_geojson(folder, scale, name):
    base = os.path.join(folder, f"ne_{scale}_{name}.json")
    if os.path.exists(base):
        with open(base, "rb") as f:
            return json.load(f)
    with gzip.open(base + ".gz", "rb") as f:
        return json.load(f)


def rings_of(geometry):
    kind = geometry["type"]
    coords = geometry["coordinates"]
    if kind == "LineString":
        return [coords]
    if kind in ("MultiLineString", "Polygon"):
        return coords
    if kind == "MultiPolygon":
        return [ring for polygon in coords for ring in polygon]
    return []


def varint(value, out):
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return


def zigzag(value, out):
    varint((value << 1) ^ (value >> 63), out)


def encode(rings):
    out = bytearray()
    kept = []
    for ring in rings:
        points = []
        for lon, lat, *_ in ring:
            p = (round(max(-180.0, min(180.0, lon)) * 1000), round(lat * 1000))
            if not points or points[-1] != p:
                points.append(p)
        if len(points) >= 2:
            kept.append(points)
    varint(len(kept), out)
    for points in kept:
        varint(len(points), out)
        px, py = 0, 0
        for x, y in points:
            zigzag(x - px, out)
            zigzag(y - py, out)
            px, py = x, y
    return out


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    out_folder = sys.argv[2] if len(sys.argv) > 2 else os.path.dirname(os.path.abspath(__file__))
    for scale in ("110m", "50m"):
        body = bytearray(b"ZMAP\x01")
        body.append(len(LAYERS))
        for kind, name in LAYERS:
            collection = read_geojson(folder, scale, name)
            rings = [r for f in collection["features"] if f.get("geometry")
                     for r in rings_of(f["geometry"])]
            body.append(kind)
            body += encode(rings)
        path = os.path.join(out_folder, f"world-{scale}.zmap")
        with open(path, "wb") as f:
            f.write(body)
        print(f"{path}: {len(body)} bytes")


if __name__ == "__main__":
    main()
