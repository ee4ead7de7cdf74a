#version 120
// The game-over screen's program: a full transform and a texture, drawn in greys.

attribute vec3 inVertex;
attribute vec3 inNormal;   // the mesh's vertex colour travels in this slot
attribute vec2 inTexCoord;

uniform mat4 finalMatrix;

varying vec3 colour;
varying vec2 texCoord;

void main()
{
    colour = inNormal;
    texCoord = inTexCoord;
    gl_Position = finalMatrix * vec4(inVertex, 1.0);
}
