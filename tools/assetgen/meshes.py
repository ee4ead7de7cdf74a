"""The game's meshes and its collider, as the JSON documents the game loads.

A mesh file holds {"model": {"vertices", "uvs", "colors", "indices"}}, one element per vertex
(or per triangle for "indices"). The game feeds the vertex colour to its shaders and lights
nothing, so faces are flat-shaded here: every face gets its own vertices, coloured by a fixed
light. Front faces wind counter-clockwise seen from outside.
"""

import math

# Light from above, slightly towards the viewer (who looks along +y from low y) and the left.
LIGHT = (-0.35, -0.55, 0.76)
AMBIENT = 0.52


def _normalise(v):
    length = math.sqrt(sum(c * c for c in v))
    return tuple(c / length for c in v)


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


class MeshBuilder:
    def __init__(self):
        self.positions = []
        self.uvs = []
        self.colours = []
        self.triangles = []

    def vertex(self, p, uv, colour):
        self.positions.append(tuple(p))
        self.uvs.append(tuple(uv))
        self.colours.append(tuple(colour))
        return len(self.positions) - 1

    def face(self, points, uvs, base_colour, lit=True):
        """A flat convex polygon, points counter-clockwise seen from its front, fanned from the first."""
        normal = _normalise(_cross(_sub(points[1], points[0]), _sub(points[2], points[0])))
        shade = 1.0
        if lit:
            shade = AMBIENT + (1.0 - AMBIENT) * max(0.0, sum(n * l for n, l in zip(normal, _normalise(LIGHT))))
        colour = tuple(min(1.0, c * shade) for c in base_colour)
        first = [self.vertex(p, uv, colour) for p, uv in zip(points, uvs)]
        for k in range(1, len(first) - 1):
            self.triangles.append((first[0], first[k], first[k + 1]))

    def document(self):
        if len(self.positions) > 65536:
            raise ValueError("too many vertices for 16-bit indices")
        r = lambda v: round(v, 5)
        return {"model": {
            "vertices": [{"x": r(p[0]), "y": r(p[1]), "z": r(p[2])} for p in self.positions],
            "uvs": [{"u": r(t[0]), "v": r(t[1])} for t in self.uvs],
            "colors": [{"r": r(c[0]), "g": r(c[1]), "b": r(c[2])} for c in self.colours],
            "indices": [{"a": a, "b": b, "c": c} for a, b, c in self.triangles],
        }}


def _flat_quad(u_max, v_max):
    """The unit square 0..1 in x and y at z 0, facing +z, with texture coordinates 0..u_max, 0..v_max."""
    m = MeshBuilder()
    corners = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]
    uvs = [(0, 0), (u_max, 0), (u_max, v_max), (0, v_max)]
    m.face(corners, uvs, (1.0, 1.0, 1.0), lit=False)
    return m.document()


def quad():
    return _flat_quad(1, 1)


# The star sky is a 200-unit quad; four repeats keep its stars small without aliasing them away.
BACKGROUND_REPEATS = 4


def quad_background():
    return _flat_quad(BACKGROUND_REPEATS, BACKGROUND_REPEATS)


CENTRE = (0.5, 0.5)  # the sprites' anchor: the foot of every standing object


def _ring(radius, z, sides, phase):
    cx, cy = CENTRE
    return [(cx + radius * math.cos(phase + 2 * math.pi * k / sides),
             cy + radius * math.sin(phase + 2 * math.pi * k / sides), z) for k in range(sides)]


def _prism(m, bottom_radius, top_radius, z0, z1, sides, phase, colour):
    """Side faces of a (possibly tapering) prism; the caps are left to the caller."""
    low = _ring(bottom_radius, z0, sides, phase)
    high = _ring(top_radius, z1, sides, phase)
    for k in range(sides):
        n = (k + 1) % sides
        m.face([low[k], low[n], high[n], high[k]], [(0.5, 0.5)] * 4, colour)


def _cone(m, radius, z0, z1, sides, phase, side_colour, under_colour):
    """A cone standing on a flat underside: side triangles to the apex, then the base polygon."""
    ring = _ring(radius, z0, sides, phase)
    apex = (CENTRE[0], CENTRE[1], z1)
    for k in range(sides):
        n = (k + 1) % sides
        m.face([ring[k], ring[n], apex], [(0.5, 0.5)] * 3, side_colour)
    m.face(list(reversed(ring)), [(0.5, 0.5)] * sides, under_colour, lit=False)


