#include "tests/game/game_fixture.h"

#include <filesystem>
#include <set>
#include <utility>

TEST_F(GameTest, InitLeavesTheDocumentedStartingState)
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
    EXPECT_EQ(labelText(scene.positionLabel()), "ca marche!");
    EXPECT_EQ(labelText(scene.multiplierLabel()), "x3");
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
        HeadlessGame::Options options;
        options.width = 64;
        options.height = 36;
        options.seed = seed;
        std::vector<std::pair<float, float>> trees;
        if (!game.start(options))
            return trees;
        for (const Sprite& tree : game.scene().trees())
            trees.emplace_back(tree.x, tree.y);
        return trees;
    };
    const auto first = layout(7);
    if (first.empty())
        GTEST_SKIP() << "no offscreen GL context on this machine";
    EXPECT_EQ(layout(7), first);
    EXPECT_NE(layout(8), first);
}
