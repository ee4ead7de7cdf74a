#include "tests/game/game_fixture.h"

#include <filesystem>
#include <set>
#include <utility>
#include <vector>

TEST_F(GameTest, InitLeavesTheDocumentedStartingStateAndTheFirstUpdateFillsTheLabels)
{
    // This suite's first test sees the state straight after init.
    GameScene& scene = game_->scene();
    EXPECT_EQ(scene.score(), 0.0f);
    EXPECT_EQ(scene.multiplier(), 3.0f);
    EXPECT_EQ(scene.scroll().x, 0.0f);
    EXPECT_EQ(scene.scroll().y, 0.0f);
    EXPECT_EQ(scene.cameraEye().x, 0.0f);
    EXPECT_EQ(scene.cameraEye().y, -30.0f);
    EXPECT_FALSE(scene.freeCamera());
    EXPECT_EQ(scene.spinnerClock(), 0.0f);
    EXPECT_EQ(scene.background().x, 0.0f);
    EXPECT_EQ(scene.background().y, 50.0f);
    EXPECT_EQ(scene.background().z, -10.0f);

    const struct {
        const char* text;
        float x, y;
        unsigned size;
        float r, g, b;
        float rotation;
    } labels[] = {
        {"ca marche!", 150, 35, 90, 0, 1, 0, 90},
        {"x3", 230, 35, 90, 0, 0, 1, 90},
        {"ca marche!", 310, 35, 90, 0, 1, 0, 90},
        {"NORMAL", 40, 620, 40, 0, 0, 0, 0},
        {"PRESS SPACE TO START", 150, 35, 50, 0, 0, 0, 0},
        {"PRESS F1 FOR EASY MODE", 80, 450, 30, 0, 0, 0, 20},
        {"PRESS F2 FOR RANDOM MODE", 600, 600, 25, 0, 0, 0, -10},
    };
    for (int i = 0; i < 7; ++i) {
        const TextLabel& label = scene.labelByCreationOrder(i);
        const auto& want = labels[i];
        EXPECT_EQ(labelText(label), want.text);
        EXPECT_EQ(label.x(), want.x) << want.text;
        EXPECT_EQ(label.y(), want.y) << want.text;
        EXPECT_EQ(label.z(), -35.0f) << want.text;
        EXPECT_EQ(label.glyphSize(), want.size) << want.text;
        EXPECT_EQ(label.rotation(), want.rotation) << want.text;
        EXPECT_EQ(std::vector<float>(label.mesh().colors.begin(), label.mesh().colors.begin() + 3),
                  (std::vector<float>{want.r, want.g, want.b}))
            << want.text;
        EXPECT_EQ(label.camera(), &scene.screenCamera()) << want.text;
    }

    // The textures are uploaded font, road, wall, white pixel, grass, stars: a fresh
    // context hands out rising names.
    const int uploadOrder[] = {0, 1, 2, 4, 3, 5};
    for (int i = 1; i < 6; ++i)
        EXPECT_LT(scene.textureByLoadOrder(uploadOrder[i - 1]).name,
                  scene.textureByLoadOrder(uploadOrder[i]).name)
            << "upload " << i;

    // The spinner starts at the origin, so the first update shows "0 0".
    game_->holdKeys({});
    scene.update(0.015f);
    EXPECT_EQ(labelText(scene.positionLabel()), "0 0");
    EXPECT_EQ(labelText(scene.multiplierLabel()), "x3");
    EXPECT_EQ(labelText(scene.scoreLabel()), "0");
}

TEST_F(GameTest, OnlyTheWallIsSharpAndOnlyTheStarsRepeat)
{
    // Every texture uploads smooth and mirrored; set-up then changes the wall's filter and
    // the stars' wrap, and nothing else.
    GameScene& scene = game_->scene();
    for (int i = 0; i < 6; ++i) {
        scene.textureByLoadOrder(i).bind();
        GLint filter = 0;
        GLint wrap = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
        EXPECT_EQ(filter, i == 2 ? GL_NEAREST : GL_LINEAR) << "texture " << i;
        EXPECT_EQ(wrap, i == 5 ? GL_REPEAT : GL_MIRRORED_REPEAT) << "texture " << i;
    }
}

TEST_F(GameTest, TreesSitOnWholeNumbersAndTheFenceIsASquareOfThirtyAside)
{
    GameScene& scene = game_->scene();
    for (const Sprite& tree : scene.trees()) {
        EXPECT_EQ(tree.x, static_cast<float>(static_cast<int>(tree.x)));
        EXPECT_GE(tree.x, -20.0f);
        EXPECT_LE(tree.x, 19.0f);
        EXPECT_GE(tree.y, -20.0f);
        EXPECT_LE(tree.y, 19.0f);
        EXPECT_EQ(tree.z, -1.0f);
    }
    std::multiset<std::pair<float, float>> pieces;
    for (const Sprite& wall : scene.walls())
        pieces.insert({wall.x, wall.y});
    EXPECT_EQ(pieces.count({-30.0f, -30.0f}), 2u);
    EXPECT_EQ(pieces.count({30.0f, 30.0f}), 0u);
    EXPECT_EQ(pieces.count({28.0f, 30.0f}), 1u);
    EXPECT_EQ(pieces.count({30.0f, -30.0f}), 1u);
    EXPECT_EQ(scene.walls()[0].x, -30.0f);
    EXPECT_EQ(scene.walls()[119].y, 28.0f);
}

TEST(GameLayout, TheSeedDecidesTheTreeLayout)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    auto layout = [](unsigned seed) {
        HeadlessGame game;
        std::vector<std::pair<float, float>> trees;
        if (!game.start({.width = 64, .height = 36, .seed = seed}))
            return trees;
        for (const Sprite& tree : game.scene().trees())
            trees.emplace_back(tree.x, tree.y);
        return trees;
    };
    const auto first = layout(7);
    ZORBEL_REQUIRE_GL(!first.empty());
    EXPECT_EQ(layout(7), first);
    EXPECT_NE(layout(8), first);
}
