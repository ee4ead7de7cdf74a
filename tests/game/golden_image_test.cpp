// Frames of the real scene compared with stored images, with a tolerance: the software
// rasteriser may round a few edge pixels differently from one build to another.
// ZORBEL_UPDATE_GOLDEN=1 rewrites the stored images from the current build.
#include "tools/headless/headless_game.h"
#include "tools/headless/image_compare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

const std::filesystem::path kGoldenDir = std::filesystem::path(ZORBEL_TEST_DATA_DIR) / "golden";

// Runs the scene for the given frames with keys chosen per frame and checks the last one.
void expectGolden(const std::string& name, int frames, const std::function<std::set<Key>(int)>& keys)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    HeadlessGame game;
    HeadlessGame::Options options;
    options.width = 640;
    options.height = 360;
    options.seed = 1;
    if (!game.start(options))
        GTEST_SKIP() << "no offscreen GL context on this machine";
    for (int frame = 0; frame < frames; ++frame) {
        game.holdKeys(keys(frame));
        game.step();
    }
    const RgbaImage actual = game.readFrame();
    const std::filesystem::path golden = kGoldenDir / (name + ".png");
    if (std::getenv("ZORBEL_UPDATE_GOLDEN")) {
        std::filesystem::create_directories(kGoldenDir);
        ASSERT_TRUE(writePng(golden.string(), actual));
        return;
    }
    RgbaImage expected;
    ASSERT_TRUE(readPng(golden.string(), expected)) << golden;
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    const ImageDifference d = compareImages(actual, expected);
    const std::filesystem::path saved =
        std::filesystem::temp_directory_path() / ("zorbel-" + name + "-actual.png");
    if (!d.matches())
        writePng(saved.string(), actual);
    EXPECT_TRUE(d.matches()) << d.describe() << "; frame kept in " << saved;
}

} // namespace

TEST(GoldenImage, Start)
{
    // The second frame: the first draws the sky with the ground program (see the render).
    expectGolden("start", 2, [](int) { return std::set<Key>{}; });
}

TEST(GoldenImage, AfterTwoSecondsOfRight)
{
    expectGolden("right-2s", 120, [](int) { return std::set<Key>{Key::Right}; });
}

TEST(GoldenImage, FreeCamera)
{
    // Space for one frame, then the arrows move the eye up and left for a second.
    expectGolden("free-camera", 62, [](int frame) {
        if (frame == 0)
            return std::set<Key>{Key::Space};
        return std::set<Key>{Key::Left, Key::Up};
    });
}
