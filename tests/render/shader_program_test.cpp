#include "app/gl_functions.h"
#include "render/mesh.h"
#include "render/shader_locations.h"
#include "render/shader_program.h"
#include "math/mat4.h"
#include "tests/render/render_test_support.h"
#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"
#include "tests/support/gl_call_log.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

namespace {

GLint shaderInt(GLuint shader, GLenum what)
{
    GLint value = -1;
    gl.glGetShaderiv(shader, what, &value);
    return value;
}

GLint programInt(GLuint program, GLenum what)
{
    GLint value = -1;
    gl.glGetProgramiv(program, what, &value);
    return value;
}

GLint currentProgram()
{
    GLint name = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &name);
    return name;
}

const char* const kBrokenVertex = "#version 120\nvoid main() { gl_Position = vec4(1.0) + ; }\n";
const char* const kBrokenFragment = "#version 120\nvoid main() { gl_FragColor = nonsense; }\n";

class ShaderProgramOnGl : public RenderTest { };

} // namespace

TEST_F(ShaderProgramOnGl, SourcesThatCompileBuildSilentlyAndLink)
{
    // Windows line ends are read as Unix ones; a lone "\r" is kept.
    const std::string path = dir_.write("crlf.vert", "line one\r\nline two\r\n\rkept\r");
    EXPECT_EQ(readShaderFile(path), "line one\nline two\n\rkept\r");
    // A warning is not reported. The source is one never seen before, so the driver's shader
    // cache cannot skip the compile and with it the warning.
    const std::string warned = "#version 120\n#extension GL_ZORBEL_unknown : warn\n// " +
                               std::to_string(std::random_device()()) + "\n" +
                               shaders::kVertexPlain.substr(shaders::kVertexPlain.find('\n') + 1);
    for (const std::string& vertex : {shaders::kVertexWithMvMat, warned}) {
        ShaderProgram program;
        EXPECT_EQ(program.programName(), 0u);
        RecordedLines said;
        buildProgram(program, dir_, vertex, shaders::kFragmentTextured);
        EXPECT_EQ(said.out(), "") << vertex;
        EXPECT_EQ(said.err(), "") << vertex;
        ASSERT_NE(program.programName(), 0u);
        ASSERT_NE(program.vertexShaderName(), 0u);
        EXPECT_NE(program.fragmentShaderName(), 0u);
        EXPECT_EQ(shaderInt(program.vertexShaderName(), GL_COMPILE_STATUS), GL_TRUE);
        EXPECT_EQ(programInt(program.programName(), GL_LINK_STATUS), GL_TRUE) << vertex;
        EXPECT_EQ(programInt(program.programName(), GL_ATTACHED_SHADERS), 2);
        // The driver did have something to say about the warned source.
        if (vertex == warned) {
            EXPECT_GT(shaderInt(program.vertexShaderName(), GL_INFO_LOG_LENGTH), 1);
        }
    }
}

TEST_F(ShaderProgramOnGl,
       AMissingFileIsNamedOnStandardErrorAndItsEmptySourceStillGoesThroughTheBuild)
{
    const std::string missing = (dir_.path() / "nowhere.vert").string();
    const std::string fragment = dir_.write("good.frag", shaders::kFragmentColour);

    ShaderProgram program;
    RecordedLines said;
    EXPECT_TRUE(program.load(missing, fragment));
    const GLuint vertexShader = program.vertexShaderName();
    EXPECT_TRUE(program.compileAndLink());
    const std::string report = said.out();
    EXPECT_EQ(said.err(), "Could not load shader: " + missing + "\n");

    // The empty source compiles or fails as the driver sees fit; a failure with a log is
    // reported under the vertex label with the type value 35633, and the shader is dropped.
    const bool compiled = shaderInt(vertexShader, GL_COMPILE_STATUS) == GL_TRUE;
    if (compiled) {
        EXPECT_EQ(program.vertexShaderName(), vertexShader);
        EXPECT_EQ(report.find("Could not compile"), std::string::npos) << report;
    } else {
        EXPECT_EQ(report.rfind("Could not compile vertexShader 35633:\n", 0), 0u) << report;
        EXPECT_EQ(program.vertexShaderName(), 0u);
    }
    // Either way the program goes on to the link with whatever shaders it still has.
    EXPECT_EQ(programInt(program.programName(), GL_ATTACHED_SHADERS), compiled ? 2 : 1);
    const bool linked = programInt(program.programName(), GL_LINK_STATUS) == GL_TRUE;
    EXPECT_EQ(report.find("programme non linke\n") != std::string::npos, !linked) << report;

    // With both files missing the vertex file is named first.
    const std::string alsoMissing = (dir_.path() / "nowhere.frag").string();
    RecordedLines both;
    ShaderProgram neither;
    neither.load(missing, alsoMissing);
    EXPECT_EQ(both.err(), "Could not load shader: " + missing +
                              "\nCould not load shader: " + alsoMissing + "\n");
}

