#!/usr/bin/env python3
"""Writes the game's generated assets into a data directory (by default the repository's data/).

    python3 tools/assetgen/assetgen.py [--out DIR] [--icons DIR] [--windows DIR] [--web DIR]

The desktop icons, which the game itself never reads, go to packaging/linux/ (or --icons DIR);
the same artwork at the sizes Windows shows, in one icon file, to packaging/windows/ (or
--windows DIR); the browser edition's icons to web/ (or --web DIR).

Everything is painted or built from fixed seeds, so two runs write identical files. Only the
Python standard library is used. The shaders are written by hand and are not touched here.
"""

import argparse
import json
import os
import sys

import icon
import imagefiles
import meshes
import sounds
import textures
from paint import to_bytes

IMAGES = [
    # path under the data directory, painter, file kind
    ("font.bmp.fnt", textures.font, "bmp"),
    ("road6.png", textures.road, "png"),
    ("wall.bmp", textures.wall, "bmp"),
    ("grass.bmp", textures.grass, "bmp"),
    ("whitepixel.bmp", textures.white_pixel, "bmp"),
    ("sky/stars/stars.bmp", textures.stars, "bmp"),
]

DOCUMENTS = [
    ("quad.json", meshes.quad),
    ("quadBackground.json", meshes.quad_background),
    ("meshes/display/tree.json", meshes.tree),
    ("meshes/display/wall.json", meshes.wall),
    ("meshes/colliders/quadCollider.json", meshes.quad_collider),
]


# The icon at each size the desktop's icon theme gets: file name under the icons folder, size.
ICONS = [("zorbel-%d.png" % size, size) for size in icon.SIZES]

# The browser edition's icons, named by its web app manifest.
WEB_ICONS = [("zorbel-%d.png" % size, size) for size in icon.WEB_SIZES]

# The program's icon on Windows: one file, every size from the small one of a title bar up to
# the large one of a folder view, so that Windows never scales one.
WINDOWS_ICON = "zorbel.ico"


def json_text(document):
    """Plain JSON with one list element per line: small diffs, still easy to read."""
    def render(value, indent):
        pad = "  " * indent
        if isinstance(value, dict) and any(isinstance(v, (dict, list)) for v in value.values()):
            items = ",\n".join("%s  %s: %s" % (pad, json.dumps(k), render(v, indent + 1)) for k, v in value.items())
            return "{\n%s\n%s}" % (items, pad)
        if isinstance(value, list) and value:
            items = ",\n".join("%s  %s" % (pad, render(v, indent + 1)) for v in value)
            return "[\n%s\n%s]" % (items, pad)
        return json.dumps(value, separators=(", ", ": "))
    return render(document, 0) + "\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (path, len(data)))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "data"), help="data directory to write into")
    parser.add_argument("--icons", default=os.path.join(here, "..", "..", "packaging", "linux"),
                        help="folder to write the desktop icons into")
    parser.add_argument("--windows", default=os.path.join(here, "..", "..", "packaging", "windows"),
                        help="folder to write the Windows icon into")
    parser.add_argument("--web", default=os.path.join(here, "..", "..", "web"),
                        help="folder to write the browser edition's icons into")
    parser.add_argument("--only", action="append", help="write just this file (path under its folder)")
    args = parser.parse_args(argv)
    out = os.path.normpath(args.out)
    wanted = set(args.only or [])
    for name, painter, kind in IMAGES:
        if wanted and name not in wanted:
            continue
        pixels = to_bytes(painter())
        data = imagefiles.bmp24_bytes(pixels) if kind == "bmp" else imagefiles.png_rgba_bytes(pixels)
        write(os.path.join(out, name), data)
    for name, builder in DOCUMENTS:
        if wanted and name not in wanted:
            continue
        write(os.path.join(out, name), json_text(builder()).encode("ascii"))
    for name, generator, _ in sounds.SOUNDS:
        if wanted and name not in wanted:
            continue
        write(os.path.join(out, name), sounds.wav_bytes(*generator()))
    for name, size in ICONS:
        if wanted and name not in wanted:
            continue
        write(os.path.join(os.path.normpath(args.icons), name), imagefiles.png_rgba_bytes(to_bytes(icon.icon(size))))
    for name, size in WEB_ICONS:
        if wanted and name not in wanted:
            continue
        write(os.path.join(os.path.normpath(args.web), name),
              imagefiles.png_rgba_bytes(to_bytes(icon.icon(size))))
    if not wanted or WINDOWS_ICON in wanted:
        images = [to_bytes(icon.icon(size)) for size in icon.WINDOWS_SIZES]
        write(os.path.join(os.path.normpath(args.windows), WINDOWS_ICON), imagefiles.ico_bytes(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
