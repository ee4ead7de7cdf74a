#include "game/fallback_mesh.h"

#include "render/mesh.h"

void buildFallbackMesh(Mesh& mesh)
{
    mesh.positions.clear();
    mesh.colors.clear();
    mesh.indices.clear();
    mesh.uvs.clear();
    // A flat quad on the ground and an upright one through its middle, both faces each.
    const float quads[2][4][3] = {
        {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
        {{0, 0.5f, 0}, {1, 0.5f, 0}, {1, 0.5f, 1}, {0, 0.5f, 1}},
    };
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int q = 0; q < 2; ++q) {
        const auto base = static_cast<uint16_t>(4 * q);
        for (int v = 0; v < 4; ++v) {
            mesh.addPosition(quads[q][v][0], quads[q][v][1], quads[q][v][2]);
            mesh.addColor(1.0f, 0.0f, 1.0f);
            mesh.addTexCoord(uv[v][0], uv[v][1]);
        }
        mesh.addTriangle(base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2));
        mesh.addTriangle(base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3));
        mesh.addTriangle(base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 1));
        mesh.addTriangle(base, static_cast<uint16_t>(base + 3), static_cast<uint16_t>(base + 2));
    }
    mesh.updateCounts();
}
