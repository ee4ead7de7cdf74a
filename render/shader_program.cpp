#include "render/shader_program.h"

#include "app/gl_context.h"
#include "app/gl_functions.h"
#include "diag/diagnostics.h"
#include "io/input_file.h"
#include "render/shader_locations.h"

#include <memory>
#include <new>
#include <utility>

namespace {

// Compiles one shader. On failure with a non-empty log, prints the label, the shader type
// value and the log, then deletes the shader and zeroes its name. Only the compile status
// decides: warnings of a successful compile are not shown.
void compileShader(GLuint& shader, const char* label, GLenum type)
{
    gl.glCompileShader(shader);
    GLint status = 1;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 1)
        return;
    GLint length = 0;
    gl.glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return;
    std::unique_ptr<char[]> log(new (std::nothrow) char[static_cast<size_t>(length)]);
    if (log) {
        log[0] = '\0';
        gl.glGetShaderInfoLog(shader, length, nullptr, log.get());
        log[static_cast<size_t>(length) - 1] = '\0';
        diagOutLines(label + std::to_string(type) + ":\n" + log.get() + "\n");
    }
    gl.glDeleteShader(shader);
    shader = 0;
}

} // namespace

ShaderProgram::~ShaderProgram()
{
    release();
}

ShaderProgram::ShaderProgram(ShaderProgram&& other) noexcept
    : program_(std::exchange(other.program_, 0)),
      vertexShader_(std::exchange(other.vertexShader_, 0)),
      fragmentShader_(std::exchange(other.fragmentShader_, 0))
{
}

ShaderProgram& ShaderProgram::operator=(ShaderProgram&& other) noexcept
{
    if (this != &other) {
        release();
        program_ = std::exchange(other.program_, 0);
        vertexShader_ = std::exchange(other.vertexShader_, 0);
        fragmentShader_ = std::exchange(other.fragmentShader_, 0);
    }
    return *this;
}

// Leaves no program current and detaches both shaders. The objects themselves stay until the
// context ends: the GL table has no entry point for deleting a program. Without a context
// there is nothing left to detach and only the names are forgotten.
void ShaderProgram::release()
{
    if (program_ != 0 && hasCurrentGlContext()) {
        gl.glUseProgram(0);
        if (vertexShader_ != 0)
            gl.glDetachShader(program_, vertexShader_);
        if (fragmentShader_ != 0)
            gl.glDetachShader(program_, fragmentShader_);
    }
    program_ = vertexShader_ = fragmentShader_ = 0;
}

bool ShaderProgram::load(const std::string& vertexPath, const std::string& fragmentPath)
{
    // Read one after the other (not as two arguments, whose order the compiler picks), so
    // reports about both files name the vertex file first.
    const std::string vertexText = readShaderFile(vertexPath);
    const std::string fragmentText = readShaderFile(fragmentPath);
    return loadSources(vertexText, fragmentText);
}

bool ShaderProgram::loadSources(const std::string& vertexText, const std::string& fragmentText)
{
    release();
    vertexShader_ = gl.glCreateShader(GL_VERTEX_SHADER);
    fragmentShader_ = gl.glCreateShader(GL_FRAGMENT_SHADER);
    program_ = gl.glCreateProgram();

    const char* vertexSource = vertexText.c_str();
    gl.glShaderSource(vertexShader_, 1, &vertexSource, nullptr);
    const char* fragmentSource = fragmentText.c_str();
    gl.glShaderSource(fragmentShader_, 1, &fragmentSource, nullptr);
    return true;
}

bool ShaderProgram::linked() const
{
    if (program_ == 0)
        return false;
    GLint status = 0;
    gl.glGetProgramiv(program_, GL_LINK_STATUS, &status);
    return status != 0;
}

bool ShaderProgram::compileAndLink()
{
    if (program_ == 0)
        return true;
    compileShader(vertexShader_, "Could not compile vertexShader ", GL_VERTEX_SHADER);
    compileShader(fragmentShader_, "Could not compile fragmentShader ", GL_FRAGMENT_SHADER);

    // A shader deleted above is attached as 0: GL refuses it and the link fails visibly.
    gl.glAttachShader(program_, vertexShader_);
    gl.glAttachShader(program_, fragmentShader_);
    gl.glLinkProgram(program_);
    GLint status = 1;
    gl.glGetProgramiv(program_, GL_LINK_STATUS, &status);
    if (status == 0)
        diagOut("programme non linke");
    return true;
}

void ShaderProgram::bind() const
{
    gl.glUseProgram(program_);
    // The order of the six queries is part of the contract; nothing is cached per program.
    CurrentShaderLocations& at = currentShaderLocations;
    at.finalMatrix = gl.glGetUniformLocation(program_, "finalMatrix");
    at.texture0 = gl.glGetUniformLocation(program_, "texture0");
    at.inVertex = gl.glGetAttribLocation(program_, "inVertex");
    at.inNormal = gl.glGetAttribLocation(program_, "inNormal");
    at.inTexCoord = gl.glGetAttribLocation(program_, "inTexCoord");
    at.mvMat = gl.glGetUniformLocation(program_, "mvMat");
}

std::string readShaderFile(const std::string& path)
{
    // A folder or an unreadable file in the shader's place is reported as a missing one.
    std::string text;
    if (!readWholeFile(path, text)) {
        diagErr("Could not load shader: " + path);
        return {};
    }
    // Text mode on the original platform turns CR LF into LF; do the same everywhere.
    std::string::size_type out = 0;
    for (std::string::size_type in = 0; in < text.size(); ++in) {
        if (text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n')
            continue;
        text[out++] = text[in];
    }
    text.resize(out);
    return text;
}
