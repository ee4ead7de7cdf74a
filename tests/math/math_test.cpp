#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "math/camera.h"
#include "math/vec.h"

namespace {

using Point = std::array<float, 4>;
const float kQuarterTurn = static_cast<float>(90 * kDegToRad);

Point transformed(const Mat4& m, Point p)
{
    Point r{};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k)
            r[row] += m.m[4 * k + row] * p[k];
    return r;
}

Point divided(Point p)
{
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], 1.0f};
}

void expectPoint(const Point& got, const Point& want, float tol = 1e-5f)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], tol) << "component " << i;
}

void expectSame(const float* got, const float* want)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(got[i], want[i]) << "element " << i;
}

} // namespace

TEST(Vec, LengthSquaredCrossAndNormalize)
{
    EXPECT_EQ(Vec2(3, -4).lengthSquared(), 25.0f);
    EXPECT_EQ(Vec2(-2, 5).lengthSquared(), 29.0f);

    Vec3 z = Vec3::cross({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    EXPECT_EQ(Vec3::cross({0, 0, 1}, {1, 0, 0}).y, 1.0f);

    Vec3 v(3, 0, 4);
    EXPECT_EQ(&v.normalize(), &v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    Vec3 zero;
    zero.normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}

TEST(Mat4, BuildersSendKnownPointsWhereExpected)
{
    expectPoint(transformed(Mat4::translation(1, 2, 3), {1, 1, 1, 1}), {2, 3, 4, 1});
    expectPoint(transformed(Mat4::translation(1, 2, 3), {1, 1, 1, 0}), {1, 1, 1, 0});
    expectPoint(transformed(Mat4::scaling(2, 3, 4), {1, 1, 1, 1}), {2, 3, 4, 1});
    // Counter-clockwise about +z: x goes to y and y to -x.
    expectPoint(transformed(Mat4::rotationZ(kQuarterTurn), {1, 0, 5, 1}), {0, 1, 5, 1});
    expectPoint(transformed(Mat4::rotationZ(kQuarterTurn), {0, 1, 5, 1}), {-1, 0, 5, 1});
    expectPoint(
        transformed(Mat4::rotationZ(-0.5f), {2, 3, 0, 1}),
        {2 * std::cos(0.5f) + 3 * std::sin(0.5f), 3 * std::cos(0.5f) - 2 * std::sin(0.5f), 0, 1});
}

// Every element of the axis rotation, by a second route: Rodrigues' formula
// v cos a + (k x v) sin a + k (k . v)(1 - cos a), applied to each basis vector.
TEST(Mat4, AxisRotationTurnsRightHandedAboutAnyUnitAxis)
{
    Vec3 axis(1, -2, 3);
    axis.normalize();
    for (float angle : {0.7f, -2.1f, kQuarterTurn}) {
        const Mat4 m = Mat4::rotationAxis(angle, axis.x, axis.y, axis.z);
        for (Vec3 v : {Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 1)}) {
            const Vec3 k = axis;
            const Vec3 kv = Vec3::cross(k, v);
            const float dot = k.x * v.x + k.y * v.y + k.z * v.z;
            const float c = std::cos(angle), s = std::sin(angle);
            expectPoint(transformed(m, {v.x, v.y, v.z, 1}),
                        {v.x * c + kv.x * s + k.x * dot * (1 - c),
                         v.y * c + kv.y * s + k.y * dot * (1 - c),
                         v.z * c + kv.z * s + k.z * dot * (1 - c), 1});
        }
    }
}

TEST(Mat4, ProductAppliesRightOperandFirstAndTargetMayAlias)
{
    const Mat4 t = Mat4::translation(10, 0, 0);
    const Mat4 r = Mat4::rotationZ(kQuarterTurn);
    Mat4 tr;
    Mat4::multiply(tr, t, r);
    expectPoint(transformed(tr, {1, 0, 0, 1}), transformed(t, transformed(r, {1, 0, 0, 1})));
    expectPoint(transformed(tr, {1, 0, 0, 1}), {10, 1, 0, 1});

    Mat4 left = t, right = r;
    Mat4::multiply(left, left, r);
    Mat4::multiply(right, t, right);
    expectSame(left.m, tr.m);
    expectSame(right.m, tr.m);
}

TEST(Camera, PerspectiveWritesOnlyItsSixElements)
{
    Camera cam;
    cam.resetProjection();
    cam.perspective(40, 1.7777778f, 1, 1000);
    const float* p = cam.projectionMatrix();
    const float cot = 1.0f / std::tan(static_cast<float>(20 * kDegToRad));
    EXPECT_NEAR(p[0], cot / 1.7777778f, 1e-5f);
    EXPECT_NEAR(p[5], cot, 1e-5f);
    EXPECT_FLOAT_EQ(p[10], -1001.0f / 999.0f);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_FLOAT_EQ(p[14], -2000.0f / 999.0f);
    EXPECT_EQ(p[15], 0.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13})
        EXPECT_EQ(p[i], 0.0f) << i;
    expectPoint(divided(transformed(cam.projection(), {0, 0, -1, 1})), {0, 0, -1, 1});
    expectPoint(divided(transformed(cam.projection(), {0, 0, -1000, 1})), {0, 0, 1, 1}, 1e-4f);

    cam.ortho(0, 10, 0, 10, 1, 2); // off-centre: its 12 and 13 must survive
    cam.perspective(40, 1, 1, 100);
    EXPECT_EQ(p[12], -1.0f);
    EXPECT_EQ(p[13], -1.0f);
}

TEST(Camera, PerspectiveGuardLeavesAllSixteenUntouched)
{
    Camera cam;
    cam.resetProjection();
    cam.ortho(-3, 5, -2, 7, 1, 9);
    const Mat4 before = cam.projection();
    cam.perspective(40, 1.5f, 10, 10);
    cam.perspective(0, 1.5f, 1, 100);
    cam.perspective(40, 0, 1, 100);
    expectSame(cam.projectionMatrix(), before.m);
}

TEST(Camera, OrthoMapsBoundsToUnitCubeAndWritesOnlyItsSixElements)
{
    Camera cam;
    cam.resetProjection();
    cam.ortho(0, 1280, 0, 720, 1, 1000);
    expectPoint(transformed(cam.projection(), {0, 0, -1, 1}), {-1, -1, -1, 1});
    expectPoint(transformed(cam.projection(), {1280, 720, -1000, 1}), {1, 1, 1, 1});

    // Over a perspective, elements 11 and 15 keep its -1 and 0.
    cam.perspective(40, 1, 1, 100);
    const Mat4 before = cam.projection();
    cam.ortho(-3, 5, -2, 7, 1, 9);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 11, 15})
        EXPECT_EQ(cam.projectionMatrix()[i], before.m[i]) << i;
}

TEST(Camera, LookAtReplacesViewAndPutsCentreStraightAhead)
{
    Camera cam;
    cam.lookAt(3, 4, 5, 0, 0, 0, 0, 0, 1);
    cam.lookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    expectSame(cam.viewMatrix(), Mat4::identity().m);

    cam.lookAt(0, 10, 10, 0, 0, 0, 0, 1, 0);
    expectPoint(transformed(cam.view(), {0, 10, 10, 1}), {0, 0, 0, 1});
    expectPoint(transformed(cam.view(), {0, 0, 0, 1}), {0, 0, -std::sqrt(200.0f), 1}, 1e-4f);
    expectPoint(transformed(cam.view(), {1, 10, 10, 1}), {1, 0, 0, 1});

    cam.lookAt(0, 5, 0, 0, 0, 0, 0, 1, 0); // up along the view: degenerate but finite
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(cam.viewMatrix()[i])) << i;
}
