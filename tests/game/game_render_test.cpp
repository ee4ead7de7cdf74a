#include "tests/game/game_fixture.h"

#include "app/game_window.h"
#include "math/vec.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// Counts the triangles a render draws, through a GL query.
class PrimitiveCounter {
public:
    PrimitiveCounter()
    {
        gen_ = reinterpret_cast<PFNGLGENQUERIESPROC>(GameWindow::glProcAddress("glGenQueries"));
        begin_ = reinterpret_cast<PFNGLBEGINQUERYPROC>(GameWindow::glProcAddress("glBeginQuery"));
        end_ = reinterpret_cast<PFNGLENDQUERYPROC>(GameWindow::glProcAddress("glEndQuery"));
        result_ = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(
            GameWindow::glProcAddress("glGetQueryObjectuiv"));
        gen_(1, &query_);
    }
    GLuint count(const std::function<void()>& draw)
    {
        begin_(GL_PRIMITIVES_GENERATED, query_);
        draw();
        end_(GL_PRIMITIVES_GENERATED);
        GLuint value = 0;
        result_(query_, GL_QUERY_RESULT, &value);
        return value;
    }

private:
    PFNGLGENQUERIESPROC gen_;
    PFNGLBEGINQUERYPROC begin_;
    PFNGLENDQUERYPROC end_;
    PFNGLGETQUERYOBJECTUIVPROC result_;
    GLuint query_ = 0;
};

class GameRender : public GameTest {
protected:
    GameScene& scene() { return game_->scene(); }

    // Moves every tree and wall far outside the disc, remembering where they were.
    void clearTheWorld()
    {
        for (Sprite& s : scene().trees())
            saved_.push_back({&s, s.x, s.y});
        for (Sprite& s : scene().walls())
            saved_.push_back({&s, s.x, s.y});
        for (auto& entry : saved_) {
            entry.sprite->x = 1000.0f;
            entry.sprite->y = 1000.0f;
        }
    }
    void TearDown() override
    {
        for (auto& entry : saved_) {
            entry.sprite->x = entry.x;
            entry.sprite->y = entry.y;
        }
    }
    struct Saved {
        Sprite* sprite;
        float x, y;
    };
    std::vector<Saved> saved_;
};

Mat4 expectedUpright(const Camera& camera, float x, float y, float z)
{
    Mat4 m = camera.view();
    Mat4::multiply(m, m, Mat4::translation(x, y, z));
    Mat4::multiply(m, m, Mat4::rotationZ(0.0f));
    Mat4::multiply(m, m, Mat4::scaling(1, 1, 1));
    Mat4::multiply(m, m, Mat4::translation(-0.5f, -0.5f, 0));
    Mat4::multiply(m, camera.projection(), m);
    return m;
}

void expectMatrixNear(const Mat4& actual, const Mat4& expected)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], 1e-4f) << "element " << i;
}

} // namespace

TEST_F(GameRender, AtScrollZeroExactlyTheTilesInsideRadiusTwentyAreDrawn)
{
    ASSERT_EQ(scene().scroll().x, 0.0f);
    ASSERT_EQ(scene().scroll().y, 0.0f);
    clearTheWorld();
    scene().render(); // the background is drawn with the basic program from now on
    PrimitiveCounter counter;
    const GLuint triangles = counter.count([&] { scene().render(); });
    int expectedTiles = 0;
    for (int i = -40; i <= 39; ++i)
        for (int j = -40; j <= 39; ++j)
            expectedTiles += i * i + j * j < 400;
    EXPECT_EQ(expectedTiles, 1245);
    const int background = 2;
    EXPECT_EQ(static_cast<int>(triangles), background + 2 * 1245);
}

