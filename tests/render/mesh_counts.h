#pragma once

#include "render/mesh.h"

#include <array>
#include <cstdint>

// A mesh's four draw counts: position floats, colour floats, indices, uv floats.
using MeshCounts = std::array<int32_t, 4>;
inline MeshCounts countsOf(const Mesh& mesh)
{
    return {mesh.positionFloatCount, mesh.colorFloatCount, mesh.indexCount, mesh.uvFloatCount};
}
