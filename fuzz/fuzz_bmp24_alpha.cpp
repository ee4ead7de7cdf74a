// Fuzzes loadBmp24WithAlpha: any bytes must give a buffer of the stated size or null.

#include "fuzz/fuzz_input.h"
#include "render/image_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::decodeImage(".fnt", loadBmp24WithAlpha, data, size,
                      [](size_t width, size_t height) { return width * height * 4; });
    return 0;
}
