#include "math/vec.h"

#include <cmath>

float Vec2::lengthSquared() const
{
    return x * x + y * y;
}

Vec3 Vec3::cross(const Vec3& a, const Vec3& b)
{
    return Vec3(a.y * b.z - b.y * a.z, b.x * a.z - a.x * b.z, a.x * b.y - b.x * a.y);
}

Vec3& Vec3::normalize()
{
    const float length = std::sqrt(x * x + y * y + z * z);
    // A zero-length vector (or one whose squared length underflows to 0) has no
    // direction; it is left as it is rather than turned into NaNs.
    if (length == 0.0f) {
        return *this;
    }
    x /= length;
    y /= length;
    z /= length;
    return *this;
}
