// The PNG reader of the browser build. The browser's own decoder turned the file into
// pixels while the data package loaded (png_preload.js); this side checks the file's
// structure itself, so a damaged file is refused with the same kind of reason as on the
// desktop, then takes the browser's pixels and turns them bottom row first.

#include "render/image_decoders.h"

#include <emscripten/emscripten.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr uint32_t kMaxSide = 65535;
constexpr uint32_t kMaxChunkLength = 0x7fffffff;

uint32_t readBigEndian(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// The CRC-32 of PNG chunks (polynomial 0xedb88320), over the chunk type and data.
uint32_t chunkCrc(const uint8_t* bytes, size_t length)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ bytes[i]) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Walks the chunks from the signature to IEND: each must lie inside the file and carry
// its right CRC; the first must be a valid IHDR and at least one IDAT must come. Returns
// an empty string when the file is sound, else the reason.
std::string checkStructure(const std::vector<uint8_t>& file, Header& header)
{
    char text[160];
    size_t at = sizeof kSignature;
    bool first = true;
    bool sawData = false;
    while (true) {
        if (file.size() - at < 12) {
            return "the file ends before its IEND chunk";
        }
        const uint32_t length = readBigEndian(&file[at]);
        char type[5] = {};
        std::memcpy(type, &file[at + 4], 4);
        if (length > kMaxChunkLength || file.size() - at - 12 < length) {
            std::snprintf(text, sizeof text, "the file ends inside its %s chunk", type);
            return text;
        }
        const uint8_t* data = &file[at + 8];
        if (chunkCrc(&file[at + 4], length + 4) != readBigEndian(data + length)) {
            std::snprintf(text, sizeof text, "the %s chunk is damaged (CRC mismatch)", type);
            return text;
        }
        if (first) {
            if (std::strcmp(type, "IHDR") != 0 || length != 13)
                return "the file does not start with an image header (IHDR)";
            header.width = readBigEndian(data);
            header.height = readBigEndian(data + 4);
            first = false;
        }
        if (std::strcmp(type, "IDAT") == 0)
            sawData = true;
        if (std::strcmp(type, "IEND") == 0)
            return sawData ? std::string() : "the file has no image data (IDAT)";
        at += 12 + size_t{length};
    }
}

uint8_t* fail(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
    return nullptr;
}

struct FreeDeleter {
    void operator()(uint8_t* pixels) const { std::free(pixels); }
};

} // namespace

uint8_t* loadPng(const char* path, uint16_t* width, uint16_t* height, std::string* reason)
{
    if (!path)
        return fail(reason, "no file name given");
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return fail(reason, "cannot open the file");
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(stream)),
                                    std::istreambuf_iterator<char>());
    if (file.size() < sizeof kSignature ||
        std::memcmp(file.data(), kSignature, sizeof kSignature) != 0)
        return fail(reason, "not a PNG file (bad signature)");

    Header header;
    if (const std::string problem = checkStructure(file, header); !problem.empty())
        return fail(reason, problem);
    char text[160];
    if (header.width == 0 || header.height == 0 || header.width > kMaxSide ||
        header.height > kMaxSide) {
        std::snprintf(text, sizeof text, "image of %u x %u pixels is outside 1 to %u on a side",
                      header.width, header.height, kMaxSide);
        return fail(reason, text);
    }
    const uint64_t rowBytes = uint64_t{header.width} * 4;
    const uint64_t bytes = rowBytes * header.height;
    if (bytes > kMaxPngPixelBytes) {
        std::snprintf(text, sizeof text, "image of %u x %u pixels needs more than %llu MiB",
                      header.width, header.height,
                      static_cast<unsigned long long>(kMaxPngPixelBytes >> 20));
        return fail(reason, text);
    }

    int decodedWidth = 0;
    int decodedHeight = 0;
    const std::unique_ptr<uint8_t, FreeDeleter> topFirst(reinterpret_cast<uint8_t*>(
        emscripten_get_preloaded_image_data(path, &decodedWidth, &decodedHeight)));
    if (!topFirst)
        return fail(reason, "the browser could not decode the image data");
    if (static_cast<uint32_t>(decodedWidth) != header.width ||
        static_cast<uint32_t>(decodedHeight) != header.height) {
        std::snprintf(text, sizeof text,
                      "the browser decoded %d x %d pixels, the header says %u x %u", decodedWidth,
                      decodedHeight, header.width, header.height);
        return fail(reason, text);
    }

    auto* pixels = new (std::nothrow) uint8_t[bytes];
    if (!pixels)
        return fail(reason, "out of memory for the pixels");
    // The browser gives the top row first; the first row of the file lands at the end.
    for (uint32_t row = 0; row < header.height; ++row)
        std::memcpy(pixels + (header.height - 1 - row) * rowBytes, topFirst.get() + row * rowBytes,
                    rowBytes);
    *width = static_cast<uint16_t>(header.width);
    *height = static_cast<uint16_t>(header.height);
    return pixels;
}
