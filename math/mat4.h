#pragma once

// Conventions of the whole codebase:
// - Column-major storage: row r, column c lives at m[4c + r]; translation at 12, 13, 14.
// - Points are column vectors transformed as M * p.
// - Every transform step is a post-multiplication M := M * X, so the step applied last
//   to the matrix acts first on the point.
// - Objects store angles in degrees; builders take radians, converted with kDegToRad.
// - Matrices go to GL exactly as stored: glUniformMatrix4fv(loc, 1, GL_FALSE, m).

// Degrees to radians, as a double literal (not pi / 180 computed at run time).
inline constexpr double kDegToRad = 0.017453292519943;

struct Mat4 {
    float m[16] = {};

    static Mat4 identity();
    static Mat4 translation(float x, float y, float z);
    static Mat4 scaling(float sx, float sy, float sz);
    // Counter-clockwise about +z.
    static Mat4 rotationZ(float radians);
    // The axis must already be a unit vector; it is not normalised here.
    static Mat4 rotationAxis(float radians, float x, float y, float z);

    // target := a * b, computed through a temporary so target may alias a or b.
    static void multiply(Mat4& target, const Mat4& a, const Mat4& b);

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    const float* data() const { return m; }
};
