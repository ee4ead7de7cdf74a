"""The game's desktop icon: the little round world under its star sky, on a rounded tile.

Painted by sampling a small scene in unit coordinates (0..1, y down) at 4x4 points per pixel,
so every size is drawn for itself with smooth edges instead of being scaled from another.
"""

import math
import random

from paint import hex_colour, mix

SIZES = (48, 128, 256)  # the desktop's icon theme
WINDOWS_SIZES = (16, 24, 32, 48, 64, 256)  # title bar and taskbar up to the largest folder view
WEB_SIZES = (192, 512)  # the browser edition's web app manifest: home screen and splash
SUBSAMPLES = 4

TILE_INSET = 0.03
TILE_CORNER = 0.18
PLANET_CENTRE = (0.5, 1.08)
PLANET_RADIUS = 0.64  # its top, the horizon, at y = 0.44
TREE_ANGLES = (-31.0, -10.0, 11.0, 31.0)  # degrees from straight up, on the rim

SKY_TOP = hex_colour("070a1a")
SKY_HORIZON = hex_colour("25306a")
GRASS_LIT = hex_colour("7bb844")
GRASS_SHADE = hex_colour("2c5a1a")
FIR_LIT = hex_colour("2f7a34")
FIR_SHADE = hex_colour("1a4a24")
TRUNK = hex_colour("5a3a22")


def _stars():
    rng = random.Random(51)
    stars = []
    while len(stars) < 14:
        x, y = 0.1 + 0.8 * rng.random(), 0.08 + 0.32 * rng.random()
        if all((x - sx) ** 2 + (y - sy) ** 2 > 0.012 for sx, sy, _ in stars):
            stars.append((x, y, 0.012 + 0.012 * rng.random()))
    return stars


STARS = _stars()


def _in_tile(x, y):
    lo, hi = TILE_INSET, 1.0 - TILE_INSET
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + TILE_CORNER), hi - TILE_CORNER)
    cy = min(max(y, lo + TILE_CORNER), hi - TILE_CORNER)
    return (x - cx) ** 2 + (y - cy) ** 2 <= TILE_CORNER ** 2


def _fir(x, y, angle):
    """The colour of a fir standing outward on the rim at this angle, or None off the tree."""
    a = math.radians(angle)
    out = (math.sin(a), -math.cos(a))
    bx = PLANET_CENTRE[0] + (PLANET_RADIUS - 0.01) * out[0]
    by = PLANET_CENTRE[1] + (PLANET_RADIUS - 0.01) * out[1]
    along = (x - bx) * out[0] + (y - by) * out[1]
    across = (x - bx) * -out[1] + (y - by) * out[0]
    if 0.0 <= along < 0.05 and abs(across) < 0.014:
        return TRUNK
    # Two stacked cones, the upper one narrower.
    for start, height, half_width in ((0.035, 0.13, 0.06), (0.1, 0.12, 0.045)):
        t = (along - start) / height
        if 0.0 <= t <= 1.0 and abs(across) <= half_width * (1.0 - t):
            return FIR_LIT if across < 0 else FIR_SHADE
    return None


def _sample(x, y):
    if not _in_tile(x, y):
        return None
    for angle in TREE_ANGLES:
        fir = _fir(x, y, angle)
        if fir is not None:
            return fir
    dx, dy = x - PLANET_CENTRE[0], y - PLANET_CENTRE[1]
    distance = math.hypot(dx, dy)
    if distance <= PLANET_RADIUS:
        # Lit from the upper left; darker towards the rim, where the ground turns away.
        rim = (distance / PLANET_RADIUS) ** 3
        light = 0.5 + 0.5 * max(0.0, (-dx * 0.6 - dy * 0.8) / max(distance, 1e-6))
        return mix(GRASS_SHADE, GRASS_LIT, max(0.0, min(1.0, light * (1.0 - 0.8 * rim))))
    colour = mix(SKY_TOP, SKY_HORIZON, max(0.0, min(1.0, (y - 0.05) / 0.45)))
    for sx, sy, radius in STARS:
        r2 = ((x - sx) ** 2 + (y - sy) ** 2) / (radius * radius)
        if r2 < 1.0:
            colour = mix(colour, (1.0, 1.0, 0.92), 1.0 - r2)
    return colour


def icon(size):
    """A size x size RGBA image, transparent outside the rounded tile."""
    step = 1.0 / (size * SUBSAMPLES)
    image = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0.0
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    colour = _sample((px * SUBSAMPLES + sx + 0.5) * step, (py * SUBSAMPLES + sy + 0.5) * step)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1.0
            if covered == 0.0:
                row.append((0.0, 0.0, 0.0, 0.0))
            else:
                row.append((r / covered, g / covered, b / covered, covered / SUBSAMPLES ** 2))
        image.append(row)
    return image
