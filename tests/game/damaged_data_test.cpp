// A damaged data folder never stops the game: each broken file is named once on standard
// error and the world is drawn with visible (magenta) placeholders.
#include "tests/support/capture.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(DamagedData, EveryBrokenFileIsNamedAndTheSceneStillDrawsWithPlaceholders)
{
    TempDir folder;
    fs::copy(fs::path(ZORBEL_SOURCE_DIR) / "data", folder.path() / "data", fs::copy_options::recursive);
    fs::remove(folder.path() / "data/shaders/basic-fixed.frag");
    fs::remove(folder.path() / "data/meshes/display/tree.json");
    folder.write("data/grass.bmp", "BM not really");
    folder.write("data/meshes/colliders/quadCollider.json", "{\"collider\": {\"vertices\": 7}}");
    fs::current_path(folder.path());

    CapturedStream err(CapturedStream::Err);
    HeadlessGame game;
    HeadlessGame::Options options;
    options.width = 320;
    options.height = 180;
    const bool started = game.start(options);
    for (int frame = 0; frame < 3 && started; ++frame)
        game.step();
    const RgbaImage image = started ? game.readFrame() : RgbaImage{};
    const std::string errors = err.text();
    fs::current_path(ZORBEL_SOURCE_DIR);
    if (!started)
        GTEST_SKIP() << "no offscreen GL context on this machine";

    for (const char* file : {"data/shaders/basic-fixed.frag", "data/meshes/display/tree.json",
                             "data/grass.bmp", "data/meshes/colliders/quadCollider.json"})
        EXPECT_NE(errors.find(file), std::string::npos) << file << " not named in:\n" << errors;

    size_t magenta = 0;
    for (size_t p = 0; p + 3 < image.pixels.size(); p += 4)
        magenta += image.pixels[p] > 150 && image.pixels[p + 1] < 100 && image.pixels[p + 2] > 150;
    EXPECT_GT(magenta, image.pixels.size() / 4 / 20) << "placeholders should be plain to see";
}
