#pragma once

#include <GL/gl.h>

// The attribute and uniform locations of the program bound last, published by
// ShaderProgram::bind and read by every draw. -1 where the program lacks the name; all 0
// before the first bind.
struct CurrentShaderLocations {
    GLint inVertex = 0;
    GLint inNormal = 0;
    GLint inTexCoord = 0;
    GLint texture0 = 0;
    GLint finalMatrix = 0;
    GLint mvMat = 0;
};

extern CurrentShaderLocations currentShaderLocations;
