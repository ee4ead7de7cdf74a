#include "game/fallback_programs.h"

#include "render/shader_program.h"

namespace {

const char* const kFragment = R"(#version 120
uniform sampler2D texture0;
varying vec2 uv;
varying vec3 colour;
void main()
{
    vec4 texel = texture2D(texture0, uv);
    gl_FragColor = vec4(mix(colour * texel.rgb, vec3(1.0, 0.0, 1.0), 0.5), texel.a);
}
)";

const char* const kBasicVertex = R"(#version 120
attribute vec3 inVertex;
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
const char* const kConveyorVertex = R"(#version 120
attribute vec3 inVertex;
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

} // namespace

void useFallbackBasicProgram(ShaderProgram& program)
{
    program.loadSources(kBasicVertex, kFragment);
    program.compileAndLink();
}

void useFallbackConveyorProgram(ShaderProgram& program)
{
    program.loadSources(kConveyorVertex, kFragment);
    program.compileAndLink();
}
