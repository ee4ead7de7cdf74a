#include "tests/game/game_fixture.h"

#include "math/vec.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <functional>
#include <vector>

namespace {

// The triangles a draw makes, counted by a GL query.
GLuint trianglesDrawn(const std::function<void()>& draw)
{
    GLuint query = 0;
    glEntry<PFNGLGENQUERIESPROC>("glGenQueries")(1, &query);
    glEntry<PFNGLBEGINQUERYPROC>("glBeginQuery")(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEntry<PFNGLENDQUERYPROC>("glEndQuery")(GL_PRIMITIVES_GENERATED);
    GLuint value = 0;
    glEntry<PFNGLGETQUERYOBJECTUIVPROC>("glGetQueryObjectuiv")(query, GL_QUERY_RESULT, &value);
    glEntry<PFNGLDELETEQUERIESPROC>("glDeleteQueries")(1, &query);
    return value;
}

// The trees (0 to 29) and then the wall pieces (30 on).
std::vector<Sprite*> objects(GameScene& scene)
{
    std::vector<Sprite*> all;
    for (Sprite& s : scene.trees())
        all.push_back(&s);
    for (Sprite& s : scene.walls())
        all.push_back(&s);
    return all;
}

// The objects a render draws: each gets a marker matrix first, which a draw replaces.
std::vector<int> drawnObjects(GameScene& scene)
{
    Mat4 marker;
    marker.m[0] = 42.0f;
    const std::vector<Sprite*> all = objects(scene);
    for (Sprite* s : all)
        s->loadMatrix(marker.m);
    scene.render();
    std::vector<int> drawn;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i]->matrix().m[0] != 42.0f)
            drawn.push_back(static_cast<int>(i));
    return drawn;
}

// The same set worked out from the positions: strictly inside radius 20 of the scroll
// centre for trees, 17.14 for walls.
std::vector<int> insideTheDisc(GameScene& scene)
{
    const std::vector<Sprite*> all = objects(scene);
    std::vector<int> inside;
    for (size_t i = 0; i < all.size(); ++i) {
        const Vec2 shifted(all[i]->x - scene.scroll().x, all[i]->y - scene.scroll().y);
        if (shifted.lengthSquared() < (i < scene.trees().size() ? 400.0f : 293.7796f))
            inside.push_back(static_cast<int>(i));
    }
    return inside;
}

// Where an object at (x, y, -1) is drawn: leaning by the angle about the tangent (0, 1, 0).
Mat4 expectedMatrix(const Camera& camera, float x, float y, float angle)
{
    Mat4 m = camera.view();
    Mat4::multiply(m, m, Mat4::translation(x, y, -1.0f));
    Mat4::multiply(m, m, Mat4::rotationAxis(angle, 0.0f, 1.0f, 0.0f));
    Mat4::multiply(m, m, Mat4::translation(-0.5f, -0.5f, 0));
    Mat4::multiply(m, camera.projection(), m);
    return m;
}

void expectMatrixNear(const Mat4& actual, const Mat4& expected)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], 1e-4f) << "element " << i;
}

class GameRender : public GameTest {
protected:
    GameScene& scene() { return game_->scene(); }

    // Moves every tree and wall far outside the disc; the test's end puts them back.
    void clearTheWorld()
    {
        for (Sprite* s : objects(scene())) {
            saved_.push_back({s, s->x, s->y});
            s->x = s->y = 1000.0f;
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

} // namespace

TEST_F(GameRender, AtScrollZeroExactlyTheTilesInsideRadiusTwentyAreDrawn)
{
    ASSERT_EQ(scene().scroll().x, 0.0f);
    ASSERT_EQ(scene().scroll().y, 0.0f);
    clearTheWorld();
    scene().render(); // the background is drawn with the basic program from now on
    const GLuint triangles = trianglesDrawn([&] { scene().render(); });
    // The background's two triangles and two for each of the 1245 grid points (i, j) of
    // -40..39 with i * i + j * j < 400.
    EXPECT_EQ(static_cast<int>(triangles), 2 + 2 * 1245);
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
    farTree.x = farWall.x = 0.0f;
    farTree.y = farWall.y = 17.2f;

    // Drawn: the trees at 15, 15.5 and 17.2; not the wall at 17.2.
    EXPECT_EQ(drawnObjects(scene()), (std::vector<int>{0, 1, 2}));
    const Camera& camera = scene().worldCamera();
    expectMatrixNear(upright.matrix(), expectedMatrix(camera, 15.0f, 0.0f, 0.0f));
    // Tilted by 0.5 radians about the tangent (0, 1, 0): +z leans toward +x.
    expectMatrixNear(tilted.matrix(), expectedMatrix(camera, 15.5f, 0.0f, 0.5f));
    // Positions are restored after the shifted draws.
    EXPECT_EQ(tilted.x, 15.5f);
}

TEST_F(GameRender, ResizeMovesTheViewportButNotTheProjection)
{
    // Each render sets the world projection; the window's size plays no part in it.
    scene().render();
    const float wide = scene().worldCamera().projection().m[0];
    const float screenWide = scene().screenCamera().projection().m[0];
    EXPECT_FLOAT_EQ(screenWide, 2.0f / 1280.0f);
    for (const auto& [width, height] : {std::pair{200, 100}, {100, 300}}) {
        scene().resize(width, height);
        scene().render();
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], height);
        EXPECT_EQ(scene().worldCamera().projection().m[0], wide);
        EXPECT_EQ(scene().screenCamera().projection().m[0], screenWide);
    }
    scene().resize(320, 180);
}

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
