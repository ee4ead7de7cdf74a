// The portable half of the PNG reader: loadPng reads the file, walks its container and hands
// a sound file to the platform's decodeCheckedPng.
#include "render/png_container.h"

#include "io/input_file.h"
#include "render/image_decoders.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr uint32_t kMaxSide = 65535;
constexpr uint32_t kMaxChunkLength = 0x7fffffff;
constexpr uint32_t kHeaderLength = 13;
// A chunk's length, type and CRC around its data.
constexpr size_t kChunkFrameBytes = 12;

uint32_t readBigEndian(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// A chunk type as it may appear in a one-line reason: its four letters, with '?' for any
// byte that is not a letter (a damaged type could hold a line break).
std::string typeName(const uint8_t* type)
{
    std::string name(4, '?');
    for (int i = 0; i < 4; ++i)
        if ((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z'))
            name[i] = static_cast<char>(type[i]);
    return name;
}

// Empty when the depth is one the colour type allows and the methods are the defined ones.
std::string fieldProblem(const uint8_t* data)
{
    const unsigned depth = data[8];
    const unsigned colorType = data[9];
    bool allowed = false;
    switch (colorType) {
    case 0: allowed = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16; break;
    case 3: allowed = depth == 1 || depth == 2 || depth == 4 || depth == 8; break;
    case 2:
    case 4:
    case 6: allowed = depth == 8 || depth == 16; break;
    default: break;
    }
    char text[96] = {};
    if (!allowed)
        std::snprintf(text, sizeof text, "IHDR: bit depth %u with colour type %u is not a PNG form",
                      depth, colorType);
    else if (data[10] != 0 || data[11] != 0 || data[12] > 1)
        std::snprintf(text, sizeof text,
                      "IHDR: unknown compression (%u), filter (%u) or interlace (%u) method",
                      unsigned{data[10]}, unsigned{data[11]}, unsigned{data[12]});
    return text;
}

// Empty when an image of width x height may be decoded, else the reason.
std::string pngSizeProblem(uint32_t width, uint32_t height)
{
    char text[96] = {};
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        std::snprintf(text, sizeof text,
                      "IHDR: image of %u x %u pixels has a side outside 1 to 65535", width, height);
    else if (uint64_t{width} * height * 4 > kMaxPngPixelBytes)
        std::snprintf(text, sizeof text, "image of %u x %u pixels needs more than %llu MiB", width,
                      height, static_cast<unsigned long long>(kMaxPngPixelBytes >> 20));
    return text;
}

} // namespace

uint32_t pngChunkCrc(const uint8_t* bytes, size_t size)
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
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ bytes[i]) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

std::string checkPngContainer(const uint8_t* bytes, size_t size, PngHeader& header)
{
    if (size < sizeof kSignature || std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
        return "not a PNG file (bad signature)";
    const uint8_t* chunk = bytes + sizeof kSignature;
    if (size - sizeof kSignature < kChunkFrameBytes + kHeaderLength ||
        readBigEndian(chunk) != kHeaderLength || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return "IHDR: the header chunk is missing or cut short";

    bool sawData = false;
    for (size_t at = sizeof kSignature;;) {
        const size_t left = size - at;
        // The image data has ended: what follows is for no decoder.
        if (sawData && (left < 8 || std::memcmp(bytes + at + 4, "IDAT", 4) != 0))
            return {};
        if (left < kChunkFrameBytes)
            return "the file ends before its image data (IDAT)";
        const uint32_t length = readBigEndian(bytes + at);
        const std::string type = typeName(bytes + at + 4);
        if (length > kMaxChunkLength || left - kChunkFrameBytes < length)
            return "the file ends inside its " + type + " chunk";
        const uint8_t* data = bytes + at + 8;
        if (pngChunkCrc(bytes + at + 4, size_t{length} + 4) != readBigEndian(data + length))
            return "the " + type + " chunk is damaged (CRC mismatch)";

        if (at == sizeof kSignature) {
            header.width = readBigEndian(data);
            header.height = readBigEndian(data + 4);
            if (std::string problem = pngSizeProblem(header.width, header.height); !problem.empty())
                return problem;
            if (std::string problem = fieldProblem(data); !problem.empty())
                return problem;
        } else if (type == "IDAT") {
            sawData = true;
        } else if (type == "IEND" || type == "IHDR") {
            return type == "IEND" ? "the file has no image data (IDAT)"
                                  : "the file has a second image header (IHDR)";
        }
        at += kChunkFrameBytes + length;
    }
}

uint8_t* loadPng(const char* path, uint16_t* width, uint16_t* height, std::string* reason)
{
    std::string file;
    PngHeader header;
    std::string problem;
    uint8_t* pixels = nullptr;
    if (!path)
        problem = "no file name given";
    else if (readWholeFile(path, file, &problem))
        problem =
            checkPngContainer(reinterpret_cast<const uint8_t*>(file.data()), file.size(), header);
    if (problem.empty())
        pixels = decodeCheckedPng(path, file, header, problem);
    if (!pixels) {
        if (reason)
            *reason = problem;
        return nullptr;
    }
    *width = static_cast<uint16_t>(header.width);
    *height = static_cast<uint16_t>(header.height);
    return pixels;
}
