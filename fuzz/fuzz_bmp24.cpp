// Fuzzes loadBmp24: any bytes must give a buffer of the stated size (rows padded to 4 bytes)
// or null.

#include "fuzz/fuzz_input.h"
#include "render/image_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::decodeImage(".bmp", loadBmp24, data, size, [](size_t width, size_t height) {
        return ((width * 3 + 3) & ~size_t{3}) * height;
    });
    return 0;
}