// Read with no GL: a folder would end the process if its read were trusted.
TEST(ShaderFile, AFolderInPlaceOfTheFileIsReportedAsAMissingOneIs)
{
    TempDir dir;
    const std::filesystem::path folder = dir.path() / "basic-fixed.frag";
    std::filesystem::create_directory(folder);
    RecordedLines said;
    EXPECT_EQ(readShaderFile(folder.string()), "");
    EXPECT_EQ(said.err(), "Could not load shader: " + folder.string() + "\n");
}

TEST_F(ShaderProgramOnGl, CompileFailuresReportLabelTypeAndLogThenDropTheShader)
{
    {
        ShaderProgram program;
        RecordedLines said;
        buildProgram(program, dir_, kBrokenVertex, shaders::kFragmentColour);
        const std::string report = said.out();
        const std::string head = "Could not compile vertexShader 35633:\n";
        ASSERT_EQ(report.rfind(head, 0), 0u) << report;
        // label, type value, colon, line break, the driver's log, one more line break. A
        // compatibility context links the fragment stage alone, so no link report follows.
        EXPECT_EQ(report.back(), '\n');
        EXPECT_NE(report.find("error", head.size()), std::string::npos) << report;
        EXPECT_EQ(report.find("programme non linke"), std::string::npos) << report;
        EXPECT_EQ(program.vertexShaderName(), 0u);
        EXPECT_NE(program.fragmentShaderName(), 0u);
        EXPECT_EQ(programInt(program.programName(), GL_ATTACHED_SHADERS), 1);
    }
    {
        ShaderProgram program;
        RecordedLines said;
        buildProgram(program, dir_, shaders::kVertexPlain, kBrokenFragment);
        const std::string report = said.out();
        EXPECT_EQ(report.rfind("Could not compile fragmentShader 35632:\n", 0), 0u) << report;
        EXPECT_EQ(report.find("vertexShader"), std::string::npos) << report;
        EXPECT_NE(program.vertexShaderName(), 0u);
        EXPECT_EQ(program.fragmentShaderName(), 0u);
    }
    {
        // A driver that fails the compile without a log: nothing is said and the failed
        // shader stays in place, attached.
        GlCallLog log;
        static PFNGLGETSHADERIVPROC recorded;
        recorded = gl.glGetShaderiv;
        gl.glGetShaderiv = [](GLuint shader, GLenum what, GLint* value) {
            recorded(shader, what, value);
            if (what == GL_INFO_LOG_LENGTH)
                *value = 0;
        };
        ShaderProgram program;
        RecordedLines said;
        buildProgram(program, dir_, kBrokenVertex, shaders::kFragmentColour);
        EXPECT_EQ(said.out().find("Could not compile"), std::string::npos);
        EXPECT_NE(program.vertexShaderName(), 0u);
        EXPECT_TRUE(log.callsTo("glDeleteShader").empty());
        EXPECT_EQ(programInt(program.programName(), GL_ATTACHED_SHADERS), 2);
    }
}

TEST_F(ShaderProgramOnGl, ALinkFailurePrintsOneLineAndLeavesABindableProgram)
{
    ShaderProgram program;
    RecordedLines said;
    // Compiles, but a vertex stage without main cannot link.
    buildProgram(program, dir_, "#version 120\nvoid helper() {}\n", shaders::kFragmentColour);
    EXPECT_EQ(said.out(), "programme non linke\n");
    EXPECT_NE(program.vertexShaderName(), 0u);
    EXPECT_EQ(programInt(program.programName(), GL_ATTACHED_SHADERS), 2);

    program.bind();
    EXPECT_EQ(currentShaderLocations.finalMatrix, -1);
    EXPECT_EQ(currentShaderLocations.inVertex, -1);
    EXPECT_EQ(currentShaderLocations.mvMat, -1);
}

