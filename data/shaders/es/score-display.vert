#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../score-display.vert: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
// The score display: the labels' glyph quads over the picture. "finalMatrix" carries the
// screen camera and the label's placement.

attribute vec3 inVertex;
attribute vec3 inNormal;   // the label's colour travels in this slot
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
