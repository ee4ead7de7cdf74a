// The data folder search on real folders: a working directory, a build tree with data/ beside
// the program, and an installed tree under a prefix.
#include "app/data_directory.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

// A folder holding what every copy of the game's data holds.
void makeGameData(const fs::path& folder)
{
    fs::create_directories(folder / "shaders");
    std::ofstream(folder / "quad.json") << "{}";
}

struct Trees {
    TempDir root;
    fs::path working = root.path() / "work";
    fs::path bin = root.path() / "prefix" / "bin";
    fs::path installed = root.path() / "prefix" / "share" / "zorbel" / "data";

    Trees()
    {
        fs::create_directories(working);
        fs::create_directories(bin);
    }
    DataDirectorySearch find(const fs::path& requested = {}, const fs::path& executable = {}) const
    {
        return findDataDirectory(requested, working, executable.empty() ? bin : executable);
    }
};

} // namespace

TEST(DataDirectory, PlacesAreTakenInOrderWorkingFolderBesideTheProgramThenTheInstalledTree)
{
    Trees t;
    makeGameData(t.installed);
    EXPECT_EQ(t.find().folder, t.installed);
    makeGameData(t.bin / "data");
    EXPECT_EQ(t.find().folder, t.bin / "data");
    makeGameData(t.working / "data");
    const DataDirectorySearch search = t.find();
    EXPECT_EQ(search.folder, t.working / "data");
    EXPECT_EQ(search.problem, "");

    // A program found through a path with steps in it still finds the installed tree.
    fs::remove_all(t.working / "data");
    fs::remove_all(t.bin / "data");
    EXPECT_EQ(t.find({}, "../prefix/bin/").folder, t.installed);

    // A damaged quad.json (here a folder) is still the game's data: the loaders report it.
    fs::remove(t.installed / "quad.json");
    fs::create_directories(t.installed / "quad.json");
    EXPECT_EQ(t.find().folder, t.installed);
}

TEST(DataDirectory, AFolderWithoutTheGamesDataIsPassedOverAndTheTriedLineSaysWhy)
{
    Trees t;
    makeGameData(t.installed);
    // Someone's own data/ in the working folder (a start from the home folder), and a data/
    // beside the program that has the shaders but lost its quad.json.
    fs::create_directories(t.working / "data");
    std::ofstream(t.working / "data" / "results.csv") << "1,2\n";
    fs::create_directories(t.bin / "data" / "shaders");
    EXPECT_EQ(t.find().folder, t.installed);

    fs::remove_all(t.installed / "shaders");
    std::ofstream(t.installed / "shaders") << "a file, not the folder";
    const DataDirectorySearch search = t.find();
    EXPECT_TRUE(search.folder.empty());
    EXPECT_EQ(search.problem, "No data folder found; tried " + (t.working / "data").string() +
                                  " (not the game's data: no quad.json), " +
                                  (t.bin / "data").string() +
                                  " (not the game's data: no quad.json), " + t.installed.string() +
                                  " (not the game's data: no shaders folder)");
}

TEST(DataDirectory, NoPlaceGivesOneLineNamingEveryPlaceTriedOnce)
{
    Trees t;
    // A file called data is not a data folder.
    std::ofstream(t.working / "data") << "not a folder";
    DataDirectorySearch search = t.find();
    EXPECT_TRUE(search.folder.empty());
    const std::string expected = "No data folder found; tried " + (t.working / "data").string() +
                                 " (not a folder), " + (t.bin / "data").string() +
                                 " (not found), " + t.installed.string() + " (not found)";
    EXPECT_EQ(search.problem, expected);
    EXPECT_EQ(search.problem.find('\n'), std::string::npos);

    // Started in the program's own folder (as a double-click does on Windows): the working
    // folder's data/ and the one beside the program are the same place, named once, however
    // the program's folder is spelled or reached.
    const std::string once = "No data folder found; tried " + (t.bin / "data").string() +
                             " (not found), " + t.installed.string() + " (not found)";
    for (const fs::path& executable : {t.bin, t.bin / "", t.bin / "."})
        EXPECT_EQ(findDataDirectory({}, t.bin, executable).problem, once) << executable;
    // Reached through a link, where links can be made; spelled in another case, where names
    // ignore case (Windows).
    std::error_code error;
    fs::create_directory_symlink(t.bin, t.root.path() / "link", error);
    if (!error) {
        search = findDataDirectory({}, t.bin, t.root.path() / "link");
        EXPECT_EQ(search.problem.find("link"), std::string::npos) << search.problem;
    }
    const fs::path upper = t.root.path() / "PREFIX" / "BIN";
    if (fs::exists(upper, error)) {
        EXPECT_EQ(findDataDirectory({}, upper, t.bin).problem,
                  "No data folder found; tried " + (upper / "data").string() + " (not found), " +
                      t.installed.string() + " (not found)");
    }

    // A platform that cannot tell where the program is: only the working folder is tried.
    search = findDataDirectory({}, t.working, {});
    EXPECT_EQ(search.problem,
              "No data folder found; tried " + (t.working / "data").string() + " (not a folder)");
}

TEST(DataDirectory, NamedFolderIsTheOnlyPlaceAndMustBeTheGamesDataCalledData)
{
    Trees t;
    makeGameData(t.working / "data");
    const fs::path mine = t.root.path() / "mine" / "data";
    makeGameData(mine);

    // Spelled any way that names the same folder, relative to the working folder.
    for (const fs::path& spelling :
         {mine, fs::path("../mine/data"), fs::path("../mine/data/"), fs::path("../mine/./data/.")})
        EXPECT_EQ(t.find(spelling).folder, mine) << spelling;

    // A named folder that is missing is reported, not replaced by data/ of the working folder.
    DataDirectorySearch search = t.find("../missing/data");
    EXPECT_TRUE(search.folder.empty());
    EXPECT_EQ(search.problem, "No data folder found; tried " +
                                  (t.root.path() / "missing" / "data").string() + " (not found)");

    // So is one that exists but holds something else.
    fs::create_directories(t.root.path() / "other" / "data");
    search = t.find("../other/data");
    EXPECT_TRUE(search.folder.empty());
    EXPECT_EQ(search.problem, "No data folder found; tried " +
                                  (t.root.path() / "other" / "data").string() +
                                  " (not the game's data: no quad.json)");

    // The assets are read as data/..., so a folder of another name cannot serve.
    makeGameData(t.root.path() / "assets");
    search = t.find("../assets");
    EXPECT_TRUE(search.folder.empty());
    EXPECT_NE(search.problem.find((t.root.path() / "assets").string() + " as the data folder"),
              std::string::npos);
    EXPECT_NE(search.problem.find("must be called \"data\""), std::string::npos);
    EXPECT_TRUE(t.find("/").folder.empty());
}
