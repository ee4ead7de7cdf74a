#pragma once

// Shared by the PNG fuzz targets. The container walk refuses chunks whose checksum is wrong,
// so almost every mutation would stop at the first one. Each whole chunk's checksum is
// recomputed (with zlib's CRC-32, not the walk's) so the mutations reach the header fields,
// the lengths and the compressed data.

#include <cstddef>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace fuzz {

inline std::vector<uint8_t> withChunkChecksums(const uint8_t* data, size_t size)
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

} // namespace fuzz
