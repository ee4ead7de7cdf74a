// Frames of the real scene held against stored images through the comparison of
// tools/headless/image_compare.h, which forgives an edge moved by a pixel and a few steps of
// rounding but not a missing object or a texture filtered another way.
// ZORBEL_UPDATE_GOLDEN=1 rewrites the stored images from the current build.
#include "tests/support/gl_test_context.h"
#include "tools/headless/headless_game.h"
#include "tools/headless/image_compare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

const std::filesystem::path kGoldenDir = std::filesystem::path(ZORBEL_TEST_DATA_DIR) / "golden";

// Runs the scene for the given frames with keys chosen per frame and checks the last one.
void expectGolden(const std::string& name, int frames,
                  const std::function<std::set<Key>(int)>& keys)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    HeadlessGame game;
    ZORBEL_REQUIRE_GL(game.start({.width = 640, .height = 360, .seed = 1}));
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
    const ImageDifference difference = compareImages(actual, expected);
    if (!difference.matches()) {
        const std::filesystem::path kept =
            std::filesystem::temp_directory_path() / ("zorbel-" + name);
        writePng(kept.string() + "-actual.png", actual);
        writePng(kept.string() + "-difference.png", difference.mask);
        ADD_FAILURE() << name << ": " << difference.describe() << "; frame and difference kept as "
                      << kept << "-actual.png and -difference.png";
    }
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

// The score display on, by H on the first frame: the multiplier's blue of the centre zone.
TEST(GoldenImage, DisplayAtTheStart)
{
    expectGolden("display-start", 2,
                 [](int frame) { return frame == 0 ? std::set<Key>{Key::H} : std::set<Key>{}; });
}

// Longer texts, the outer zone's pale multiplier, and the display over a moved world.
TEST(GoldenImage, DisplayAfterASecondOfRight)
{
    expectGolden("display-right-1s", 60, [](int frame) {
        return frame == 0 ? std::set<Key>{Key::Right, Key::H} : std::set<Key>{Key::Right};
    });
}
