#include "math/mat4.h"

#include <cmath>

Mat4 Mat4::identity()
{
    Mat4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 Mat4::translation(float x, float y, float z)
{
    Mat4 r = identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 Mat4::scaling(float sx, float sy, float sz)
{
    Mat4 r;
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    r.m[15] = 1.0f;
    return r;
}

Mat4 Mat4::rotationZ(float radians)
{
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    Mat4 r;
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    r.m[10] = 1.0f;
    r.m[15] = 1.0f;
    return r;
}

Mat4 Mat4::rotationAxis(float radians, float x, float y, float z)
{
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float t = 1.0f - c;
    Mat4 r;
    r.m[0] = c + x * x * t;
    r.m[1] = x * y * t + z * s;
    r.m[2] = x * z * t - y * s;
    r.m[4] = x * y * t - z * s;
    r.m[5] = c + y * y * t;
    r.m[6] = y * z * t + x * s;
    r.m[8] = x * z * t + y * s;
    r.m[9] = y * z * t - x * s;
    r.m[10] = c + z * z * t;
    r.m[15] = 1.0f;
    return r;
}

void Mat4::multiply(Mat4& target, const Mat4& a, const Mat4& b)
{
    // Sprites and labels multiply in place (M := M * X), so the product must not
    // read an operand after writing the target.
    float product[16];
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[4 * k + r] * b.m[4 * c + k];
            }
            product[4 * c + r] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        target.m[i] = product[i];
    }
}
