"""Small painting helpers shared by the texture generators: seeded tiling noise and colour maths.

Images here are lists of rows of float (r, g, b) triples in 0..1, top row first, until
`to_bytes` turns them into byte tuples for the file writers.
"""

import math
import random


class TilingNoise:
    """Value noise that repeats exactly every `size` pixels in x and y, so textures tile."""

    def __init__(self, size, cells, seed):
        if size % cells:
            raise ValueError("the noise lattice must divide the image size")
        rng = random.Random(seed)
        self.cells = cells
        self.scale = cells / size
        self.lattice = [[rng.random() for _ in range(cells)] for _ in range(cells)]

    def at(self, x, y):
        fx = x * self.scale
        fy = y * self.scale
        x0 = math.floor(fx)
        y0 = math.floor(fy)
        tx = _smooth(fx - x0)
        ty = _smooth(fy - y0)
        n = self.cells
        row0 = self.lattice[y0 % n]
        row1 = self.lattice[(y0 + 1) % n]
        top = row0[x0 % n] + (row0[(x0 + 1) % n] - row0[x0 % n]) * tx
        bottom = row1[x0 % n] + (row1[(x0 + 1) % n] - row1[x0 % n]) * tx
        return top + (bottom - top) * ty


class Fractal:
    """Several octaves of tiling noise, each with twice the lattice cells and half the weight."""

    def __init__(self, size, base_cells, octaves, seed):
        self.layers = []
        weight = 1.0
        total = 0.0
        for octave in range(octaves):
            cells = base_cells << octave
            if cells > size:
                break
            self.layers.append((TilingNoise(size, cells, seed * 101 + octave), weight))
            total += weight
            weight *= 0.5
        self.total = total

    def at(self, x, y):
        return sum(layer.at(x, y) * w for layer, w in self.layers) / self.total


def _smooth(t):
    return t * t * (3.0 - 2.0 * t)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def scale(c, k):
    return tuple(x * k for x in c)


def hex_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def blank(width, height, colour):
    return [[colour] * width for _ in range(height)]


def to_bytes(image):
    return [[tuple(int(round(clamp(c) * 255.0)) for c in px) for px in row] for row in image]
