#pragma once

// Two- and three-float vectors. Single precision throughout; nothing allocates.

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    Vec2() = default;
    Vec2(float x_, float y_) : x(x_), y(y_) { }

    // x*x + y*y; distance tests compare squared lengths and never take a root.
    float lengthSquared() const;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) { }

    // The right-handed cross product a x b.
    static Vec3 cross(const Vec3& a, const Vec3& b);

    // Divides each component by the length, in place, and returns this vector.
    // A zero-length vector has no direction and is left unchanged (still zero).
    Vec3& normalize();
};
