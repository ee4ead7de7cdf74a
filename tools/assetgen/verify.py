#!/usr/bin/env python3
"""Checks the committed data directory against what the game's loaders expect of it.

    python3 tools/assetgen/verify.py [--data DIR]

BMPs: 24-bit, uncompressed, bottom-up, 40-byte information header, pixels at offset 54, rows
padded to 4 bytes, image size field matching. The PNG: 8-bit RGBA, decodable. Meshes: the four
lists agree, indices fit, and side faces wind counter-clockwise seen from outside. The collider:
four corners and four segments. Sounds: mono 16-bit PCM WAV with the canonical header,
peaks at most -3 dBFS, one-shots starting and ending at silence, loops running from their end
into their start with no step larger than 99 in 100 of the steps inside, the loops within 2 dB
of -20 dBFS RMS. Prints one line per file; exits 1 on the first class of failure.
"""

import argparse
import json
import math
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
SHADERS = ["basic-fixed", "conveyor-map", "gameover-fixed", "score-display"]
# path: (sample rate, whether it loops, its RMS level in dBFS when that is held to a range)
SOUNDS = {
    "sounds/ambient.wav": (8000, True, (-22.0, -18.0)),
    "sounds/gusts.wav": (16000, True, (-22.0, -18.0)),
    "sounds/movement.wav": (22050, True, (-22.0, -18.0)),
    "sounds/chime.wav": (22050, False, None),
    "sounds/switch.wav": (22050, False, None),
    "sounds/pause.wav": (22050, False, None),
    "sounds/resume.wav": (22050, False, None),
}
PEAK_LIMIT = round(32767 * 10 ** (-3 / 20))


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


def check_wav(path, name):
    data = open(path, "rb").read()
    if len(data) < 46 or data[:4] != b"RIFF" or data[8:16] != b"WAVEfmt ":
        raise Failure("not a canonical WAV file")
    riff_size, fmt_size, tag, channels, rate, byte_rate, block, bits = struct.unpack_from("<I4x4xIHHIIHH", data, 4)
    if fmt_size != 16 or tag != 1 or channels != 1 or bits != 16 or block != 2 or byte_rate != rate * 2:
        raise Failure("format %d, %d channels, %d bits, block %d (mono 16-bit PCM expected)" % (tag, channels, bits, block))
    if data[36:40] != b"data":
        raise Failure("no data chunk at offset 36")
    (data_size,) = struct.unpack_from("<I", data, 40)
    if riff_size != len(data) - 8 or data_size != len(data) - 44 or data_size == 0 or data_size % 2:
        raise Failure("sizes disagree: RIFF %d, data %d, file %d" % (riff_size, data_size, len(data)))
    expected_rate, loops, rms_range = SOUNDS[name]
    if rate != expected_rate:
        raise Failure("%d Hz (%d expected)" % (rate, expected_rate))
    samples = struct.unpack_from("<%dh" % (data_size // 2), data, 44)
    peak = max(abs(s) for s in samples)
    if peak > PEAK_LIMIT:
        raise Failure("peak %.2f dBFS is above -3" % (20 * math.log10(peak / 32767)))
    steps = [abs(b - a) for a, b in zip(samples, samples[1:])]
    if loops:
        # The step from the last sample back to the first is no larger than 99 in 100 of
        # the steps inside the loop: the seam does not stand out of the sound as a click.
        seam = abs(samples[0] - samples[-1])
        usual = sorted(steps)[len(steps) * 99 // 100]
        if seam > usual:
            raise Failure("the loop seam steps by %d (99%% of the steps inside: up to %d)"
                          % (seam, usual))
    elif abs(samples[0]) > 64 or abs(samples[-1]) > 64:
        raise Failure("starts at %d and ends at %d, not at silence" % (samples[0], samples[-1]))
    rms = 20 * math.log10(math.sqrt(sum(s * s for s in samples) / len(samples)) / 32767)
    if rms_range and not rms_range[0] <= rms <= rms_range[1]:
        raise Failure("RMS %.1f dBFS outside %.0f to %.0f" % (rms, rms_range[0], rms_range[1]))
    return "%d Hz, %.2f s, peak %.1f dBFS, RMS %.1f dBFS%s" % (
        rate, len(samples) / rate, 20 * math.log10(peak / 32767), rms, ", loop" if loops else "")


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
    checks += [(name, lambda path, n=name: check_wav(path, n)) for name in SOUNDS]
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
