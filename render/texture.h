#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <string>

// How a texture repeats outside 0..1; the value is what the scene passes as an integer.
enum class TextureWrapMode : int {
    MirroredRepeat = 0,
    Repeat = 1,
    ClampToEdge = 2,
    ClampToBorder = 3,
};

// One 2D GL texture decoded from a BMP or PNG file. load() decodes into memory (no GL
// work); upload() creates the GL texture; freePixels() drops the CPU copy.
// Owns its pixel buffer and its GL name: not copyable; a moved-from texture owns neither.
class Texture {
public:
    Texture();
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;

    // Picks the decoder by the last four characters of the path: ".bmp" 24-bit BMP, ".png"
    // PNG, anything else the BMP reader that adds an alpha taken from red.
    void load(const char* path);
    void upload();
    void freePixels();
    void bind() const;
    void setSmoothFiltering(bool smooth);
    void setWrapMode(int mode);
    void deleteTexture();

    GLuint name = 0;
    uint8_t* pixels = nullptr;
    uint16_t width = 0;
    uint16_t height = 0;
    GLint internalFormat = GL_RGB;
    GLenum pixelFormat = GL_BGR;
};
