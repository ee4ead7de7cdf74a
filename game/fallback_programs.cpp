#include "game/fallback_programs.h"

#include "app/gl_dialect.h"
#include "render/shader_program.h"

#include <string>

namespace {

const char* const kFragment = R"(uniform sampler2D texture0;
varying vec2 uv;
varying vec3 colour;
void main()
{
    vec4 texel = texture2D(texture0, uv);
    gl_FragColor = vec4(mix(colour * texel.rgb, vec3(1.0, 0.0, 1.0), 0.5), texel.a);
}
)";

const char* const kBasicVertex = R"(attribute vec3 inVertex;
attribute vec3 inNormal;
attribute vec2 inTexCoord;
uniform mat4 finalMatrix;
varying vec2 uv;
varying vec3 colour;
void main()
{
    uv = inTexCoord;
    colour = inNormal;
    gl_Position = finalMatrix * vec4(inVertex, 1.0);
}
)";

// The ground without the bend: "pos" is read so that it stays an active uniform.
const char* const kConveyorVertex = R"(attribute vec3 inVertex;
attribute vec3 inNormal;
attribute vec2 inTexCoord;
uniform mat4 mvMat;
uniform mat4 projMat;
uniform vec2 pos;
varying vec2 uv;
varying vec3 colour;
void main()
{
    uv = inTexCoord;
    colour = inNormal * (1.0 - 0.01 * length(pos));
    gl_Position = projMat * mvMat * vec4(inVertex, 1.0);
}
)";

// The sources above speak both shading languages once they have the dialect's first lines.
std::string forDialect(const char* source)
{
    const char* header = glDialect() == GlDialect::Es2 ? "#version 100\nprecision mediump float;\n"
                                                       : "#version 120\n";
    return header + std::string(source);
}

} // namespace

void useFallbackBasicProgram(ShaderProgram& program)
{
    program.loadSources(forDialect(kBasicVertex), forDialect(kFragment));
    program.compileAndLink();
}

void useFallbackConveyorProgram(ShaderProgram& program)
{
    program.loadSources(forDialect(kConveyorVertex), forDialect(kFragment));
    program.compileAndLink();
}

void useFallbackDisplayProgram(ShaderProgram& program)
{
    useFallbackBasicProgram(program);
}
