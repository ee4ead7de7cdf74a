// Fuzzes the JSON mesh loader: any bytes give a mesh that is empty or safe to draw.

#include "fuzz/fuzz_input.h"
#include "fuzz/mesh_check.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStandardStreams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = fuzz::writeInput(".json", data, size);
    Mesh mesh;
    mesh.loadJson(path);
    fuzz::checkMesh(mesh);
    return 0;
}
