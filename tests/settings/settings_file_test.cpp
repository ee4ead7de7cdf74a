#include "settings/settings_file.h"

#include "tests/support/capture.h"
#include "tests/support/test_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::set<fs::path> namesIn(const fs::path& folder)
{
    std::set<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename());
    return names;
}

std::string textOf(SettingsFile& file, SettingsStore::Found found = SettingsStore::Found::Record)
{
    std::string text;
    std::string problem;
    EXPECT_EQ(file.read(text, problem), found) << problem;
    return text;
}

} // namespace

// A folder named outside the ANSI code page too: on Windows every call must be a wide one.
TEST(SettingsFile, AMissingRecordIsNothingAndAWriteMakesItsFoldersAndLeavesOnlyTheRecord)
{
    TempDir dir;
    const fs::path folder = dir.path() / u8"J\u00fcrgen \u65e5\u672c" / "zorbel";
    SettingsFile file(folder / "settings.json");
    EXPECT_EQ(textOf(file, SettingsStore::Found::Nothing), "");
    std::string problem;
    ASSERT_TRUE(file.write("{\"mute\": true}", problem)) << problem;
    ASSERT_TRUE(file.write("{}", problem)) << problem;
    EXPECT_EQ(textOf(file), "{}");
    EXPECT_EQ(namesIn(folder), std::set<fs::path>{"settings.json"});
}

// A crash between writing the temporary and the rename leaves a half-written file beside the
// record: it is not the record, and the next write goes on as if it were not there.
TEST(SettingsFile, AHalfWrittenTemporaryLeftByACrashIsNeitherReadNorInTheWay)
{
    TempDir dir;
    SettingsFile file(dir.write("settings.json", "{}"));
    dir.write("settings.json.tmp", "{\"mute\": tr");
    dir.write("settings.json.Ab12Cd", "{\"mute\": tr");
    EXPECT_EQ(textOf(file), "{}");
    std::string problem;
    ASSERT_TRUE(file.write("{\"mute\": false}", problem)) << problem;
    EXPECT_EQ(textOf(file), "{\"mute\": false}");
    EXPECT_EQ(namesIn(dir.path()).size(), 3u) << "the leftovers stay, nothing is added";
}

TEST(SettingsFile, WhatCannotBeARecordIsReportedAndAFolderInItsPlaceIsNeverReplaced)
{
    TempDir dir;
    std::string text;
    std::string problem;
    SettingsFile folder(dir.path() / "folder.json");
    fs::create_directory(folder.path());
    EXPECT_EQ(folder.read(text, problem), SettingsStore::Found::Unreadable);
    EXPECT_EQ(problem, "cannot read the file: it is a folder");
    EXPECT_FALSE(folder.write("{}", problem));
    EXPECT_EQ(problem, "cannot replace the file: a folder is in its place");
    bool moved = true;
    EXPECT_TRUE(folder.keepAside(moved, problem));
    EXPECT_FALSE(moved) << "only a file is moved aside";
    EXPECT_EQ(namesIn(dir.path()), std::set<fs::path>{"folder.json"}) << "nothing left behind";

    SettingsFile large(dir.write("large.json", std::string(SettingsFile::kMaxBytes + 1, ' ')));
    EXPECT_EQ(large.read(text, problem), SettingsStore::Found::Unreadable);
    EXPECT_EQ(problem, "the file is larger than 64 KiB, which no settings record is");
    // A named pipe would hold the game at its start until a writer came: never opened.
    if (makeNamedPipe(dir.path() / "pipe.json")) {
        SettingsFile pipe(dir.path() / "pipe.json");
        EXPECT_EQ(pipe.read(text, problem), SettingsStore::Found::Unreadable);
        EXPECT_EQ(problem, "cannot read the file: it is not a regular file");
    }
}
