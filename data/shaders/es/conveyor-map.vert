#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../conveyor-map.vert: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
// Ground tiles of the little planet. The ground is flat within BEND_START of the scroll centre;
// beyond it the surface rolls over a curve of radius ROLL, the way trees and walls past that
// radius are tipped outward, so the grass drops away like the horizon of a small world.
//
// "mvMat" is view * model of the tile (tile scale 1, unit quad anchored at its centre) and
// "projMat" the camera projection; "pos" is the tile centre relative to the scroll centre.

attribute vec3 inVertex;
attribute vec3 inNormal;   // the mesh's vertex colour travels in this slot
attribute vec2 inTexCoord;

uniform mat4 mvMat;
uniform mat4 projMat;
uniform vec2 pos;

varying vec3 colour;
varying vec2 texCoord;

const float BEND_START = 15.0;
const float ROLL = 1.6;

void main()
{
    vec2 rel = pos + inVertex.xy - 0.5;   // this vertex, in world units from the scroll centre
    float d = length(rel);
    float past = max(d - BEND_START, 0.0);

    // Arc length `past` along the roll: pulled back toward the centre and down the curve.
    float angle = past / ROLL;
    vec2 outward = d > 0.0001 ? rel / d : vec2(0.0);
    vec3 worldShift = vec3(outward * (ROLL * sin(angle) - past), -ROLL * (1.0 - cos(angle)));

    vec4 p = mvMat * vec4(inVertex, 1.0);
    p.xyz += mat3(mvMat[0].xyz, mvMat[1].xyz, mvMat[2].xyz) * worldShift;   // no mat3(mat4) in GLSL ES 1.00
    gl_Position = projMat * p;

    // A faint dome of light over the flat part, then the roll turning away from it.
    float shade = (1.0 - 0.12 * min(d * d / (BEND_START * BEND_START), 1.0))
                * (1.0 - 0.45 * clamp(angle / 1.5, 0.0, 1.0));
    colour = inNormal * shade;
    texCoord = inTexCoord;
}
