#include "tests/game/game_fixture.h"

#include <cmath>
#include <set>
#include <vector>

namespace {

// Each rules test starts from a fresh game state: the scene is initialised once per suite,
// so the tests reset what the previous one moved.
class GameRules : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        if (IsSkipped())
            return;
        scene().player().x = 0.0f;
        scene().player().y = 0.0f;
        game_->holdKeys({});
    }
    GameScene& scene() { return game_->scene(); }
    void updateWith(std::set<Key> keys, float seconds)
    {
        game_->holdKeys(keys);
        scene().update(seconds);
    }
};

} // namespace

// The bounds are double constants compared with the float x, strictly. A float written as
// 0.84 is 0.8399999737 (below the bound, so still centre); the floats on either side of
// each bound show which zone owns it. Each zone also colours the multiplier label.
TEST_F(GameRules, ZoneBoundsAreStrictDoubleConstantsAndEachZoneHasItsColour)
{
    // The float nearest the bound strictly on the side of it that toward points to.
    auto beside = [](double bound, float toward) {
        float x = static_cast<float>(bound);
        while ((static_cast<double>(x) - bound) * toward <= 0)
            x = std::nextafter(x, toward);
        return x;
    };
    auto above = [&](double bound) { return beside(bound, 1e9f); };
    auto below = [&](double bound) { return beside(bound, -1e9f); };
    const struct {
        float x;
        int multiplier;
    } cases[] = {{0.0f, 3},         {below(0.84), 3}, {above(0.84), 2}, {above(-1.05), 3},
                 {below(-1.05), 2}, {below(4.09), 2}, {above(4.09), 1}, {above(-4.37), 2},
                 {below(-4.37), 1}, {0.84f, 3},       {4.09f, 1},       {-1.05f, 3},
                 {-4.37f, 2},       {-100.0f, 1},     {100.0f, 1}};
    const std::vector<float> colours[] = {{0.9f, 0.9f, 1}, {0.5f, 0.5f, 1}, {0, 0, 1}};
    for (const auto& c : cases) {
        scene().player().x = c.x;
        updateWith({}, 0.015f);
        EXPECT_EQ(scene().multiplier(), static_cast<float>(c.multiplier)) << "player x " << c.x;
        EXPECT_EQ(labelText(scene().multiplierLabel()), "x" + std::to_string(c.multiplier));
        const std::vector<float>& colors = scene().multiplierLabel().mesh().colors;
        EXPECT_EQ(std::vector<float>(colors.begin(), colors.begin() + 3), colours[c.multiplier - 1])
            << "player x " << c.x;
    }
}

TEST_F(GameRules, HoldingRightMovesTenUnitsASecondAndScoresByZone)
{
    const float before = scene().score();
    const float startScroll = scene().scroll().x;
    // 0.08 s in the centre zone at 45 points a second.
    updateWith({Key::Right}, 0.08f);
    EXPECT_NEAR(scene().player().x, 0.8f, 1e-5f);
    EXPECT_NEAR(scene().score() - before, 0.08f * 45.0f, 1e-3f);
    // The zone is taken before this update's move: still centre (x 0.8), then middle.
    updateWith({Key::Right}, 0.1f);
    EXPECT_NEAR(scene().score() - before, 0.08f * 45.0f + 0.1f * 45.0f, 1e-3f);
    const float mid = scene().score();
    updateWith({Key::Right}, 0.1f);
    EXPECT_NEAR(scene().score() - mid, 0.1f * 30.0f, 1e-3f);
    EXPECT_NEAR(scene().scroll().x - startScroll, 2.8f, 1e-4f);
    // From x 2.8 past 4.09 (still middle for this update), then outer at 15 a second.
    updateWith({Key::Right}, 0.15f);
    const float outer = scene().score();
    updateWith({Key::Right}, 0.1f);
    EXPECT_NEAR(scene().score() - outer, 0.1f * 15.0f, 1e-3f);
    EXPECT_EQ(scene().multiplier(), 1.0f);
}

