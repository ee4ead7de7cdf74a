#version 120
// Unlit: texture times vertex colour.

uniform sampler2D texture0;

varying vec3 colour;
varying vec2 texCoord;

void main()
{
    vec4 texel = texture2D(texture0, texCoord);
    gl_FragColor = vec4(texel.rgb * colour, texel.a);
}
