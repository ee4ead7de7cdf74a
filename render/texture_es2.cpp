#include "render/texture_es2.h"

#include <GL/glext.h>

#include <cstddef>
#include <utility>

namespace {

bool isPowerOfTwo(uint16_t side)
{
    return side != 0 && (side & (side - 1)) == 0;
}

} // namespace

Es2Pixels es2Pixels(const uint8_t* pixels, uint16_t width, uint16_t height, GLenum pixelFormat)
{
    Es2Pixels result;
    result.pixels = pixels;
    result.format = pixelFormat;
    if ((pixelFormat != GL_BGR && pixelFormat != GL_BGRA) || pixels == nullptr)
        return result;
    const size_t pixelBytes = pixelFormat == GL_BGR ? 3 : 4;
    // GL's default unpack alignment of 4 is what the decoders pad rows to.
    const size_t rowBytes = (size_t{width} * pixelBytes + 3) & ~size_t{3};
    result.converted.assign(pixels, pixels + rowBytes * height);
    for (size_t row = 0; row < height; ++row) {
        uint8_t* pixel = result.converted.data() + row * rowBytes;
        for (size_t x = 0; x < width; ++x, pixel += pixelBytes)
            std::swap(pixel[0], pixel[2]);
    }
    result.format = pixelFormat == GL_BGR ? GL_RGB : GL_RGBA;
    result.pixels = result.converted.data();
    return result;
}

GLint es2WrapMode(GLint wanted, uint16_t width, uint16_t height)
{
    if (wanted == GL_CLAMP_TO_BORDER || !isPowerOfTwo(width) || !isPowerOfTwo(height))
        return GL_CLAMP_TO_EDGE;
    return wanted;
}
