#pragma once

// What drawing a loaded mesh relies on, checked by the mesh fuzz targets: a colour and a uv
// for every vertex, every index naming a vertex, counts equal to the array lengths, and
// keyframes sized for the model. Any breach stops the fuzzer.

#include "fuzz/fuzz_input.h"
#include "render/mesh.h"
#include "render/mesh_animation.h"

#include <cstddef>
#include <cstdint>

namespace fuzz {

inline void checkMesh(const Mesh& mesh)
{
    const size_t vertices = mesh.positions.size() / 3;
    if (mesh.positions.size() % 3 != 0 || mesh.colors.size() != vertices * 3 ||
        mesh.uvs.size() != vertices * 2 || mesh.indices.size() % 3 != 0)
        __builtin_trap();
    if (static_cast<size_t>(mesh.positionFloatCount) != mesh.positions.size() ||
        static_cast<size_t>(mesh.colorFloatCount) != mesh.colors.size() ||
        static_cast<size_t>(mesh.uvFloatCount) != mesh.uvs.size() ||
        static_cast<size_t>(mesh.indexCount) != mesh.indices.size())
        __builtin_trap();
    for (uint16_t index : mesh.indices)
        if (index >= vertices)
            __builtin_trap();
    if (const MeshAnimation* a = mesh.animation.get()) {
        const size_t frames = static_cast<size_t>(a->totalKeyframes);
        if (static_cast<size_t>(a->verticesPerFrame) != vertices ||
            a->keyPositions.size() != frames * vertices * 3 ||
            a->keyColors.size() != frames * vertices * 3 ||
            a->keyUvs.size() != frames * vertices * 2 || a->keyStartTimes.size() != frames ||
            a->firstKeyframe.size() != a->animationCount)
            __builtin_trap();
        for (int32_t first : a->firstKeyframe)
            if (first < 0 || static_cast<size_t>(first) > frames)
                __builtin_trap();
    }
}

// Loads the input as a mesh file of that extension with one of the mesh readers and checks
// what it gives.
inline void loadAndCheckMesh(const char* extension, bool (Mesh::*read)(const std::string&),
                             const uint8_t* data, size_t size)
{
    Mesh mesh;
    (mesh.*read)(writeInput(extension, data, size));
    checkMesh(mesh);
}

} // namespace fuzz