TEST_F(GameRender, TreesLeanOutwardBeyondRadiusFifteenAndWallsStopEarlier)
{
    clearTheWorld();
    Sprite& upright = scene().trees()[0];
    Sprite& tilted = scene().trees()[1];
    Sprite& farTree = scene().trees()[2];
    Sprite& farWall = scene().walls()[0];
    upright.x = 15.0f;
    upright.y = 0.0f;
    tilted.x = 15.5f;
    tilted.y = 0.0f;
    farTree.x = 0.0f;
    farTree.y = 17.2f;
    farWall.x = 0.0f;
    farWall.y = 17.2f;
    Mat4 sentinel;
    sentinel.m[0] = 42.0f;
    farWall.loadMatrix(sentinel.m);

    scene().render();
    const Camera& camera = scene().worldCamera();
    expectMatrixNear(upright.matrix(), expectedUpright(camera, 15.0f, 0.0f, -1.0f));

    // Tilted by 0.5 radians about the tangent (0, 1, 0): +z leans toward +x.
    Mat4 lean = camera.view();
    Mat4::multiply(lean, lean, Mat4::translation(15.5f, 0.0f, -1.0f));
    Mat4::multiply(lean, lean, Mat4::rotationAxis(0.5f, 0.0f, 1.0f, 0.0f));
    Mat4::multiply(lean, lean, Mat4::translation(-0.5f, -0.5f, 0.0f));
    Mat4::multiply(lean, camera.projection(), lean);
    expectMatrixNear(tilted.matrix(), lean);

    // A tree at 17.2 is drawn (its matrix was rebuilt); a wall there is not.
    EXPECT_NE(farTree.matrix().m[15], 0.0f);
    EXPECT_EQ(farWall.matrix().m[0], 42.0f);
    // Positions are restored after the shifted draws.
    EXPECT_EQ(tilted.x, 15.5f);
}

TEST_F(GameRender, ResizeMovesTheViewportButNotTheProjection)
{
    scene().resize(200, 100);
    scene().render();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 100);
    const float wide = scene().worldCamera().projection().m[0];
    const float screenWide = scene().screenCamera().projection().m[0];
    scene().resize(100, 300);
    scene().render();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 300);
    EXPECT_EQ(scene().worldCamera().projection().m[0], wide);
    EXPECT_EQ(scene().screenCamera().projection().m[0], screenWide);
    EXPECT_FLOAT_EQ(screenWide, 2.0f / 1280.0f);
    scene().resize(320, 180);
}

namespace {

// The trees (0 to 29) and wall pieces (30 on) a render draws: each gets a marker matrix
// first, which a draw replaces.
std::vector<int> drawnObjects(GameScene& scene)
{
    Mat4 marker;
    marker.m[0] = 42.0f;
    for (Sprite& s : scene.trees())
        s.loadMatrix(marker.m);
    for (Sprite& s : scene.walls())
        s.loadMatrix(marker.m);
    scene.render();
    std::vector<int> drawn;
    int index = 0;
    for (Sprite& s : scene.trees())
        drawn.insert(drawn.end(), s.matrix().m[0] != 42.0f ? 1 : 0, index++);
    for (Sprite& s : scene.walls())
        drawn.insert(drawn.end(), s.matrix().m[0] != 42.0f ? 1 : 0, index++);
    return drawn;
}

// The same set worked out from the positions: strictly inside radius 20 of the scroll
// centre for trees, 17.14 for walls.
std::vector<int> insideTheDisc(GameScene& scene)
{
    std::vector<int> inside;
    int index = 0;
    auto check = [&](const Sprite& s, float radiusSquared) {
        const Vec2 shifted(s.x - scene.scroll().x, s.y - scene.scroll().y);
        inside.insert(inside.end(), shifted.lengthSquared() < radiusSquared ? 1 : 0, index++);
    };
    for (const Sprite& s : scene.trees())
        check(s, 400.0f);
    for (const Sprite& s : scene.walls())
        check(s, 293.7796f);
    return inside;
}

} // namespace

TEST_F(GameRender, ScrollingChangesWhichObjectsAreDrawnWhileTheFreeCameraDoesNot)
{
    const std::vector<int> atStart = drawnObjects(scene());
    EXPECT_EQ(atStart, insideTheDisc(scene()));

    game_->holdKeys({Key::Right});
    for (int frame = 0; frame < 100; ++frame)
        scene().update(0.02f);
    ASSERT_NEAR(scene().scroll().x, 20.0f, 1e-3f);
    const std::vector<int> scrolled = drawnObjects(scene());
    EXPECT_EQ(scrolled, insideTheDisc(scene()));
    EXPECT_NE(scrolled, atStart);

    game_->holdKeys({Key::Space});
    scene().update(0.02f);
    ASSERT_TRUE(scene().freeCamera());
    game_->holdKeys({Key::Up, Key::Left});
    for (int frame = 0; frame < 100; ++frame)
        scene().update(0.02f);
    EXPECT_NE(scene().cameraEye().y, -30.0f);
    EXPECT_EQ(drawnObjects(scene()), scrolled);
    game_->holdKeys({});
}
