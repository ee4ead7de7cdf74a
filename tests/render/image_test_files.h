#pragma once

// Writers for the image fixtures of the texture and decoder tests.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bgr = std::array<uint8_t, 3>;
using Rgb = std::array<uint8_t, 3>;
// Colour of pixel (x, y), y counted from the bottom row.
using BgrAt = std::function<Bgr(int x, int y)>;

// A distinct, irregular colour for every pixel.
Bgr patternPixel(int x, int y);

// patternPixel's colours as 8-bit red, green, blue and the given alpha, bottom row first.
using PixelAlpha = std::function<uint8_t(int x, int y)>;
std::vector<uint8_t> patternRgba(int width, int height, const PixelAlpha& alpha);

// A 24-bit BMP as the usual writers make it: 14-byte file header, 40-byte information
// header, pixel data at offset 54, rows bottom to top padded to 4 bytes, the image-size
// field holding the padded block size.
std::string makeBmp24(int width, int height, const BgrAt& pixel = patternPixel);

void putLe16(std::string& bytes, size_t offset, uint16_t value);
void putLe32(std::string& bytes, size_t offset, uint32_t value);

// The colour types of the PNG format.
enum PngColorType : int {
    kPngGrey = 0,
    kPngRgb = 2,
    kPngPalette = 3,
    kPngGreyAlpha = 4,
    kPngRgba = 6
};

// A PNG made from raw rows (top row first, already packed for the bit depth, 16-bit samples
// big-endian); palette and paletteAlpha (its tRNS chunk) for palette images. The image data
// is stored uncompressed; interlaced images need whole-byte pixels.
struct PngRecipe {
    int width = 0;
    int height = 0;
    int colorType = 0;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<Rgb> palette;
    std::vector<uint8_t> paletteAlpha;
};
std::string makePng(const PngRecipe& recipe);

// The CRC that closes every PNG chunk, over its type and data.
uint32_t pngCrc(const char* data, size_t size);
// One whole PNG chunk: length, type, data and CRC.
std::string pngChunk(const char* type, const std::string& data);

// An 8-bit RGBA PNG of patternRgba with alpha rgbaPngAlpha, x * 16 + y.
uint8_t rgbaPngAlpha(int x, int y);
std::string makeRgbaPng(int width, int height);
