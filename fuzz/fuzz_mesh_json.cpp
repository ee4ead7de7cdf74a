// Fuzzes the JSON mesh loader: any bytes give a mesh that is empty or safe to draw.

#include "fuzz/mesh_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::loadAndCheckMesh(".json", &Mesh::loadJson, data, size);
    return 0;
}
