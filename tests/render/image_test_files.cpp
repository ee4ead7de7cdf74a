#include "tests/render/image_test_files.h"

#include <png.h>

#include <csetjmp>

Bgr patternPixel(int x, int y)
{
    return {static_cast<uint8_t>(x * 37 + y * 11 + 5), static_cast<uint8_t>(x * 3 + y * 59 + 1),
            static_cast<uint8_t>((x ^ y) * 29 + 200)};
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

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

} // namespace

std::string makePng(const PngRecipe& recipe)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (const auto& row : recipe.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    std::vector<png_color> palette;
    for (const Rgb& c : recipe.palette)
        palette.push_back(png_color{c[0], c[1], c[2]});
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colorType,
                 recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!recipe.paletteAlpha.empty())
        png_set_tRNS(png, info, recipe.paletteAlpha.data(), static_cast<int>(recipe.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string makeRgbaPng(int width, int height)
{
    PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int top = 0; top < height; ++top) {
        const int y = height - 1 - top;
        std::vector<uint8_t> row;
        for (int x = 0; x < width; ++x) {
            const Bgr c = patternPixel(x, y);
            row.insert(row.end(), {c[2], c[1], c[0], static_cast<uint8_t>(x * 16 + y)});
        }
        recipe.rows.push_back(row);
    }
    return makePng(recipe);
}
