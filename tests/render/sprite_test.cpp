#include "math/camera.h"
#include "math/mat4.h"
#include "render/mesh.h"
#include "render/shader_locations.h"
#include "render/sprite.h"
#include "render/texture.h"
#include "tests/render/image_test_files.h"
#include "tests/render/render_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

// The matrices the sprite should build, from the math library's builders (tested on their
// own by the math tests).
Mat4 product(std::initializer_list<Mat4> factors)
{
    Mat4 out = Mat4::identity();
    for (const Mat4& factor : factors)
        Mat4::multiply(out, out, factor);
    return out;
}

void expectNear(const float* actual, const Mat4& expected)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected.m[i], 1e-4f * (1.0f + std::fabs(expected.m[i])))
            << "element " << i;
}

class SpriteDrawing : public RenderTest {
protected:
    void prepare() override
    {
        buildProgram(plain_, dir_, shaders::kVertexPlain, shaders::kFragmentColour);
        buildProgram(withMvMat_, dir_, shaders::kVertexWithMvMat, shaders::kFragmentColour);
        quad_ = quads({{0, 0, 1, 1}}); // the unit quad
        quad_.createBuffers();
    }

    // One screen unit per pixel, the origin at the bottom left.
    void useScreenCamera()
    {
        camera_.resetView();
        camera_.resetProjection();
        camera_.ortho(0, kSide, 0, kSide, 1, 1000);
    }

    Pixels drawn(Sprite& sprite)
    {
        return RenderTest::drawn([&] { sprite.draw(); });
    }

    ShaderProgram plain_;
    ShaderProgram withMvMat_;
    Mesh quad_;
    Camera camera_;
};

} // namespace

TEST_F(SpriteDrawing, TheMatricesReachFinalMatrixAndMvMatAsTheBoundProgramAsks)
{
    camera_.resetView();
    camera_.resetProjection();
    camera_.perspective(40, 1.7777778f, 1, 1000);
    camera_.lookAt(1, -2, 20, 0, 5.46237f, -5, 0, 10, 0);

    Sprite sprite;
    sprite.init(3, -4, -1, &quad_, nullptr, &camera_);
    sprite.setScale(2.5f, 7, 1.5f);
    sprite.setAnchor(0.5f, 0.25f);
    sprite.setRotation(30);

    const Mat4 viewModel =
        product({camera_.view(), Mat4::translation(3, -4, -1),
                 Mat4::rotationZ(static_cast<float>(30 * kDegToRad)), Mat4::scaling(2.5f, 7, 1.5f),
                 Mat4::translation(-0.5f, -0.25f, 0)});
    const Mat4 full = product({camera_.projection(), viewModel});

    // Without "mvMat" the projection is folded into "finalMatrix".
    plain_.bind();
    sprite.draw();
    expectNear(uniformFloats(plain_.programName(), currentShaderLocations.finalMatrix, 16).data(),
               full);
    expectNear(sprite.matrix().m, full);

    // With it, both receive view times model.
    withMvMat_.bind();
    sprite.draw();
    expectNear(
        uniformFloats(withMvMat_.programName(), currentShaderLocations.finalMatrix, 16).data(),
        viewModel);
    expectNear(uniformFloats(withMvMat_.programName(), currentShaderLocations.mvMat, 16).data(),
               viewModel);

    // The matrix is rebuilt from the view on every draw: earlier operations do not pile up.
    sprite.translate(100, 100, 100);
    sprite.rotateAxis(1.0f, 0, 1, 0);
    sprite.draw();
    expectNear(uniformFloats(withMvMat_.programName(), currentShaderLocations.mvMat, 16).data(),
               viewModel);
}

