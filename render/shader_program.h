#pragma once

#include <GL/gl.h>

#include <string>

// One vertex and one fragment shader, each read from its own text file, linked into one GL
// program. bind() makes it current and publishes the locations of the six fixed names in
// currentShaderLocations, which every draw reads.
//
// Failures never stop anything: load and compileAndLink return true, compile failures are
// reported on standard output with the driver's log, an unreadable file on standard error.
//
// Owns its three GL names: not copyable; a moved-from program owns none. The constructor
// makes no GL call; the destructor (once, and only with a context current) leaves no
// program current and detaches the shaders.
class ShaderProgram {
public:
    ShaderProgram() = default;
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;
    ShaderProgram(ShaderProgram&& other) noexcept;
    ShaderProgram& operator=(ShaderProgram&& other) noexcept;

    // Creates the two shaders and the program and gives each shader its file's text. Does
    // not compile. A second load detaches and forgets the objects of the first.
    bool load(const std::string& vertexPath, const std::string& fragmentPath);
    // Compiles both shaders, attaches them and links. A shader whose compile fails with a
    // log is reported, deleted and attached as 0; one that fails with an empty log stays.
    // The same as load, from source texts in memory (built-in programs).
    bool loadSources(const std::string& vertexText, const std::string& fragmentText);
    bool compileAndLink();
    // Whether the last link succeeded.
    bool linked() const;
    // Makes the program current and refreshes every field of currentShaderLocations.
    void bind() const;

    GLuint programName() const { return program_; }
    GLuint vertexShaderName() const { return vertexShader_; }
    GLuint fragmentShaderName() const { return fragmentShader_; }

private:
    void release();

    GLuint program_ = 0;
    GLuint vertexShader_ = 0;
    GLuint fragmentShader_ = 0;
};

// The whole text of a file, with CR LF line ends read as LF; an empty string, and the line
// "Could not load shader: <path>" on standard error, when the file cannot be opened or read
// (a folder in its place included).
std::string readShaderFile(const std::string& path);
