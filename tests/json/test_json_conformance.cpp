// The public JSON conformance files: every one is read by every route and
// matches the reference model.

#include "tests/json/json_test_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::filesystem::path> suiteFiles()
{
    const char* shared = std::getenv("ZORBEL_SHARED_DIR");
    if (!shared || !*shared)
        shared = ZORBEL_SHARED_DIR_FALLBACK;
    const std::filesystem::path folder =
        std::filesystem::path(shared) / "testdata" / "jsontestsuite" / "test_parsing";
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(folder))
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".json")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(JsonConformance, EveryFileMatchesTheReferenceModel)
{
    const std::vector<std::filesystem::path> files = suiteFiles();
    if (files.empty())
        GTEST_SKIP() << "conformance files not found (ZORBEL_SHARED_DIR)";
    int containers = 0;
    for (const std::filesystem::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(compareWithModel(text), "") << path.filename();
        containers += JsonNode::parse(text).size() > 0;
    }
    EXPECT_GE(containers, 150); // most files hold a non-empty root
}
