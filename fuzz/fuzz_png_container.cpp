// Fuzzes the PNG container walk every platform's reader runs first, on the bytes as they come
// and with their chunk checksums made right. Any bytes must give either a header within the
// limits or a one-line reason; the walk's CRC must agree with zlib's on every input.

#include "fuzz/png_checksums.h"
#include "render/image_decoders.h"
#include "render/png_container.h"

#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

void walk(const uint8_t* data, size_t size)
{
    PngHeader header;
    const std::string reason = checkPngContainer(data, size, header);
    if (reason.empty()) {
        if (header.width < 1 || header.width > 65535 || header.height < 1 ||
            header.height > 65535 || uint64_t{header.width} * header.height * 4 > kMaxPngPixelBytes)
            __builtin_trap();
    } else if (reason.find('\n') != std::string::npos || reason.find('\r') != std::string::npos) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (pngChunkCrc(data, size) != crc32(0, data, static_cast<uInt>(size)))
        __builtin_trap();
    walk(data, size);
    const std::vector<uint8_t> fixed = fuzz::withChunkChecksums(data, size);
    walk(fixed.data(), fixed.size());
    return 0;
}
