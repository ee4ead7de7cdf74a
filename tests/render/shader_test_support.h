#pragma once

#include "render/shader_program.h"
#include "tests/support/capture.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

// Shader sources for the render tests. Every program declares the attributes "inVertex",
// "inNormal" (the vertex colour) and "inTexCoord" and the uniform "finalMatrix"; the
// fragment stage writes the interpolated colour.
namespace shaders {

extern const char* const kVertexWithMvMat;   // also declares "mvMat"
extern const char* const kVertexPlain;       // no "mvMat"
extern const char* const kFragmentColour;    // colour only: "texture0" is not active
extern const char* const kFragmentTextured;  // texture0 sample times colour

} // namespace shaders

// Writes the two sources into the folder and builds a program from them (load, then
// compileAndLink).
void buildProgram(ShaderProgram& program, const TempDir& dir, const std::string& vertexSource,
                  const std::string& fragmentSource);

// Real GL state, read back through entry points the game's table does not carry.
std::vector<uint8_t> bufferBytes(GLenum target, GLuint buffer);
std::vector<float> bufferFloats(GLuint buffer);
std::vector<uint16_t> bufferShorts(GLuint buffer);
std::vector<float> uniformFloats(GLuint program, GLint location, int count);
GLint currentProgram();
int attachedShaderCount(GLuint program);
bool isBuffer(GLuint name);

// Pixels of the whole colour buffer, bottom row first, RGBA.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[4 * (y * width + x)]; }
    // Pixels whose red channel is above half.
    int countRed() const;
};
Pixels readPixels(int width, int height);
