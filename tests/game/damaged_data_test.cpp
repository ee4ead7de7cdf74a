// A damaged data folder never stops the game: each broken file is named on standard error,
// the world is drawn with visible (magenta) placeholders, and a broken sound stays silent.
#include "tests/support/capture.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/recorded_lines.h"
#include "tests/support/test_process.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A copy of the game's data folder in a fresh temporary folder, which becomes the working
// folder until the copy goes.
class DataCopy {
public:
    DataCopy()
    {
        fs::copy(fs::path(ZORBEL_SOURCE_DIR) / "data", folder_.path() / "data",
                 fs::copy_options::recursive);
        fs::current_path(folder_.path());
    }
    ~DataCopy() { fs::current_path(ZORBEL_SOURCE_DIR); }
    const TempDir& folder() const { return folder_; }

private:
    TempDir folder_;
};

struct Outcome {
    bool started = false;
    std::string errors;
    RgbaImage lastFrame;
};

// Starts the game in the working folder, plays three frames and ends it.
Outcome playThreeFrames()
{
    Outcome run;
    RecordedLines said;
    {
        HeadlessGame game;
        run.started = game.start({.width = 320, .height = 180});
        for (int frame = 0; frame < 3 && run.started; ++frame)
            game.step();
        if (run.started)
            run.lastFrame = game.readFrame();
    }
    run.errors = said.err();
    return run;
}

// playThreeFrames while watching the named pipe at path. Opening a pipe to read waits for a
// writer: a start still running after a few seconds with a reader on the pipe is hung there,
// and the reader is let go, so the fault fails the test instead of hanging it.
Outcome playWatchingPipe(const std::string& path)
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool hung = false;
    std::thread watch([&] {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::seconds(3), [&] { return done; }))
            hung = releasePipeReader(path) || hung;
    });
    Outcome run = playThreeFrames();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_one();
    watch.join();
    EXPECT_FALSE(hung) << path << ": the start waited on the pipe";
    return run;
}

// Folder: a folder of the file's name stands in its place; NamedPipe: a named pipe (FIFO).
enum class Damage { Missing, Empty, CutInHalf, RandomBytes, Folder, NamedPipe };
const char* const kDamageNames[] = {"Missing",     "Empty",  "CutInHalf",
                                    "RandomBytes", "Folder", "NamedPipe"};

void PrintTo(Damage damage, std::ostream* out)
{
    *out << kDamageNames[static_cast<int>(damage)];
}

std::string damaged(Damage damage, const std::string& bytes, unsigned seed)
{
    switch (damage) {
    case Damage::Empty: return {};
    case Damage::CutInHalf: return bytes.substr(0, bytes.size() / 2);
    case Damage::RandomBytes: {
        std::mt19937 random(seed);
        std::string noise(std::max<size_t>(bytes.size(), 64), '\0');
        for (char& c : noise)
            c = static_cast<char>(random() & 0xff);
        return noise;
    }
    case Damage::Missing:
    case Damage::Folder:
    case Damage::NamedPipe: break;
    }
    return bytes;
}

class EveryDataFile : public ::testing::TestWithParam<Damage> { };

} // namespace

TEST(DamagedData, TheSceneStillDrawsWithVisiblePlaceholders)
{
    DataCopy copy;
    fs::remove("data/shaders/basic-fixed.frag");
    fs::remove("data/meshes/display/tree.json");
    copy.folder().write("data/grass.bmp", "BM not really");
    copy.folder().write("data/meshes/colliders/quadCollider.json",
                        "{\"collider\": {\"vertices\": 7}}");
    const Outcome run = playThreeFrames();
    ZORBEL_REQUIRE_GL(run.started);
    const std::vector<uint8_t>& pixels = run.lastFrame.pixels;
    size_t magenta = 0;
    for (size_t p = 0; p + 3 < pixels.size(); p += 4)
        magenta += pixels[p] > 150 && pixels[p + 1] < 100 && pixels[p + 2] > 150;
    EXPECT_GT(magenta, pixels.size() / 4 / 20) << "placeholders should be plain to see";
}

// The score display's program stands in like the world's: the labels show, tinted magenta.
TEST(DamagedData, ABrokenDisplayProgramIsNamedAndItsStandInDrawsTheLabels)
{
    DataCopy copy;
    fs::remove("data/shaders/score-display.frag");
    RecordedLines said;
    HeadlessGame game;
    ZORBEL_REQUIRE_GL(game.start({.width = 320, .height = 180}));
    game.step();
    game.step();
    const RgbaImage without = game.readFrame();
    game.scene().setDisplayShown(true);
    game.render();
    game.finish();
    const RgbaImage with = game.readFrame();
    size_t tinted = 0; // changed pixels far more red and blue than green: the blue "x3"
    for (size_t p = 0; p + 3 < with.pixels.size(); p += 4) {
        const uint8_t* c = &with.pixels[p];
        tinted += c[0] > c[1] + 60 && c[2] > c[1] + 60 && c[0] != without.pixels[p];
    }
    EXPECT_GT(tinted, 10u);
    EXPECT_NE(said.err().find("data/shaders/score-display.frag"), std::string::npos) << said.err();
}

// Each data file in turn, damaged one way, is named on standard error and the game still
// starts, plays and ends.
TEST_P(EveryDataFile, IsNamedOnStandardErrorWhenDamagedAndTheGameRunsOn)
{
    DataCopy copy;
    std::vector<std::string> files;
    // The shaders' ES edition is read by the browser build only.
    for (const auto& entry : fs::recursive_directory_iterator("data"))
        if (entry.is_regular_file() && entry.path().parent_path() != "data/shaders/es")
            files.push_back(entry.path().generic_string());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 23u);
    // The sounds are read too (the headless game plays through a mixer of its own).
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& f) { return f.starts_with("data/sounds/"); }),
              7);

    unsigned seed = 1;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string original((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        in.close();
        const Damage damage = GetParam();
        const bool replaced = damage == Damage::Folder || damage == Damage::NamedPipe;
        if (damage == Damage::Missing || replaced)
            fs::remove(file);
        if (damage == Damage::Folder)
            fs::create_directory(file);
        else if (damage == Damage::NamedPipe && !makeNamedPipe(file))
            GTEST_SKIP() << "no named pipes in this platform's file system";
        else if (!replaced && damage != Damage::Missing)
            copy.folder().write(file, damaged(damage, original, seed++));

        const Outcome run =
            damage == Damage::NamedPipe ? playWatchingPipe(file) : playThreeFrames();
        if (file == "data/quad.json" && damage == Damage::Missing) {
            // Without its marker file the folder is not the game's data: the start fails
            // with the data folder's line, as the game's does.
            EXPECT_FALSE(run.started);
            EXPECT_NE(run.errors.find("No data folder found"), std::string::npos) << run.errors;
            EXPECT_NE(run.errors.find("no quad.json"), std::string::npos) << run.errors;
        } else {
            ZORBEL_REQUIRE_GL(run.started);
            EXPECT_NE(run.errors.find(file), std::string::npos) << file << " not named in:\n"
                                                                << run.errors;
        }
        fs::remove(file);
        copy.folder().write(file, original);
    }
}

std::string damageName(const ::testing::TestParamInfo<Damage>& info)
{
    return kDamageNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(DamagedData, EveryDataFile,
                         ::testing::Values(Damage::Missing, Damage::Empty, Damage::CutInHalf,
                                           Damage::RandomBytes, Damage::Folder, Damage::NamedPipe),
                         damageName);
