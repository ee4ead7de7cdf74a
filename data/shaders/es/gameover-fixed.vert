#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../gameover-fixed.vert: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
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
