#pragma once

#include "render/mesh.h"
#include "render/shader_program.h"
#include "render/texture.h"
#include "tests/support/capture.h"
#include "tests/support/gl_test_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// Shader sources for the render tests. Every program declares the attributes "inVertex",
// "inNormal" (the vertex colour) and "inTexCoord" and the uniform "finalMatrix"; the
// fragment stage writes the interpolated colour.
namespace shaders {

extern const std::string kVertexPlain;      // no "mvMat"
extern const std::string kVertexWithMvMat;  // also declares "mvMat"
extern const std::string kFragmentColour;   // colour only: "texture0" is not active
extern const std::string kFragmentTextured; // texture0 sample times colour

} // namespace shaders

// Writes the two sources into the folder and builds a program from them (load, then
// compileAndLink).
void buildProgram(ShaderProgram& program, const TempDir& dir, const std::string& vertexSource,
                  const std::string& fragmentSource);

// A mesh of quads in the z = 0 plane, each {left, bottom, right, top}: corners bottom-left,
// bottom-right, top-left, top-right, triangles (0, 1, 2) and (2, 1, 3), counts updated. Every
// vertex is red; green, blue and the texture coordinates differ per corner and per quad, so a
// shifted upload shows.
Mesh quads(std::initializer_list<std::array<float, 4>> rectangles);

// Real GL state, read back through entry points the game's table does not carry: the whole
// content of a vertex or an index buffer, a uniform's values.
std::vector<float> bufferFloats(GLuint buffer);
std::vector<uint16_t> bufferShorts(GLuint buffer);
std::vector<float> uniformFloats(GLuint program, GLint location, int count);
// The texture's level 0 as tightly packed RGBA bytes, bottom row first, and one of its
// parameters (both bind it).
std::vector<uint8_t> texels(const Texture& texture);
GLint textureParameter(const Texture& texture, GLenum parameter);

// Pixels of the whole colour buffer, bottom row first, RGBA.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[4 * (y * width + x)]; }
    // Pixels whose red channel is above half.
    int countRed() const;
    // Whether exactly the pixels inside the rectangles {left, bottom, right, top} (right and top
    // excluded) have a red channel above half.
    ::testing::AssertionResult redExactlyIn(
        std::initializer_list<std::array<int, 4>> rectangles) const;
};

// For tests on a GL context: a kSide x kSide offscreen context (which a test may end early),
// the viewport covering it, face culling off, and a folder for files. Fixtures built on it do
// their own GL set-up in prepare().
class RenderTest : public ::testing::Test {
protected:
    static constexpr int kSide = 64;
    void SetUp() override;
    virtual void prepare() { }
    // Clears to black, draws and reads the whole colour buffer back.
    Pixels drawn(const std::function<void()>& draw);

    std::unique_ptr<GlTestContext> context_ = std::make_unique<GlTestContext>(kSide, kSide);
    TempDir dir_;
};
