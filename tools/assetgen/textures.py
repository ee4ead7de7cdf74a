"""The game's images, painted from fixed seeds so every run writes the same bytes.

Each painter returns rows of float (r, g, b) or (r, g, b, a) pixels, top row first.
"""

import math
import random

import font5x8
from paint import Fractal, blank, clamp, hex_colour, mix, scale

FONT_SIZE = 512
FONT_CELL = FONT_SIZE // 16
FONT_SCALE_X = 4
FONT_SCALE_Y = 3


def font():
    """A 16x16 grid of white glyphs on black; code c sits in column c % 16, row c // 16 from the top.

    The game turns red into alpha, so black paper is transparent and white ink opaque.
    """
    image = blank(FONT_SIZE, FONT_SIZE, (0.0, 0.0, 0.0))
    glyph_w = font5x8.GLYPH_WIDTH * FONT_SCALE_X
    glyph_h = font5x8.GLYPH_HEIGHT * FONT_SCALE_Y
    left = (FONT_CELL - glyph_w) // 2
    top = (FONT_CELL - glyph_h) // 2
    for code in range(256):
        cell_x = (code % 16) * FONT_CELL + left
        cell_y = (code // 16) * FONT_CELL + top
        for gy, row in enumerate(font5x8.glyph(code)):
            for gx, ink in enumerate(row):
                if not ink:
                    continue
                for dy in range(FONT_SCALE_Y):
                    line = image[cell_y + gy * FONT_SCALE_Y + dy]
                    for dx in range(FONT_SCALE_X):
                        line[cell_x + gx * FONT_SCALE_X + dx] = (1.0, 1.0, 1.0)
    return image


def white_pixel():
    return [[(1.0, 1.0, 1.0)]]


GRASS_SIZE = 32


def grass():
    """Short meadow grass that tiles seamlessly.

    One tile covers one ground cell and the same tile repeats across the whole field, so any
    blotch the size of the tile would show as a grid: the variation stays fine-grained and
    low in contrast, and the blades do the rest.
    """
    size = GRASS_SIZE
    fine = Fractal(size, 8, 2, seed=11)
    deep = hex_colour("4c8a2c")
    light = hex_colour("6ea83c")
    image = []
    for y in range(size):
        row = []
        for x in range(size):
            row.append(mix(deep, light, clamp((fine.at(x, y) - 0.5) * 1.4 + 0.5)))
        image.append(row)
    rng = random.Random(13)
    for _ in range(70):
        # A blade: a short, slightly leaning stroke, either a lit tip or a shadowed gap.
        x = rng.randrange(size)
        y = rng.randrange(size)
        length = rng.randint(2, 3)
        lean = rng.choice((-1, 0, 0, 1))
        lit = rng.random() < 0.55
        for k in range(length):
            px = (x + (lean * k) // 2) % size
            py = (y - k) % size
            shade = 1.0 + (0.14 if lit else -0.16) * (k + 1) / length
            image[py][px] = scale(image[py][px], shade)
    return image


WALL_SIZE = 64
WALL_COURSE = 16


def wall():
    """Dressed stone in four courses of uneven blocks with mortar joints; tiles both ways.

    Read with nearest filtering, so every block carries a one-pixel lit top edge and a
    shaded bottom edge instead of relying on smooth gradients.
    """
    size = WALL_SIZE
    rng = random.Random(21)
    grain = Fractal(size, 4, 3, seed=22)
    mortar = hex_colour("4a4540")
    stones = [hex_colour(c) for c in ("a39c8e", "978f80", "aca394", "8c8578", "b0a898")]
    image = blank(size, size, mortar)
    for course in range(size // WALL_COURSE):
        y0 = course * WALL_COURSE
        # Cut the course into blocks 12..26 pixels long that add up to one full width.
        cuts = []
        x = rng.randrange(size)
        start = x
        while True:
            x += rng.randint(12, 26)
            if x - start > size - 12:
                break
            cuts.append(x)
        cuts.append(start + size)
        left = start
        for right in cuts:
            base = rng.choice(stones)
            tint = 0.92 + 0.16 * rng.random()
            for yy in range(y0 + 1, y0 + WALL_COURSE - 1):
                for xx in range(left + 1, right - 1):
                    px = xx % size
                    g = grain.at(px, yy)
                    c = scale(base, tint * (0.84 + 0.3 * g))
                    if yy == y0 + 1:
                        c = scale(c, 1.18)
                    elif yy == y0 + WALL_COURSE - 2:
                        c = scale(c, 0.72)
                    elif xx == left + 1:
                        c = scale(c, 1.08)
                    elif xx == right - 2:
                        c = scale(c, 0.82)
                    image[yy][px] = c
            # A few chips and cracks so the blocks do not look cast.
            for _ in range(rng.randint(1, 3)):
                cx = rng.randrange(left + 2, right - 2) % size
                cy = rng.randrange(y0 + 3, y0 + WALL_COURSE - 3)
                image[cy][cx] = scale(image[cy][cx], 0.7)
                image[cy + 1][(cx + 1) % size] = scale(image[cy + 1][(cx + 1) % size], 0.8)
            left = right
    return image


STARS_SIZE = 512
STAR_STRETCH = 1.8  # vertical over horizontal extent of a star glow


def stars():
    """A night sky that tiles seamlessly: faint nebula clouds, a dust of small stars, a few bright ones.

    The sky is a plane seen at a grazing angle, which squeezes it vertically about threefold,
    so the brighter stars are painted taller than wide to read rounder on screen.
    """
    size = STARS_SIZE
    clouds = Fractal(size, 4, 5, seed=31)
    hue = Fractal(size, 2, 3, seed=32)
    night = hex_colour("070a1a")
    violet = hex_colour("3a1f5c")
    teal = hex_colour("123f58")
    image = []
    for y in range(size):
        row = []
        for x in range(size):
            density = clamp((clouds.at(x, y) - 0.45) * 2.6)
            density *= density
            tone = mix(violet, teal, clamp((hue.at(x, y) - 0.3) * 2.5))
            row.append(mix(night, tone, density * 0.55))
        image.append(row)
    rng = random.Random(33)
    tints = [hex_colour(c) for c in ("ffffff", "ffffff", "cfdcff", "fff1d0", "ffd6b0", "d8e8ff")]

    def add(x, y, colour, amount):
        px = x % size
        py = y % size
        image[py][px] = tuple(min(1.0, a + b * amount) for a, b in zip(image[py][px], colour))

    for _ in range(650):
        add(rng.randrange(size), rng.randrange(size), rng.choice(tints), 0.25 + 0.5 * rng.random() ** 2)
    for _ in range(140):
        # Medium stars: a bright core with a soft, vertically stretched glow.
        x = rng.randrange(size)
        y = rng.randrange(size)
        colour = rng.choice(tints)
        brightness = 0.6 + 0.4 * rng.random()
        for dy in range(-3, 4):
            for dx in range(-1, 2):
                r2 = dx * dx + (dy / STAR_STRETCH) ** 2
                add(x + dx, y + dy, colour, brightness * math.exp(-r2 * 1.6))
    for _ in range(18):
        # Bright stars with short diffraction spikes.
        x = rng.randrange(size)
        y = rng.randrange(size)
        colour = rng.choice(tints)
        for dy in range(-9, 10):
            for dx in range(-4, 5):
                r2 = dx * dx + (dy / STAR_STRETCH) ** 2
                glow = math.exp(-r2 * 0.9)
                spike = 0.0
                if dx == 0:
                    spike = 0.5 * math.exp(-abs(dy) / 4.0)
                elif dy == 0:
                    spike = 0.5 * math.exp(-abs(dx) / 1.6)
                add(x + dx, y + dy, colour, min(1.0, glow + spike))
    return image


ROAD_SIZE = 64


def road():
    """Asphalt with white edge lines and a dashed yellow centre line, running up the image (RGBA)."""
    size = ROAD_SIZE
    grit = Fractal(size, 8, 3, seed=41)
    rng = random.Random(42)
    asphalt = hex_colour("3c3d40")
    image = []
    for y in range(size):
        row = []
        for x in range(size):
            c = scale(asphalt, 0.82 + 0.36 * grit.at(x, y) + 0.08 * (rng.random() - 0.5))
            if 4 <= x < 7 or size - 7 <= x < size - 4:
                c = mix(c, (0.92, 0.92, 0.9), 0.9)
            elif size // 2 - 2 <= x < size // 2 + 2 and (y // 8) % 2 == 0:
                c = mix(c, hex_colour("f2c230"), 0.9)
            row.append(c + (1.0,))
        image.append(row)
    return image
