// Fuzzes loadPng, the container walk and then the platform decoder: any bytes must give a
// buffer of the stated size or null.

#include "fuzz/fuzz_input.h"
#include "fuzz/png_checksums.h"
#include "render/image_decoders.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> fixed = fuzz::withChunkChecksums(data, size);
    fuzz::decodeImage(".png", loadPng, fixed.data(), fixed.size(),
                      [](size_t width, size_t height) { return width * height * 4; });
    return 0;
}