TEST_F(GameRules, ScrollStopsAtTheLimitWhileThePlayerGoesOn)
{
    for (int i = 0; i < 400; ++i)
        updateWith({Key::Right, Key::Up}, 0.015f);
    EXPECT_EQ(scene().scroll().x, 25.0f);
    EXPECT_EQ(scene().scroll().y, 25.0f);
    EXPECT_GT(scene().player().x, 50.0f);
    for (int i = 0; i < 800; ++i)
        updateWith({Key::Left, Key::Down}, 0.015f);
    EXPECT_EQ(scene().scroll().x, -25.0f);
    EXPECT_EQ(scene().scroll().y, -25.0f);
}

TEST_F(GameRules, DiagonalSpeedsFollowTheStickAndPadRules)
{
    // Right+Up takes the stick (full speed on both axes); Left+Down the scaled pad.
    updateWith({Key::Right, Key::Up}, 0.1f);
    EXPECT_NEAR(scene().player().x, 1.0f, 1e-5f);
    EXPECT_NEAR(scene().player().y, 1.0f, 1e-5f);
    updateWith({Key::Left, Key::Down}, 0.1f);
    EXPECT_NEAR(scene().player().x, 1.0f - 0.707f, 1e-5f);
    EXPECT_NEAR(scene().player().y, 1.0f - 0.707f, 1e-5f);
}

TEST_F(GameRules, SpaceFlipsTheCameraModeOnEveryUpdateItIsHeld)
{
    const bool start = scene().freeCamera();
    // Space held or not in each update, and whether the mode then differs from the start.
    for (const auto& [space, flipped] :
         {std::pair{true, true}, {false, true}, {true, false}, {true, true}, {true, false}}) {
        updateWith(space ? std::set<Key>{Key::Space} : std::set<Key>{}, 0.015f);
        EXPECT_EQ(scene().freeCamera() != start, flipped);
    }
}

TEST_F(GameRules, FreeCameraMovesTheEyeWithoutLimitAndLeavesTheScroll)
{
    if (!scene().freeCamera())
        updateWith({Key::Space}, 0.015f);
    ASSERT_TRUE(scene().freeCamera());
    const Vec2 scroll = scene().scroll();
    const Vec2 eye = scene().cameraEye();
    for (int i = 0; i < 100; ++i)
        updateWith({Key::Right}, 0.1f);
    EXPECT_NEAR(scene().cameraEye().x - eye.x, 100.0f, 1e-2f);
    EXPECT_EQ(scene().cameraEye().y, eye.y);
    EXPECT_EQ(scene().scroll().x, scroll.x);
    EXPECT_EQ(scene().scroll().y, scroll.y);
    // The score zone still follows the player.
    EXPECT_EQ(scene().multiplier(), 1.0f);
    updateWith({Key::Space}, 0.015f);
    ASSERT_FALSE(scene().freeCamera());
}

TEST_F(GameRules, LabelsShowThePreviousSpinnerPositionAndTheTruncatedScore)
{
    scene().player().x = 3.7f;
    scene().player().y = -2.2f;
    updateWith({}, 0.015f);
    // The spinner followed the player in that update; the label shows it one update later.
    updateWith({}, 0.015f);
    EXPECT_EQ(labelText(scene().positionLabel()), "3 -2");
    EXPECT_EQ(scene().spinner().x, 3.7f);

    // Values far beyond int still format into the label without overflow.
    scene().player().x = 1e12f;
    scene().player().y = -1e12f;
    updateWith({}, 0.015f);
    updateWith({}, 0.015f);
    EXPECT_EQ(labelText(scene().positionLabel()), "2147483647 -2147483648");

    const float score = scene().score();
    const float wanted = std::floor(score) + 1.9f;
    scene().player().x = 0.0f;
    updateWith({}, (wanted - score) / 45.0f);
    EXPECT_EQ(labelText(scene().scoreLabel()),
              std::to_string(static_cast<int>(std::floor(wanted))));
}