def tree():
    """A low-poly fir: a tapering trunk and three stacked cones, foot at (0.5, 0.5, 0), about 2.6 tall.

    Textured with the white pixel, so every uv is the pixel's centre and the colours do the work.
    """
    m = MeshBuilder()
    # A flat shadow just above the ground, pushed away from the light; high enough above the
    # grass to stay clear of it in a 16-bit depth buffer.
    shadow = _ring(0.5, 0.06, 10, 0.0)
    shadow = [(x + 0.12, y + 0.16, z) for x, y, z in shadow]
    m.face(shadow, [(0.5, 0.5)] * len(shadow), (0.2, 0.36, 0.13), lit=False)
    bark = (0.45, 0.29, 0.16)
    _prism(m, 0.13, 0.09, 0.0, 0.75, 6, 0.3, bark)
    tiers = [
        # radius, base z, apex z, side colour, underside colour
        (0.58, 0.45, 1.55, (0.08, 0.36, 0.2), (0.04, 0.18, 0.1)),
        (0.46, 1.0, 2.1, (0.1, 0.43, 0.23), (0.05, 0.21, 0.11)),
        (0.33, 1.55, 2.6, (0.13, 0.5, 0.26), (0.06, 0.24, 0.12)),
    ]
    for index, (radius, z0, z1, side, under) in enumerate(tiers):
        _cone(m, radius, z0, z1, 7, 0.45 * index, side, under)
    return m.document()


# The fence block: a 2x2 footprint (pieces stand 2 apart, so neighbours meet along either axis),
# a body one unit high and a merlon on top. The wall texture covers 2x2 units.
WALL_HALF = 1.0
WALL_HEIGHT = 1.0
MERLON_HALF = 0.42
MERLON_HEIGHT = 0.45
WALL_COLOUR = (1.0, 0.97, 0.93)


def _box(m, half, z0, z1, with_top):
    cx, cy = CENTRE
    x0, x1 = cx - half, cx + half
    y0, y1 = cy - half, cy + half
    tex = lambda a: (a - (cx - WALL_HALF)) / (2 * WALL_HALF)  # world units to texture, 2 units a repeat
    v0, v1 = z0 / (2 * WALL_HALF), z1 / (2 * WALL_HALF)
    # Each side: corners counter-clockwise seen from outside, u running along the side.
    m.face([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)],
           [(tex(x0), v0), (tex(x1), v0), (tex(x1), v1), (tex(x0), v1)], WALL_COLOUR)
    m.face([(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
           [(tex(y0), v0), (tex(y1), v0), (tex(y1), v1), (tex(y0), v1)], WALL_COLOUR)
    m.face([(x1, y1, z0), (x0, y1, z0), (x0, y1, z1), (x1, y1, z1)],
           [(tex(x1), v0), (tex(x0), v0), (tex(x0), v1), (tex(x1), v1)], WALL_COLOUR)
    m.face([(x0, y1, z0), (x0, y0, z0), (x0, y0, z1), (x0, y1, z1)],
           [(tex(y1), v0), (tex(y0), v0), (tex(y0), v1), (tex(y1), v1)], WALL_COLOUR)
    if with_top:
        m.face([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
               [(tex(x0), tex(y0)), (tex(x1), tex(y0)), (tex(x1), tex(y1)), (tex(x0), tex(y1))], WALL_COLOUR)


def wall():
    """One piece of the stone fence: a 2x2x1 block crowned by a merlon, foot centred on (0.5, 0.5, 0)."""
    m = MeshBuilder()
    _box(m, WALL_HALF, 0.0, WALL_HEIGHT, with_top=True)
    _box(m, MERLON_HALF, WALL_HEIGHT, WALL_HEIGHT + MERLON_HEIGHT, with_top=True)
    return m.document()


def quad_collider():
    """The outline of the unit quad: four corners joined in order, no circles."""
    corners = [(0, 0), (1, 0), (1, 1), (0, 1)]
    return {"collider": {
        "vertices": [{"x": x, "y": y} for x, y in corners],
        "indices": [{"a": k, "b": (k + 1) % 4} for k in range(4)],
        "circles": [],
    }}
