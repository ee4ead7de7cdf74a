// The game played with a pad in-process, on the path the game's own loop takes: the window's
// message pump polls the pads (Start toggles the pause there, as Escape does) and the scene's
// update reads them through the input device beside the keyboard.
#include "input/game_pads.h"
#include "tests/game/test_pad.h"
#include "tests/support/gl_test_context.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kFrames = 30;

bool samePixels(const RgbaImage& a, const RgbaImage& b)
{
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// One pass as the frame loop runs it: pump, then update and render while active.
void pass(HeadlessGame& game)
{
    game.window().pumpMessages();
    if (game.window().active())
        game.step();
}

} // namespace

TEST(PadPlay, StickLeftMovesTheWorldAsLeftDoesAndStartPausesAndResumes)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    const HeadlessGame::Options options{.width = 320, .height = 180, .seed = 1};
    RgbaImage byKey;
    {
        HeadlessGame game;
        ZORBEL_REQUIRE_GL(game.start(options));
        for (int frame = 0; frame < kFrames; ++frame) {
            game.holdKeys(frame == 0 ? std::set<Key>{} : std::set<Key>{Key::Left});
            game.step();
        }
        byKey = game.readFrame();
    }

    HeadlessGame game;
    ZORBEL_REQUIRE_GL(game.start(options));
    game.window().setPadPoll([] { return gamePads.pollStartWentDown(); });
    pass(game);
    const RgbaImage still = game.readFrame();
    std::unique_ptr<TestPad> pad = TestPad::plugIn();
    ASSERT_TRUE(pad);

    // The first pass stood still, with no pad; one plugged in now plays the frames Left would.
    pad->holdStickLeft(true);
    for (int frame = 1; frame < kFrames; ++frame)
        pass(game);
    const RgbaImage byPad = game.readFrame();
    EXPECT_FALSE(samePixels(still, byPad)) << "the stick moves the world";
    EXPECT_TRUE(samePixels(byKey, byPad)) << "as far as the Left key does";

    // Start pauses once per press: held over several passes it stays paused.
    pad->holdStart(true);
    for (int frame = 0; frame < 5; ++frame)
        pass(game);
    EXPECT_FALSE(game.window().active());
    EXPECT_TRUE(samePixels(byPad, game.readFrame())) << "nothing moves while paused";
    pad->holdStart(false);
    pass(game);
    EXPECT_FALSE(game.window().active()) << "the release does not resume";

    pad->holdStart(true);
    pass(game);
    pad->holdStart(false);
    EXPECT_TRUE(game.window().active());
    for (int frame = 0; frame < 5; ++frame)
        pass(game);
    EXPECT_FALSE(samePixels(byPad, game.readFrame())) << "the world moves again";

    // Unplugged while the stick is held: the world stops at once.
    pad.reset();
    pass(game);
    const RgbaImage afterUnplug = game.readFrame();
    pass(game);
    pass(game);
    EXPECT_TRUE(samePixels(afterUnplug, game.readFrame()));
}
