// Fuzzes loadBmp24WithAlpha: any bytes must give a buffer of the stated size or null.

#include "render/image_decoders.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void removeInput();

const std::string& inputPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zorbel-fuzz-" + std::to_string(getpid()) + ".fnt")).string();
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(data, size);
    uint16_t width = 0, height = 0;
    uint8_t* pixels = loadBmp24WithAlpha(inputPath().c_str(), &width, &height, nullptr);
    if (pixels) {
        // Touch the last byte the upload would read.
        const size_t bytes = size_t{width} * height * 4;
        volatile uint8_t last = pixels[bytes - 1];
        (void)last;
    }
    delete[] pixels;
    return 0;
}
