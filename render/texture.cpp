#include "render/texture.h"

#include "app/gl_context.h"
#include "app/gl_dialect.h"
#include "app/gl_functions.h"
#include "diag/diagnostics.h"
#include "render/image_decoders.h"
#include "render/texture_es2.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr uint16_t kPlaceholderSide = 8;
constexpr int kPlaceholderCell = 2;

// Magenta and black squares, opaque: a texture that could not be decoded stays visible.
uint8_t* makePlaceholder()
{
    auto* pixels = new uint8_t[kPlaceholderSide * kPlaceholderSide * 4];
    uint8_t* p = pixels;
    for (int y = 0; y < kPlaceholderSide; ++y) {
        for (int x = 0; x < kPlaceholderSide; ++x, p += 4) {
            const bool magenta = ((x / kPlaceholderCell) + (y / kPlaceholderCell)) % 2 == 0;
            p[0] = magenta ? 255 : 0;
            p[1] = 0;
            p[2] = magenta ? 255 : 0;
            p[3] = 255;
        }
    }
    return pixels;
}

bool endsWith(const char* path, size_t length, const char* suffix)
{
    return length >= 4 && std::memcmp(path + length - 4, suffix, 4) == 0;
}

} // namespace

Texture::Texture() = default;

Texture::~Texture()
{
    freePixels();
    deleteTexture();
}

Texture::Texture(Texture&& other) noexcept
{
    *this = std::move(other);
}

Texture& Texture::operator=(Texture&& other) noexcept
{
    if (this == &other)
        return *this;
    freePixels();
    deleteTexture();
    name = std::exchange(other.name, 0);
    pixels = std::exchange(other.pixels, nullptr);
    width = std::exchange(other.width, 0);
    height = std::exchange(other.height, 0);
    internalFormat = other.internalFormat;
    pixelFormat = other.pixelFormat;
    return *this;
}

void Texture::load(const char* path)
{
    freePixels();
    const size_t length = path ? std::strlen(path) : 0;
    std::string reason;
    if (endsWith(path, length, ".bmp")) {
        pixels = loadBmp24(path, &width, &height, &reason);
        internalFormat = GL_RGB;
        pixelFormat = GL_BGR;
    } else if (endsWith(path, length, ".png")) {
        pixels = loadPng(path, &width, &height, &reason);
        internalFormat = GL_RGBA;
        pixelFormat = GL_RGBA;
    } else {
        pixels = loadBmp24WithAlpha(path, &width, &height, &reason);
        internalFormat = GL_RGBA;
        pixelFormat = GL_BGRA;
    }
    if (pixels)
        return;

    diagErr(std::string("Could not load texture \"") + (path ? path : "") + "\": " + reason +
            "; using a placeholder");
    pixels = makePlaceholder();
    width = height = kPlaceholderSide;
    internalFormat = GL_RGBA;
    pixelFormat = GL_RGBA;
}

void Texture::upload()
{
    deleteTexture();
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (glDialect() == GlDialect::Es2) {
        const GLint wrap = es2WrapMode(GL_MIRRORED_REPEAT, width, height);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        const Es2Pixels es2 = es2Pixels(pixels, width, height, pixelFormat);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(es2.format), width, height, 0, es2.format,
                     GL_UNSIGNED_BYTE, es2.pixels);
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, pixelFormat, GL_UNSIGNED_BYTE,
                 pixels);
}

void Texture::freePixels()
{
    delete[] pixels;
    pixels = nullptr;
}

void Texture::bind() const
{
    glBindTexture(GL_TEXTURE_2D, name);
}

void Texture::setSmoothFiltering(bool smooth)
{
    bind();
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void Texture::setWrapMode(int mode)
{
    static constexpr GLint kWrapValues[] = {GL_MIRRORED_REPEAT, GL_REPEAT, GL_CLAMP_TO_EDGE,
                                            GL_CLAMP_TO_BORDER};
    bind();
    if (mode < 0 || mode > 3)
        return;
    const GLint wrap = glDialect() == GlDialect::Es2 ? es2WrapMode(kWrapValues[mode], width, height)
                                                     : kWrapValues[mode];
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

void Texture::deleteTexture()
{
    if (name == 0)
        return;
    // Without a context the name went with it; there is nothing left to delete.
    if (hasCurrentGlContext())
        glDeleteTextures(1, &name);
    name = 0;
}
