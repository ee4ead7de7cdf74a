// Fuzzes the JSON mesh loader: any bytes give a mesh that is empty or safe to draw.

#include "render/mesh.h"
#include "render/mesh_animation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

void removeInput();

const std::string& inputPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zorbel-fuzz-" + std::to_string(getpid()) + ".json")).string();
    static const int removal = std::atexit(removeInput);
    (void)removal;
    return path;
}

void removeInput()
{
    std::remove(inputPath().c_str());
}

void writeInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (!file)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
}

// What drawing relies on: a colour and a uv for every vertex, every index naming a vertex,
// counts equal to the array lengths, keyframes sized for the model.
void checkMesh(const Mesh& mesh)
{
    const size_t vertices = mesh.positions.size() / 3;
    if (mesh.positions.size() % 3 != 0 || mesh.colors.size() != vertices * 3 || mesh.uvs.size() != vertices * 2 ||
        mesh.indices.size() % 3 != 0)
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
        if (static_cast<size_t>(a->verticesPerFrame) != vertices || a->keyPositions.size() != frames * vertices * 3 ||
            a->keyColors.size() != frames * vertices * 3 || a->keyUvs.size() != frames * vertices * 2 ||
            a->keyStartTimes.size() != frames || a->firstKeyframe.size() != a->animationCount)
            __builtin_trap();
        for (int32_t first : a->firstKeyframe)
            if (first < 0 || static_cast<size_t>(first) > frames)
                __builtin_trap();
    }
}

} // namespace

// Refusal lines go to the standard streams; keep them out of the fuzzer's log.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static std::ostringstream sink;
    std::cout.rdbuf(sink.rdbuf());
    std::cerr.rdbuf(sink.rdbuf());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(data, size);
    Mesh mesh;
    mesh.loadJson(inputPath());
    checkMesh(mesh);
    return 0;
}
