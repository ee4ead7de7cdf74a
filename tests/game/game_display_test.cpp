// The score display: H shows and hides it once per press, it draws the live labels in the
// top-left corner over the picture, and off again the frame is the one drawn without it.
#include "tests/game/game_fixture.h"

namespace {

class GameDisplay : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        if (IsSkipped())
            return;
        scene().setDisplayShown(false);
        updateWith({});
        // The first frame draws the sky with the ground's program; compare later ones.
        scene().render();
    }
    void TearDown() override { scene().setDisplayShown(false); }
    GameScene& scene() { return game_->scene(); }
    void updateWith(std::set<Key> keys)
    {
        game_->holdKeys(keys);
        scene().update(0.015f);
    }
    RgbaImage rendered()
    {
        scene().render();
        game_->finish();
        return game_->readFrame();
    }
};

// Whether b differs from a, and only inside the display's corner: the top-left 420 x 160 of
// the 1280 x 720 layout, scaled to the frame.
bool changedOnlyInTheCorner(const RgbaImage& a, const RgbaImage& b)
{
    bool changed = false;
    for (size_t at = 0; at < a.pixels.size(); at += 4) {
        if (std::equal(&a.pixels[at], &a.pixels[at] + 3, &b.pixels[at]))
            continue;
        const size_t x = at / 4 % a.width;
        const size_t y = at / 4 / a.width;
        if (x >= a.width * 420u / 1280 || y >= a.height * 160u / 720)
            return false;
        changed = true;
    }
    return changed;
}

} // namespace

TEST_F(GameDisplay, HTogglesItOncePerPressWhileSpaceStillFlipsEveryFrame)
{
    const bool freeCamera = scene().freeCamera();
    updateWith({Key::H, Key::Space});
    EXPECT_NE(scene().freeCamera(), freeCamera);
    updateWith({Key::H, Key::Space});
    EXPECT_EQ(scene().freeCamera(), freeCamera);
    EXPECT_TRUE(scene().displayShown()) << "two frames held are one press";
    updateWith({});
    EXPECT_TRUE(scene().displayShown()) << "the release changes nothing";
    updateWith({Key::H});
    EXPECT_FALSE(scene().displayShown());

    // The key and setDisplayShown act on the one flag.
    scene().setDisplayShown(true);
    updateWith({});
    updateWith({Key::H});
    EXPECT_FALSE(scene().displayShown());
}

TEST_F(GameDisplay, AsTheScoreGrowsOnlyTheCornerChanges)
{
    const RgbaImage without = rendered();
    scene().setDisplayShown(true);
    const RgbaImage first = rendered();
    EXPECT_TRUE(changedOnlyInTheCorner(without, first));
    const std::string score = labelText(scene().scoreLabel());
    for (int frame = 0; frame < 67; ++frame) // a second with no key held: nothing else moves
        updateWith({});
    ASSERT_NE(labelText(scene().scoreLabel()), score);
    EXPECT_TRUE(changedOnlyInTheCorner(first, rendered()));
}

TEST_F(GameDisplay, OffAgainTheNextFrameIsTheOneWithoutIt)
{
    // The display's frame leaves the GL state as the world's next frame expects: the program
    // the sky is drawn with, the depth test.
    const RgbaImage without = rendered();
    scene().setDisplayShown(true);
    rendered();
    scene().setDisplayShown(false);
    EXPECT_EQ(rendered().pixels, without.pixels);
}
