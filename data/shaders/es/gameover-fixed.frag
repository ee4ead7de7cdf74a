#version 100
// The OpenGL ES 2.0 (WebGL 1) edition of ../gameover-fixed.frag: the same program in GLSL ES 1.00.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
// Everything fades to a dim grey, keeping the texture's alpha.

uniform sampler2D texture0;

varying vec3 colour;
varying vec2 texCoord;

void main()
{
    vec4 texel = texture2D(texture0, texCoord);
    float grey = dot(texel.rgb * colour, vec3(0.299, 0.587, 0.114));
    gl_FragColor = vec4(vec3(grey * 0.6), texel.a);
}
