#include "tests/render/render_test_support.h"

#include <GL/glext.h>

namespace shaders {

const std::string kVertexPlain = R"(#version 120
attribute vec3 inVertex;
attribute vec3 inNormal;
attribute vec2 inTexCoord;
uniform mat4 finalMatrix;
varying vec3 colour;
varying vec2 uv;
void main()
{
    colour = inNormal;
    uv = inTexCoord;
    gl_Position = finalMatrix * vec4(inVertex, 1.0);
}
)";

namespace {

// The plain stage with "mvMat" too, kept active without letting it move anything.
std::string withMvMat(const std::string& plain)
{
    const size_t head = plain.find('\n') + 1;
    return plain.substr(0, head) + "uniform mat4 mvMat;\n" +
           plain.substr(head, plain.size() - 2 - head) +
           "    if (mvMat[3][3] == 12345.0)\n        gl_Position = vec4(0.0);\n}\n";
}

} // namespace

const std::string kVertexWithMvMat = withMvMat(kVertexPlain);

const std::string kFragmentColour = R"(#version 120
varying vec3 colour;
varying vec2 uv;
void main()
{
    gl_FragColor = vec4(colour, 1.0);
}
)";

const std::string kFragmentTextured = R"(#version 120
uniform sampler2D texture0;
varying vec3 colour;
varying vec2 uv;
void main()
{
    gl_FragColor = texture2D(texture0, uv) * vec4(colour, 1.0);
}
)";

} // namespace shaders

void buildProgram(ShaderProgram& program, const TempDir& dir, const std::string& vertexSource,
                  const std::string& fragmentSource)
{
    static int serial = 0;
    ++serial;
    const std::string vertexPath = dir.write("v" + std::to_string(serial) + ".vert", vertexSource);
    const std::string fragmentPath =
        dir.write("f" + std::to_string(serial) + ".frag", fragmentSource);
    program.load(vertexPath, fragmentPath);
    program.compileAndLink();
}

Mesh quads(std::initializer_list<std::array<float, 4>> rectangles)
{
    Mesh mesh;
    uint16_t first = 0;
    for (const auto& [left, bottom, right, top] : rectangles) {
        const float quad = first / 4.0f;
        for (int corner = 0; corner < 4; ++corner) {
            mesh.addPosition(corner % 2 ? right : left, corner < 2 ? bottom : top, 0);
            mesh.addColor(1, 0.125f * corner, 0.0625f * quad);
            mesh.addTexCoord(0.25f * corner, 0.5f * quad);
        }
        mesh.addTriangle(first, first + 1, first + 2);
        mesh.addTriangle(first + 2, first + 1, first + 3);
        first += 4;
    }
    mesh.updateCounts();
    return mesh;
}

namespace {

template <typename Value>
std::vector<Value> bufferValues(GLenum target, GLuint buffer)
{
    glEntry<PFNGLBINDBUFFERPROC>("glBindBuffer")(target, buffer);
    GLint size = 0;
    glEntry<PFNGLGETBUFFERPARAMETERIVPROC>("glGetBufferParameteriv")(target, GL_BUFFER_SIZE, &size);
    std::vector<Value> values(static_cast<size_t>(size) / sizeof(Value));
    if (!values.empty())
        glEntry<PFNGLGETBUFFERSUBDATAPROC>("glGetBufferSubData")(
            target, 0, static_cast<GLsizeiptr>(values.size() * sizeof(Value)), values.data());
    return values;
}

} // namespace

std::vector<float> bufferFloats(GLuint buffer)
{
    return bufferValues<float>(GL_ARRAY_BUFFER, buffer);
}

std::vector<uint16_t> bufferShorts(GLuint buffer)
{
    return bufferValues<uint16_t>(GL_ELEMENT_ARRAY_BUFFER, buffer);
}

std::vector<float> uniformFloats(GLuint program, GLint location, int count)
{
    std::vector<float> values(static_cast<size_t>(count), -999.0f);
    glEntry<PFNGLGETUNIFORMFVPROC>("glGetUniformfv")(program, location, values.data());
    return values;
}

std::vector<uint8_t> texels(const Texture& texture)
{
    std::vector<uint8_t> out(size_t{texture.width} * texture.height * 4);
    texture.bind();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return out;
}

GLint textureParameter(const Texture& texture, GLenum parameter)
{
    texture.bind();
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

int Pixels::countRed() const
{
    int count = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        count += rgba[i] > 127;
    return count;
}

::testing::AssertionResult Pixels::redExactlyIn(
    std::initializer_list<std::array<int, 4>> rectangles) const
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool inside = false;
            for (const auto& [left, bottom, right, top] : rectangles)
                inside = inside || (x >= left && x < right && y >= bottom && y < top);
            if ((at(x, y)[0] > 127) != inside)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << (inside ? " not" : "") << " red";
        }
    return ::testing::AssertionSuccess();
}

void RenderTest::SetUp()
{
    ZORBEL_REQUIRE_GL(context_->ok());
    glViewport(0, 0, kSide, kSide);
    glDisable(GL_CULL_FACE);
    prepare();
}

Pixels RenderTest::drawn(const std::function<void()>& draw)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    draw();
    Pixels pixels{kSide, kSide, std::vector<uint8_t>(4 * kSide * kSide)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.rgba.data());
    return pixels;
}
