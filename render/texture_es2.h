#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

// What a texture becomes on an OpenGL ES 2.0 (WebGL 1) context, which takes no blue-first
// pixel formats, wants the internal format equal to the pixel format, has no border
// clamping, and samples black from a texture whose sides are not powers of two unless it
// is clamped to its edge. The desktop path never uses these.

// The decoded pixels in a layout ES 2.0 uploads: GL_BGR and GL_BGRA buffers are copied with
// red and blue swapped (rows keep their padding to 4 bytes); GL_RGB and GL_RGBA stay as
// they are and are not copied.
struct Es2Pixels {
    GLenum format = GL_RGBA;
    const uint8_t* pixels = nullptr;
    std::vector<uint8_t> converted;
};
Es2Pixels es2Pixels(const uint8_t* pixels, uint16_t width, uint16_t height, GLenum pixelFormat);

// The wrap mode ES 2.0 can honour for the wanted one: clamp to edge in place of clamp to
// border, and for every mode on a texture with a side that is not a power of two.
GLint es2WrapMode(GLint wanted, uint16_t width, uint16_t height);
