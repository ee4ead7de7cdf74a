#version 120
// The label's colour where the font has ink (the font's alpha is the coverage), ringed by a
// thin edge: black around light colours, white around dark ones, so that every colour a
// label takes reads over the sky and over the grass.

uniform sampler2D texture0;

varying vec3 colour;
varying vec2 texCoord;

const float kEdge = 1.0 / 256.0; // a sixteenth of a font cell

float inkAt(vec2 offset)
{
    return texture2D(texture0, texCoord + offset * kEdge).a;
}

void main()
{
    float ink = inkAt(vec2(0.0, 0.0));
    float edge = max(max(max(inkAt(vec2(-1.0, 0.0)), inkAt(vec2(1.0, 0.0))),
                         max(inkAt(vec2(0.0, -1.0)), inkAt(vec2(0.0, 1.0)))),
                     max(max(inkAt(vec2(-0.7, -0.7)), inkAt(vec2(0.7, -0.7))),
                         max(inkAt(vec2(-0.7, 0.7)), inkAt(vec2(0.7, 0.7)))));
    vec3 edgeColour = vec3(step(dot(colour, vec3(0.299, 0.587, 0.114)), 0.3));
    gl_FragColor = vec4(mix(edgeColour, colour, ink), max(ink, edge));
}
