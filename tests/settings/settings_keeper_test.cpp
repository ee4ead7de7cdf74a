// The keeper on the real file store of this platform, in a folder of the test's own.
#include "settings/settings_file.h"
#include "settings/settings_keeper.h"

#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

SettingsKeeper keeperOf(const fs::path& file)
{
    return SettingsKeeper(std::make_unique<SettingsFile>(file));
}

std::string textOf(const fs::path& file)
{
    std::string text;
    std::string problem;
    SettingsFile(file).read(text, problem);
    return text;
}

PlayerSettings kept(const fs::path& file)
{
    return readSettingsText(textOf(file)).settings;
}

} // namespace

TEST(SettingsKeeper, TheCommandLineWinsForItsRunAndOnlyWhatThePlayerChangesIsKept)
{
    TempDir dir;
    const std::string record = "{\"display\": true, \"fullscreen\": true}";
    const fs::path file = dir.write("settings.json", record);
    SettingsKeeper keeper = keeperOf(file);
    EXPECT_EQ(keeper.forRun(false, false), (PlayerSettings{false, true, true}));
    EXPECT_EQ(keeper.forRun(true, true), (PlayerSettings{true, true, true}));
    // --mute, and the window was refused full screen: neither is the player's doing.
    keeper.start({true, true, false});
    keeper.follow({true, true, false});
    keeper.follow({false, true, false}); // M unmutes: what is kept says so already
    EXPECT_EQ(textOf(file), record);
    keeper.follow({true, true, false}); // M again: the player chose mute
    EXPECT_EQ(kept(file), (PlayerSettings{true, true, true}));
}

// A file where the settings folder belongs makes every write fail until it goes.
TEST(SettingsKeeper, AFailedWriteIsSaidOnceAndTriedAgainOnlyAfterTheNextChange)
{
    TempDir dir;
    const fs::path file = dir.path() / "zorbel" / "settings.json";
    dir.write("zorbel", "in the way");
    SettingsKeeper keeper = keeperOf(file);
    RecordedLines said;
    keeper.start(keeper.forRun(false, false));
    keeper.follow({true, false, false});
    keeper.follow({true, true, false}); // fails again, silently
    fs::remove(dir.path() / "zorbel");
    keeper.follow({true, true, false});
    EXPECT_FALSE(fs::exists(file)) << "tried again on a pass that changed nothing";
    keeper.follow({true, false, false});
    EXPECT_EQ(kept(file), (PlayerSettings{true, false, false}));
    EXPECT_EQ(said.err(), "Could not save the settings \"" + pathText(file) +
                              "\": cannot make the folder \"" + pathText(dir.path() / "zorbel") +
                              "\": a file is in its place; the game plays on without keeping "
                              "its choices\n");
}

TEST(SettingsKeeper, WhatCannotBeReadIsSaidOnceAndMovedAsideBeforeTheFirstWrite)
{
    TempDir dir;
    const std::string record = "{\"mute\": 1, \"display\": true}";
    const fs::path file = dir.write("settings.json", record);
    SettingsKeeper keeper = keeperOf(file);
    RecordedLines said;
    EXPECT_EQ(keeper.load(), (PlayerSettings{false, true, false}));
    keeper.start(keeper.forRun(false, false));
    keeper.follow({false, true, false});
    EXPECT_FALSE(fs::exists(pathText(file) + ".damaged")) << "moved before anything changed";
    keeper.follow({true, true, false});
    keeper.follow({false, true, false});
    EXPECT_EQ(kept(file), (PlayerSettings{false, true, false}));
    EXPECT_EQ(textOf(dir.path() / "settings.json.damaged"), record);
    const std::string name = "\"" + pathText(file) + "\"";
    EXPECT_EQ(said.err(), "Could not read the settings " + name +
                              ": \"mute\" is not true or false; playing with its default\n"
                              "Kept the settings that could not be read as \"" +
                              pathText(file) + ".damaged\"\n");
}
