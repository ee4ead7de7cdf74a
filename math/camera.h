#pragma once

#include "math/mat4.h"

// One view and one projection matrix. Construction leaves both undefined (all
// zero here); the owner resets them before use.
class Camera {
public:
    void resetView();
    void resetProjection();
    // Writes six elements of the projection; the other ten keep their values.
    // Leaves the projection untouched when far == near, the field of view is 0 or
    // aspect is 0.
    void perspective(float fovYDegrees, float aspect, float near, float far);
    // Writes six elements of the projection; the other ten keep their values.
    void ortho(float left, float right, float bottom, float top, float near, float far);
    // Replaces the whole view matrix. When eye == centre or up lies along the view
    // direction the basis degenerates to zero vectors: the view stays finite but
    // is not a useful camera.
    void lookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ,
                float upX, float upY, float upZ);

    const float* viewMatrix() const { return view_.m; }
    const float* projectionMatrix() const { return projection_.m; }
    const Mat4& view() const { return view_; }
    const Mat4& projection() const { return projection_; }

private:
    Mat4 view_;
    Mat4 projection_;
};
