// Fuzzes loadPng: any bytes must give a buffer of the stated size or null.

#include "fuzz/fuzz_input.h"
#include "render/image_decoders.h"

#include <cstdint>
#include <vector>
#include <zlib.h>

namespace {

// libpng refuses chunks whose checksum is wrong, so almost every mutation would stop at
// the first one. Each whole chunk's checksum is recomputed so the mutations reach the
// header fields and the compressed data.
std::vector<uint8_t> withChunkChecksums(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
                                (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (length > bytes.size() - at - 12)
            break;
        const uLong crc = crc32(0, bytes.data() + at + 4, length + 4);
        for (int i = 0; i < 4; ++i)
            bytes[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += length + 12;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> fixed = withChunkChecksums(data, size);
    fuzz::decodeImage(".png", loadPng, fixed.data(), fixed.size(),
                      [](size_t width, size_t height) { return width * height * 4; });
    return 0;
}