TEST_F(ShaderProgramOnGl, BindPublishesTheLocationsOfTheProgramBoundLast)
{
    ShaderProgram full;
    ShaderProgram plain;
    buildProgram(full, dir_, shaders::kVertexWithMvMat, shaders::kFragmentTextured);
    buildProgram(plain, dir_, shaders::kVertexPlain, shaders::kFragmentColour);

    GlCallLog log;
    full.bind();
    const std::string name = std::to_string(full.programName());
    EXPECT_EQ(log.calls(), (std::vector<std::string>{
                               "glUseProgram " + name,
                               "glGetUniformLocation " + name + " finalMatrix",
                               "glGetUniformLocation " + name + " texture0",
                               "glGetAttribLocation " + name + " inVertex",
                               "glGetAttribLocation " + name + " inNormal",
                               "glGetAttribLocation " + name + " inTexCoord",
                               "glGetUniformLocation " + name + " mvMat",
                           }));
    const CurrentShaderLocations a = currentShaderLocations;
    EXPECT_EQ(currentProgram(), static_cast<GLint>(full.programName()));
    EXPECT_EQ(a.finalMatrix, gl.glGetUniformLocation(full.programName(), "finalMatrix"));
    for (GLint location :
         {a.finalMatrix, a.texture0, a.mvMat, a.inVertex, a.inNormal, a.inTexCoord})
        EXPECT_GE(location, 0);

    // B lacks "mvMat" and an active "texture0": those read -1, nothing of A survives.
    plain.bind();
    const CurrentShaderLocations& b = currentShaderLocations;
    EXPECT_EQ(currentProgram(), static_cast<GLint>(plain.programName()));
    EXPECT_EQ(b.mvMat, -1);
    EXPECT_EQ(b.texture0, -1);
    EXPECT_EQ(b.finalMatrix, gl.glGetUniformLocation(plain.programName(), "finalMatrix"));
    EXPECT_EQ(b.inVertex, gl.glGetAttribLocation(plain.programName(), "inVertex"));
    EXPECT_EQ(b.inNormal, gl.glGetAttribLocation(plain.programName(), "inNormal"));
    EXPECT_EQ(b.inTexCoord, gl.glGetAttribLocation(plain.programName(), "inTexCoord"));

    // A draw after the second bind feeds B's "finalMatrix".
    Mesh mesh = quads({{0, 0, 1, 1}});
    mesh.createBuffers();
    const Mat4 matrix = Mat4::translation(0.25f, 0.5f, 0.75f);
    mesh.draw(&matrix);
    const std::vector<float> seen = uniformFloats(plain.programName(), b.finalMatrix, 16);
    EXPECT_EQ(seen, std::vector<float>(matrix.m, matrix.m + 16));
}

TEST_F(ShaderProgramOnGl, ReleasesOnceOnlyWhatItOwnsAndOnlyWithAContext)
{
    // Destruction leaves no program current and detaches both shaders.
    GLuint name = 0;
    {
        ShaderProgram program;
        buildProgram(program, dir_, shaders::kVertexPlain, shaders::kFragmentColour);
        name = program.programName();
        program.bind();
    }
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(programInt(name, GL_ATTACHED_SHADERS), 0);

    // A moved-from program releases nothing: the new owner stays current and attached.
    ShaderProgram owner;
    {
        ShaderProgram source;
        buildProgram(source, dir_, shaders::kVertexPlain, shaders::kFragmentColour);
        owner = std::move(source);
        EXPECT_EQ(source.programName(), 0u);
        owner.bind();
    }
    EXPECT_EQ(currentProgram(), static_cast<GLint>(owner.programName()));
    EXPECT_EQ(programInt(owner.programName(), GL_ATTACHED_SHADERS), 2);
    ShaderProgram moved(std::move(owner));
    EXPECT_EQ(owner.programName(), 0u);
    EXPECT_NE(moved.programName(), 0u);

    // A never-loaded program makes no GL call at all; after the context is gone neither does
    // a built one (the driver would ignore such calls, so only the record shows them).
    GlCallLog log;
    {
        ShaderProgram never;
    }
    EXPECT_TRUE(log.calls().empty());
    context_.reset();
    {
        ShaderProgram last(std::move(moved));
    }
    EXPECT_EQ(log.calls(), std::vector<std::string>{});
}
