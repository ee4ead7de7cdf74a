#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../score-display.frag: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
// The label's colour where the font has ink (the font's alpha is the coverage), ringed by a
// thin edge: black around light colours, white around dark ones, so that every colour a
// label takes reads over the sky and over the grass.

uniform sampler2D texture0;

varying vec3 colour;
varying vec2 texCoord;

const float kEdge = 1.0 / 320.0; // a twentieth of a font cell

float inkAt(vec2 offset)
{
    return texture2D(texture0, texCoord + offset * kEdge).a;
}

void main()
{
    float ink = inkAt(vec2(0.0, 0.0));
    // Ink at any corner of a small square around the point: four looks, which reach across
    // a stroke's sides and around its corners alike (a full ring of eight costs the frame
    // twice as much for a rounder edge).
    float edge = max(max(inkAt(vec2(-1.0, -1.0)), inkAt(vec2(1.0, -1.0))),
                     max(inkAt(vec2(-1.0, 1.0)), inkAt(vec2(1.0, 1.0))));
    // Black around a colour brighter than 0.3 (the zones' pale and lavender, the green), white
    // around a darker one (the centre zone's blue).
    vec3 edgeColour = vec3(step(dot(colour, vec3(0.299, 0.587, 0.114)), 0.3));
    gl_FragColor = vec4(mix(edgeColour, colour, ink), max(ink, edge));
}