TEST_F(SpriteDrawing, PixelsLandWhereAnchorScaleAndRotationPutThem)
{
    useScreenCamera();
    plain_.bind();
    Sprite sprite;
    sprite.init(32, 20, -5, &quad_, nullptr, &camera_);

    // Scale 0 after init: a point, nothing shows.
    EXPECT_EQ(drawn(sprite).countRed(), 0);

    // A 16 x 8 quad on (32, 20).
    sprite.setScale(16, 8, 1);
    const struct {
        float anchor;
        float rotation;
        std::array<int, 4> red;
    } placements[] = {
        {0.5f, 0, {24, 16, 40, 24}},  // centred
        {0.5f, 90, {28, 12, 36, 28}}, // a quarter turn about the anchor
        {0,
         0,
         {32, 20, 48, 28}}, // anchor at the mesh origin: the bottom-left corner on the position
    };
    for (const auto& p : placements) {
        sprite.setAnchor(p.anchor, p.anchor);
        sprite.setRotation(p.rotation);
        EXPECT_TRUE(drawn(sprite).redExactlyIn({p.red})) << p.anchor << " " << p.rotation;
    }

    // Two draws at two positions in one frame: two independent placements.
    sprite.setScale(4, 4, 1);
    const Pixels pixels = RenderTest::drawn([&] {
        for (float at : {4.0f, 50.0f}) {
            sprite.x = sprite.y = at;
            sprite.draw();
        }
    });
    EXPECT_TRUE(pixels.redExactlyIn({{4, 4, 8, 8}, {50, 50, 54, 54}}));
}

TEST_F(SpriteDrawing, TheSpriteBindsItsTextureAndAnIncompleteSpriteDrawsNothing)
{
    useScreenCamera();
    ShaderProgram textured;
    buildProgram(textured, dir_, shaders::kVertexPlain, shaders::kFragmentTextured);
    textured.bind();

    // A 1x1 white texture; the red vertices let only the red channel through.
    Texture white;
    white.load(dir_.write("white.bmp", makeBmp24(1, 1,
                                                 [](int, int) {
                                                     return Bgr{255, 255, 255};
                                                 }))
                   .c_str());
    white.upload();
    glBindTexture(GL_TEXTURE_2D, 0);

    Sprite sprite;
    sprite.init(0, 0, -5, &quad_, &white, &camera_);
    sprite.setScale(kSide, kSide, 1);
    EXPECT_EQ(drawn(sprite).countRed(), kSide * kSide);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(white.name));

    // Without a texture the sampler reads whatever is bound (nothing here: black).
    glBindTexture(GL_TEXTURE_2D, 0);
    Sprite untextured;
    untextured.init(0, 0, -5, &quad_, nullptr, &camera_);
    untextured.setScale(kSide, kSide, 1);
    EXPECT_EQ(drawn(untextured).countRed(), 0);

    // Never initialised: no mesh and no camera, so no draw at all.
    Sprite blank;
    EXPECT_EQ(drawn(blank).countRed(), 0);
}

TEST(SpritePlacement, WorldPointFollowsTheDrawTransformInThePlane)
{
    Sprite sprite;
    sprite.init(10, 20, -1, nullptr, nullptr, nullptr);
    sprite.setScale(2, 3, 99);
    sprite.setAnchor(0.5f, 0.5f);

    // The anchor itself: the position, for any rotation and scale.
    const Vec2 anchor = sprite.worldPoint(0.5f, 0.5f, std::sin(1.0f), std::cos(1.0f));
    EXPECT_EQ(anchor.x, 10.0f);
    EXPECT_EQ(anchor.y, 20.0f);

    // No rotation: position + scale * (local - anchor).
    Vec2 p = sprite.worldPoint(1, 0, 0, 1);
    EXPECT_FLOAT_EQ(p.x, 10 + 2 * 0.5f);
    EXPECT_FLOAT_EQ(p.y, 20 + 3 * -0.5f);

    // A quarter turn counter-clockwise sends the local offset (1, -1.5) to (1.5, 1).
    p = sprite.worldPoint(1, 0, 1, 0);
    EXPECT_FLOAT_EQ(p.x, 11.5f);
    EXPECT_FLOAT_EQ(p.y, 21.0f);

    // z and the z scale play no part; the previous position is what was remembered.
    sprite.z = 500;
    EXPECT_FLOAT_EQ(sprite.worldPoint(1, 0, 1, 0).x, 11.5f);
    sprite.rememberPosition();
    sprite.x = 0;
    sprite.y = 0;
    EXPECT_EQ(sprite.previousPosition().x, 10.0f);
    EXPECT_EQ(sprite.previousPosition().y, 20.0f);
}
