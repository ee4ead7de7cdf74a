#include "math/camera.h"

#include <cmath>

#include "math/vec.h"

void Camera::resetView()
{
    view_ = Mat4::identity();
}

void Camera::resetProjection()
{
    projection_ = Mat4::identity();
}

void Camera::perspective(float fovYDegrees, float aspect, float near, float far)
{
    const float half = static_cast<float>(fovYDegrees / 2.0f * kDegToRad);
    const float deltaZ = far - near;
    const float s = std::sin(half);
    if (deltaZ == 0.0f || s == 0.0f || aspect == 0.0f) {
        return;
    }
    const float cot = std::cos(half) / s;
    float* p = projection_.m;
    p[0] = cot / aspect;
    p[5] = cot;
    p[10] = -(far + near) / deltaZ;
    p[11] = -1.0f;
    p[14] = far * (near * -2.0f) / deltaZ;
    p[15] = 0.0f;
}

void Camera::ortho(float left, float right, float bottom, float top, float near, float far)
{
    float* p = projection_.m;
    p[0] = 2.0f / (right - left);
    p[5] = 2.0f / (top - bottom);
    p[10] = -2.0f / (far - near);
    p[12] = -(right + left) / (right - left);
    p[13] = -(top + bottom) / (top - bottom);
    p[14] = -(far + near) / (far - near);
}

void Camera::lookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ,
                    float upX, float upY, float upZ)
{
    Vec3 f(centreX - eyeX, centreY - eyeY, centreZ - eyeZ);
    f.normalize();
    Vec3 s = Vec3::cross(f, Vec3(upX, upY, upZ));
    s.normalize();
    Vec3 u = Vec3::cross(s, f);
    u.normalize();

    Mat4 rotation;
    rotation.m[0] = s.x;
    rotation.m[4] = s.y;
    rotation.m[8] = s.z;
    rotation.m[1] = u.x;
    rotation.m[5] = u.y;
    rotation.m[9] = u.z;
    rotation.m[2] = -f.x;
    rotation.m[6] = -f.y;
    rotation.m[10] = -f.z;
    rotation.m[15] = 1.0f;
    Mat4::multiply(view_, rotation, Mat4::translation(-eyeX, -eyeY, -eyeZ));
}
