// The data folder search on real folders: a working directory, a build tree with data/ beside
// the program, and an installed tree under a prefix.
#include "app/data_directory.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

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
    fs::create_directories(t.installed);
    EXPECT_EQ(t.find().folder, t.installed);
    fs::create_directories(t.bin / "data");
    EXPECT_EQ(t.find().folder, t.bin / "data");
    fs::create_directories(t.working / "data");
    const DataDirectorySearch search = t.find();
    EXPECT_EQ(search.folder, t.working / "data");
    EXPECT_EQ(search.problem, "");

    // A program found through a path with steps in it still finds the installed tree.
    fs::remove(t.working / "data");
    fs::remove(t.bin / "data");
    EXPECT_EQ(t.find({}, "../prefix/bin/").folder, t.installed);
}

TEST(DataDirectory, NoPlaceGivesOneLineNamingEveryPlaceTried)
{
    Trees t;
    // A file called data is not a data folder.
    std::ofstream(t.working / "data") << "not a folder";
    DataDirectorySearch search = t.find();
    EXPECT_TRUE(search.folder.empty());
    const std::string expected = "No data folder found; tried " + (t.working / "data").string() +
                                 ", " + (t.bin / "data").string() + ", " + t.installed.string();
    EXPECT_EQ(search.problem, expected);
    EXPECT_EQ(search.problem.find('\n'), std::string::npos);

    // A platform that cannot tell where the program is: only the working folder is tried.
    search = findDataDirectory({}, t.working, {});
    EXPECT_EQ(search.problem, "No data folder found; tried " + (t.working / "data").string());
}

TEST(DataDirectory, NamedFolderIsTheOnlyPlaceAndMustBeCalledData)
{
    Trees t;
    fs::create_directories(t.working / "data");
    const fs::path mine = t.root.path() / "mine" / "data";
    fs::create_directories(mine);

    // Spelled any way that names the same folder, relative to the working folder.
    for (const fs::path& spelling :
         {mine, fs::path("../mine/data"), fs::path("../mine/data/"), fs::path("../mine/./data/.")})
        EXPECT_EQ(t.find(spelling).folder, mine) << spelling;

    // A named folder that is missing is reported, not replaced by data/ of the working folder.
    DataDirectorySearch search = t.find("../missing/data");
    EXPECT_TRUE(search.folder.empty());
    EXPECT_EQ(search.problem,
              "No data folder found; tried " + (t.root.path() / "missing" / "data").string());

    // The assets are read as data/..., so a folder of another name cannot serve.
    fs::create_directories(t.root.path() / "assets");
    search = t.find("../assets");
    EXPECT_TRUE(search.folder.empty());
    EXPECT_NE(search.problem.find((t.root.path() / "assets").string() + " as the data folder"),
              std::string::npos);
    EXPECT_NE(search.problem.find("must be called \"data\""), std::string::npos);
    EXPECT_TRUE(t.find("/").folder.empty());
}
