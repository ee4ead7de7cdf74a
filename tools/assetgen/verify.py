#!/usr/bin/env python3
"""Checks the committed data directory against what the game's loaders expect of it.

    python3 tools/assetgen/verify.py [--data DIR]

BMPs: 24-bit, uncompressed, bottom-up, 40-byte information header, pixels at offset 54, rows
padded to 4 bytes, image size field matching. The PNG: 8-bit RGBA, decodable. Meshes: the four
lists agree, indices fit, and side faces wind counter-clockwise seen from outside. The collider:
four corners and four segments. Prints one line per file; exits 1 on the first class of failure.
"""

import argparse
import json
import os
import struct
import sys
import zlib

BMPS = {
    # path: the sizes it may have (None: any, within LIMITS)
    "font.bmp.fnt": {(256, 256), (512, 512)},
    "wall.bmp": None,
    "grass.bmp": None,
    "whitepixel.bmp": {(1, 1)},
    "sky/stars/stars.bmp": None,
}
LIMITS = {"wall.bmp": 128, "grass.bmp": 128, "sky/stars/stars.bmp": 512}
MESHES = ["quad.json", "quadBackground.json", "meshes/display/tree.json", "meshes/display/wall.json"]
SHADERS = ["basic-fixed", "conveyor-map", "gameover-fixed"]


class Failure(Exception):
    pass


def check_bmp(path, name):
    data = open(path, "rb").read()
    if len(data) < 54 or data[:2] != b"BM":
        raise Failure("not a BMP")
    file_size, offset = struct.unpack_from("<I4xI", data, 2)
    header, width, height, planes, bpp, compression, image_size = struct.unpack_from("<IiiHHII", data, 14)
    if offset != 54 or header != 40 or planes != 1 or bpp != 24 or compression != 0:
        raise Failure("offset %d, header %d, %d bpp, compression %d" % (offset, header, bpp, compression))
    if width <= 0 or height <= 0:
        raise Failure("size %dx%d is not a bottom-up image" % (width, height))
    row = (width * 3 + 3) & ~3
    if image_size != row * height or len(data) != 54 + image_size or file_size != len(data):
        raise Failure("sizes disagree: image %d, file %d, expected %d" % (image_size, len(data), 54 + row * height))
    allowed = BMPS[name]
    if allowed and (width, height) not in allowed:
        raise Failure("unexpected size %dx%d" % (width, height))
    limit = LIMITS.get(name)
    if limit and (width > limit or height > limit):
        raise Failure("larger than %d pixels" % limit)
    return "%dx%d" % (width, height)


def check_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure("no PNG signature")
    pos = 8
    idat = b""
    ihdr = None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 4:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        if zlib.crc32(body) & 0xFFFFFFFF != crc:
            raise Failure("bad CRC in %s" % kind)
        payload = body[4:]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", payload)
        elif kind == b"IDAT":
            idat += payload
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = ihdr
    if depth != 8 or colour != 6 or interlace != 0:
        raise Failure("not 8-bit RGBA non-interlaced")
    if width > 128 or height > 128:
        raise Failure("larger than 128 pixels")
    raw = zlib.decompress(idat)
    if len(raw) != height * (1 + 4 * width):
        raise Failure("pixel data has %d bytes" % len(raw))
    return "%dx%d RGBA" % (width, height)


def check_mesh(path, name):
    model = json.load(open(path))["model"]
    vertices, uvs, colours, indices = (model[k] for k in ("vertices", "uvs", "colors", "indices"))
    if not (len(vertices) == len(uvs) == len(colours)) or len(vertices) > 65536:
        raise Failure("list lengths disagree")
    p = [(v["x"], v["y"], v["z"]) for v in vertices]
    for c in colours:
        if not all(0.0 <= c[k] <= 1.0 for k in "rgb"):
            raise Failure("colour outside 0..1")
    for t in indices:
        a, b, c = t["a"], t["b"], t["c"]
        if max(a, b, c) >= len(p):
            raise Failure("index past the vertex list")
        e1 = [p[b][i] - p[a][i] for i in range(3)]
        e2 = [p[c][i] - p[a][i] for i in range(3)]
        n = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
        centre = [(p[a][i] + p[b][i] + p[c][i]) / 3 for i in range(3)]
        if name.endswith("quad.json") or name.endswith("Background.json"):
            if n[2] <= 0:
                raise Failure("a quad triangle does not face +z")
            continue
        # Standing meshes are built around the vertical axis through (0.5, 0.5): a face that
        # leans sideways must lean away from that axis.
        radial = (centre[0] - 0.5) * n[0] + (centre[1] - 0.5) * n[1]
        horizontal = (n[0] ** 2 + n[1] ** 2) ** 0.5
        if horizontal > 1e-6 * (n[2] ** 2 + horizontal ** 2) ** 0.5 and radial <= 0:
            raise Failure("triangle %d %d %d faces inward" % (a, b, c))
    return "%d vertices, %d triangles" % (len(p), len(indices))


def check_collider(path):
    collider = json.load(open(path))["collider"]
    vertices, segments = collider["vertices"], collider["indices"]
    if len(vertices) != 4 or len(segments) != 4 or collider["circles"] != []:
        raise Failure("expected 4 vertices, 4 segments and no circles")
    if any(max(s["a"], s["b"]) >= 4 for s in segments):
        raise Failure("segment end past the vertex list")
    return "4 segments"


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(here, "..", "..", "data"))
    args = parser.parse_args(argv)
    data = os.path.normpath(args.data)
    checks = [(name, lambda path, n=name: check_bmp(path, n)) for name in BMPS]
    checks.append(("road6.png", check_png))
    checks += [(name, lambda path, n=name: check_mesh(path, n)) for name in MESHES]
    checks.append(("meshes/colliders/quadCollider.json", check_collider))
    checks += [("shaders/%s.%s" % (s, ext), lambda path: "%d bytes" % os.path.getsize(path))
               for s in SHADERS for ext in ("vert", "frag")]
    failed = False
    for name, check in checks:
        path = os.path.join(data, name)
        try:
            print("ok    %-36s %s" % (name, check(path)))
        except (Failure, OSError, ValueError, KeyError, TypeError) as error:
            print("FAIL  %-36s %s" % (name, error))
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
