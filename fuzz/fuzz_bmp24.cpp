// Fuzzes loadBmp24: any bytes must give a buffer of the stated size or null.

#include "fuzz/fuzz_input.h"
#include "render/image_decoders.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = fuzz::writeInput(".bmp", data, size);
    uint16_t width = 0, height = 0;
    uint8_t* pixels = loadBmp24(path.c_str(), &width, &height, nullptr);
    if (pixels) {
        // Touch the last byte the upload would read.
        const size_t bytes = ((size_t{width} * 3 + 3) & ~size_t{3}) * height;
        volatile uint8_t last = pixels[bytes - 1];
        (void)last;
    }
    delete[] pixels;
    return 0;
}
