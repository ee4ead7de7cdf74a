#include "tests/render/image_test_files.h"

#include <algorithm>

Bgr patternPixel(int x, int y)
{
    return {static_cast<uint8_t>(x * 37 + y * 11 + 5), static_cast<uint8_t>(x * 3 + y * 59 + 1),
            static_cast<uint8_t>((x ^ y) * 29 + 200)};
}

std::vector<uint8_t> patternRgba(int width, int height, const PixelAlpha& alpha)
{
    std::vector<uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr c = patternPixel(x, y);
            rgba.insert(rgba.end(), {c[2], c[1], c[0], alpha(x, y)});
        }
    return rgba;
}

void putLe16(std::string& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<char>(value & 0xff);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void putLe32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

std::string makeBmp24(int width, int height, const BgrAt& pixel)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t block = stride * static_cast<size_t>(height);
    std::string bytes(54 + block, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    putLe32(bytes, 10, 54);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, static_cast<uint32_t>(width));
    putLe32(bytes, 22, static_cast<uint32_t>(height));
    putLe16(bytes, 26, 1);
    putLe16(bytes, 28, 24);
    putLe32(bytes, 34, static_cast<uint32_t>(block));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Bgr c = pixel(x, y);
            for (int k = 0; k < 3; ++k)
                bytes[54 + y * stride + x * 3 + k] = static_cast<char>(c[k]);
        }
        // Padding bytes that are not zero show whether a reader skips them.
        for (size_t p = static_cast<size_t>(width) * 3; p < stride; ++p)
            bytes[54 + y * stride + p] = static_cast<char>(0xEE);
    }
    return bytes;
}

namespace {

void putBe32(std::string& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xff));
}

void appendChunk(std::string& png, const char* type, const std::string& data)
{
    putBe32(png, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    png += typed;
    putBe32(png, pngCrc(typed.data(), typed.size()));
}

// The zlib stream of the image data in stored (uncompressed) deflate blocks: every decoder
// must read them, and the file shows the pixels as they are.
std::string storedZlib(const std::string& raw)
{
    std::string out = "\x78\x01";
    size_t at = 0;
    do {
        const size_t size = std::min<size_t>(raw.size() - at, 65535);
        out.push_back(at + size == raw.size() ? 1 : 0);
        const uint16_t length = static_cast<uint16_t>(size);
        const uint16_t complement = static_cast<uint16_t>(~length);
        out += {static_cast<char>(length & 0xff), static_cast<char>(length >> 8),
                static_cast<char>(complement & 0xff), static_cast<char>(complement >> 8)};
        out.append(raw, at, size);
        at += size;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBe32(out, (b << 16) | a);
    return out;
}

// Samples per pixel of each colour type.
constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};

// Scanlines with filter byte 0; an interlaced image as its seven passes (whole-byte pixels).
std::string scanlines(const PngRecipe& recipe)
{
    std::string raw;
    if (!recipe.interlaced) {
        for (const auto& row : recipe.rows) {
            raw.push_back(0);
            raw.append(row.begin(), row.end());
        }
        return raw;
    }
    const size_t pixelBytes =
        static_cast<size_t>(kChannels[recipe.colorType] * recipe.bitDepth / 8);
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}; // x0, y0, dx, dy
    for (const auto& pass : passes) {
        if (pass[0] >= recipe.width)
            continue;
        for (int y = pass[1]; y < recipe.height; y += pass[3]) {
            raw.push_back(0);
            for (int x = pass[0]; x < recipe.width; x += pass[2])
                raw.append(recipe.rows[y].begin() + static_cast<std::ptrdiff_t>(x * pixelBytes),
                           recipe.rows[y].begin() +
                               static_cast<std::ptrdiff_t>((x + 1) * pixelBytes));
        }
    }
    return raw;
}

} // namespace

uint32_t pngCrc(const char* data, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint8_t>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string pngChunk(const char* type, const std::string& data)
{
    std::string chunk;
    appendChunk(chunk, type, data);
    return chunk;
}

std::string makePng(const PngRecipe& recipe)
{
    if (recipe.interlaced && recipe.bitDepth < 8)
        return {}; // not needed by any test
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    putBe32(header, static_cast<uint32_t>(recipe.width));
    putBe32(header, static_cast<uint32_t>(recipe.height));
    header += {static_cast<char>(recipe.bitDepth), static_cast<char>(recipe.colorType), 0, 0,
               static_cast<char>(recipe.interlaced ? 1 : 0)};
    appendChunk(png, "IHDR", header);
    if (!recipe.palette.empty()) {
        std::string palette;
        for (const Rgb& c : recipe.palette)
            palette += {static_cast<char>(c[0]), static_cast<char>(c[1]), static_cast<char>(c[2])};
        appendChunk(png, "PLTE", palette);
    }
    if (!recipe.paletteAlpha.empty())
        appendChunk(png, "tRNS",
                    std::string(recipe.paletteAlpha.begin(), recipe.paletteAlpha.end()));
    appendChunk(png, "IDAT", storedZlib(scanlines(recipe)));
    appendChunk(png, "IEND", "");
    return png;
}

uint8_t rgbaPngAlpha(int x, int y)
{
    return static_cast<uint8_t>(x * 16 + y);
}

std::string makeRgbaPng(int width, int height)
{
    PngRecipe recipe{width, height, kPngRgba, 8, false, {}, {}, {}};
    const std::vector<uint8_t> rgba = patternRgba(width, height, rgbaPngAlpha);
    const size_t row = static_cast<size_t>(width) * 4;
    for (int top = 0; top < height; ++top)
        recipe.rows.emplace_back(rgba.begin() +
                                     static_cast<std::ptrdiff_t>((height - 1 - top) * row),
                                 rgba.begin() + static_cast<std::ptrdiff_t>((height - top) * row));
    return makePng(recipe);
}
