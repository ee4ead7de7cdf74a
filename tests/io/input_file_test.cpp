#include "io/input_file.h"

#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

TEST(InputFile, AFolderOrAMissingFileIsRefusedWithItsReasonBeforeAnyRead)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "quad.json");
    const std::string folder = (dir.path() / "quad.json").string();
    const std::string missing = (dir.path() / "missing.json").string();

    InputFile file(folder);
    EXPECT_FALSE(file);
    EXPECT_EQ(file.get(), nullptr);
    EXPECT_STREQ(file.problem(), "cannot read the file: it is a folder");
    char byte = 0;
    EXPECT_FALSE(file.read(&byte, 1));

    std::string bytes;
    std::string problem;
    EXPECT_FALSE(readWholeFile(folder, bytes, &problem));
    EXPECT_EQ(problem, "cannot read the file: it is a folder");
    EXPECT_FALSE(readWholeFile(missing, bytes, &problem));
    EXPECT_EQ(problem, "cannot open the file");
    EXPECT_FALSE(readWholeFile("", bytes));
}

TEST(InputFile, ReadsARegularFileWholeInPiecesAndExactCountsOnly)
{
    TempDir dir;
    // Larger than one read piece, with every byte value.
    std::string content(200 * 1024 + 7, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    const std::string path = dir.write("mesh.bin", content);

    std::string bytes;
    std::string problem = "untouched";
    ASSERT_TRUE(readWholeFile(path, bytes, &problem));
    EXPECT_TRUE(bytes == content) << bytes.size() << " bytes read";
    EXPECT_EQ(problem, "untouched");
    EXPECT_TRUE(readWholeFile(dir.write("empty.json", ""), bytes));
    EXPECT_EQ(bytes, "");

    InputFile file(path);
    ASSERT_TRUE(file);
    EXPECT_STREQ(file.problem(), "");
    EXPECT_EQ(file.size(), content.size());
    char head[4] = {};
    ASSERT_TRUE(file.read(head, sizeof head));
    EXPECT_EQ(std::string(head, 4), content.substr(0, 4));
    ASSERT_TRUE(file.seek(content.size() - 3));
    char tail[4] = {};
    EXPECT_FALSE(file.read(tail, 4)) << "only 3 bytes are left";
    EXPECT_FALSE(file.seek(uint64_t{1} << 63));

    // Moving hands the open file over and leaves the source closed.
    InputFile moved(std::move(file));
    EXPECT_TRUE(moved);
    EXPECT_FALSE(file);
    ASSERT_TRUE(moved.seek(0));
    std::string rest;
    ASSERT_TRUE(moved.readToEnd(rest));
    EXPECT_TRUE(rest == content) << rest.size() << " bytes read";
}
