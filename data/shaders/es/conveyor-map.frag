#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../conveyor-map.frag: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
// Ground tiles: the grass texture under the shading the vertex stage worked out.

uniform sampler2D texture0;

varying vec3 colour;
varying vec2 texCoord;

void main()
{
    vec4 texel = texture2D(texture0, texCoord);
    gl_FragColor = vec4(texel.rgb * colour, texel.a);
}
