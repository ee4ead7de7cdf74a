#include "tests/render/shader_test_support.h"

#include "app/game_window.h"

#include <GL/glext.h>

#include <cstring>

namespace shaders {

const char* const kVertexWithMvMat = R"(#version 120
attribute vec3 inVertex;
attribute vec3 inNormal;
attribute vec2 inTexCoord;
uniform mat4 finalMatrix;
uniform mat4 mvMat;
varying vec3 colour;
varying vec2 uv;
void main()
{
    colour = inNormal;
    uv = inTexCoord;
    gl_Position = finalMatrix * vec4(inVertex, 1.0);
    // Keeps "mvMat" active without letting it move anything.
    if (mvMat[3][3] == 12345.0)
        gl_Position = vec4(0.0);
}
)";

const char* const kVertexPlain = R"(#version 120
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

const char* const kFragmentColour = R"(#version 120
varying vec3 colour;
varying vec2 uv;
void main()
{
    gl_FragColor = vec4(colour, 1.0);
}
)";

const char* const kFragmentTextured = R"(#version 120
uniform sampler2D texture0;
varying vec3 colour;
varying vec2 uv;
void main()
{
    gl_FragColor = texture2D(texture0, uv) * vec4(colour, 1.0);
}
)";

} // namespace shaders

namespace {

template <typename Function>
Function entry(const char* name)
{
    return reinterpret_cast<Function>(GameWindow::glProcAddress(name));
}

} // namespace

void buildProgram(ShaderProgram& program, const TempDir& dir, const std::string& vertexSource,
                  const std::string& fragmentSource)
{
    static int serial = 0;
    ++serial;
    const std::string vertexPath = dir.write("v" + std::to_string(serial) + ".vert", vertexSource);
    const std::string fragmentPath = dir.write("f" + std::to_string(serial) + ".frag", fragmentSource);
    program.load(vertexPath, fragmentPath);
    program.compileAndLink();
}

std::vector<uint8_t> bufferBytes(GLenum target, GLuint buffer)
{
    auto bindBuffer = entry<PFNGLBINDBUFFERPROC>("glBindBuffer");
    auto parameter = entry<PFNGLGETBUFFERPARAMETERIVPROC>("glGetBufferParameteriv");
    auto subData = entry<PFNGLGETBUFFERSUBDATAPROC>("glGetBufferSubData");
    bindBuffer(target, buffer);
    GLint size = 0;
    parameter(target, GL_BUFFER_SIZE, &size);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0)
        subData(target, 0, size, bytes.data());
    return bytes;
}

std::vector<float> bufferFloats(GLuint buffer)
{
    const std::vector<uint8_t> bytes = bufferBytes(GL_ARRAY_BUFFER, buffer);
    std::vector<float> values(bytes.size() / sizeof(float));
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
}

std::vector<uint16_t> bufferShorts(GLuint buffer)
{
    const std::vector<uint8_t> bytes = bufferBytes(GL_ELEMENT_ARRAY_BUFFER, buffer);
    std::vector<uint16_t> values(bytes.size() / sizeof(uint16_t));
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(uint16_t));
    return values;
}

std::vector<float> uniformFloats(GLuint program, GLint location, int count)
{
    auto getUniform = entry<PFNGLGETUNIFORMFVPROC>("glGetUniformfv");
    std::vector<float> values(static_cast<size_t>(count), -999.0f);
    getUniform(program, location, values.data());
    return values;
}

GLint currentProgram()
{
    GLint name = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &name);
    return name;
}

int attachedShaderCount(GLuint program)
{
    auto getProgram = entry<PFNGLGETPROGRAMIVPROC>("glGetProgramiv");
    GLint count = -1;
    getProgram(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

bool isBuffer(GLuint name)
{
    return entry<PFNGLISBUFFERPROC>("glIsBuffer")(name) == GL_TRUE;
}

int Pixels::countRed() const
{
    int count = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        if (rgba[i] > 127)
            ++count;
    return count;
}

Pixels readPixels(int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.rgba.resize(static_cast<size_t>(4 * width * height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.rgba.data());
    return pixels;
}
