#include "collision/collider.h"

#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"
#include "tests/support/one_line_report.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Quad = std::array<float, 4>;

// A unit square outline: four vertices, four segments, no circles.
const std::string kSquare = R"({"collider": {
    "vertices": [{"x": 0, "y": 0}, {"x": 1, "y": 0}, {"x": 1, "y": 1}, {"x": 0, "y": 1}],
    "indices": [{"a": 0, "b": 1}, {"a": 1, "b": 2}, {"a": 2, "b": 3}, {"a": 3, "b": 0}],
    "circles": []
}})";

std::string collider(const std::string& vertices, const std::string& indices,
                     const std::string& circles)
{
    return R"({"collider": {"vertices": )" + vertices + R"(, "indices": )" + indices +
           R"(, "circles": )" + circles + "}}";
}

} // namespace

TEST(Collider, LoadsVerticesSegmentsAndCircles)
{
    TempDir dir;
    Collider c;
    EXPECT_EQ(c.vertexCount() + c.segmentCount() + c.circleCount(), 0);
    c.loadFile(dir.write("square.json", kSquare));
    EXPECT_EQ(c.vertexCount(), 4);
    EXPECT_EQ(c.segmentCount(), 4);
    EXPECT_EQ(c.circleCount(), 0);
    EXPECT_EQ(c.segment(0), (Quad{0, 0, 1, 0}));
    EXPECT_EQ(c.segment(3), (Quad{0, 1, 0, 0}));

    // Lists written as objects read as their values in file order; extra names are ignored;
    // indices are truncated.
    c.loadFile(
        dir.write("varied.json",
                  collider(R"({"p": {"x": 2, "y": 3, "z": 9}, "q": {"name": "q", "y": 5, "x": 4}, )"
                           R"("r": {"x": 6, "y": 7}})",
                           R"([{"a": 2.7, "b": 0.2, "name": "s"}])",
                           R"({"c": {"x": 1.5, "y": -2, "radius": 0.25, "z": 1}})")));
    EXPECT_EQ(c.vertexCount(), 3);
    EXPECT_EQ(c.segmentCount(), 1);
    EXPECT_EQ(c.segment(0), (Quad{6, 7, 2, 3}));
    EXPECT_EQ(c.circleCount(), 1);
    EXPECT_EQ(c.circleX(0), 1.5f);
    EXPECT_EQ(c.circleY(0), -2.0f);
    EXPECT_EQ(c.circleRadius(0), 0.25f);

    // Of several "collider" members the last decides; other members are ignored.
    c.loadFile(dir.write(
        "two.json",
        R"({"collider": {"vertices": [], "indices": [], "circles": [{"x":1,"y":1,"radius":1}]},
        "other": 5, "collider": {"vertices": [{"x": 9, "y": 9}], )"
        R"("indices": [{"a": 0, "b": 0}], "circles": []}})"));
    EXPECT_EQ(c.vertexCount(), 1);
    EXPECT_EQ(c.segment(0), (Quad{9, 9, 9, 9}));
    EXPECT_EQ(c.circleCount(), 0);
}

TEST(Collider, LoadsOnlyPathsWithJsonAfterTheFirstCharacter)
{
    TempDir dir;
    Collider c;
    c.loadFile(dir.write("square.json.bak", kSquare));
    EXPECT_EQ(c.segmentCount(), 4);

    // Other paths leave the collider as it was, without a word.
    RecordedLines said;
    c.loadFile(dir.write("square.txt", collider("[]", "[]", "[]")));
    c.loadFile(dir.write("square.JSON", collider("[]", "[]", "[]")));
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dir.write(".json", collider("[]", "[]", "[]"));
    c.loadFile(".json");
    std::filesystem::current_path(saved);
    EXPECT_EQ(c.segmentCount(), 4);
    EXPECT_EQ(said.err(), "");
}

TEST(Collider, DamagedFilesAreRefusedWithOneLineAndLeaveItEmpty)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        const char* problem;
    };
    const Case cases[] = {
        {"not JSON", "collider", "no \"collider\" member"},
        {"no collider member", R"({"colliders": {}})", "no \"collider\" member"},
        {"no vertices", R"({"collider": {"indices": [], "circles": []}})",
         "\"collider\" has no \"vertices\" list"},
        {"no indices", R"({"collider": {"vertices": [], "circles": []}})",
         "\"collider\" has no \"indices\" list"},
        {"no circles", R"({"collider": {"vertices": [], "indices": []}})",
         "\"collider\" has no \"circles\" list"},
        {"vertex without y", collider(R"([{"x": 1}])", "[]", "[]"),
         "element 0 of \"vertices\" has no \"y\""},
        {"segment without b", collider(R"([{"x": 1, "y": 1}])", R"([{"a": 0}])", "[]"),
         "element 0 of \"indices\" has no \"b\""},
        {"circle without radius",
         collider("[]", "[]", R"([{"x": 1, "y": 1, "radius": 2}, {"x": 1, "y": 1}])"),
         "element 1 of \"circles\" has no \"radius\""},
        {"segment end past the vertices",
         collider(R"([{"x": 1, "y": 1}])", R"([{"a": 0, "b": 1}])", "[]"),
         "element 0 of \"indices\" has \"b\" 1, which names no vertex (there are 1)"},
        {"negative segment end", collider(R"([{"x": 1, "y": 1}])", R"([{"a": -1, "b": 0}])", "[]"),
         "has \"a\" -1, which names no vertex"},
        {"huge segment end", collider(R"([{"x": 1, "y": 1}])", R"([{"a": 0, "b": 1e30}])", "[]"),
         "which names no vertex"},
        {"infinite radius", collider("[]", "[]", R"([{"x": 1, "y": 1, "radius": 1e99}])"),
         "non-finite \"radius\""},
        {"good collider then a bad one",
         R"({"collider": {"vertices": [], "indices": [], "circles": []}, "collider": {}})",
         "has no \"vertices\" list"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("bad.json", c.text);
        Collider collider;
        collider.loadFile(dir.write("square.json", kSquare));
        RecordedLines said;
        collider.loadFile(path);
        EXPECT_TRUE(
            isOneLineReport(said.err(), "Could not load collider \"" + path + "\": ", c.problem))
            << c.what;
        EXPECT_EQ(collider.vertexCount() + collider.segmentCount() + collider.circleCount(), 0)
            << c.what;
    }

    RecordedLines said;
    Collider collider;
    const std::string missing = (dir.path() / "missing.json").string();
    collider.loadFile(missing);
    EXPECT_EQ(said.err(), "Could not load collider \"" + missing + "\": cannot open the file\n");
}

TEST(Collider, AccessorsNeverReadOutsideTheArrays)
{
    TempDir dir;
    Collider c;
    for (int k : {-1, 0, 1, 1 << 30}) {
        EXPECT_EQ(c.segment(k), (Quad{0, 0, 0, 0}));
        EXPECT_EQ(c.circleX(k), 0.0f);
    }
    c.loadFile(dir.write("c.json", collider(R"([{"x": 1, "y": 2}])", R"([{"a": 0, "b": 0}])",
                                            R"([{"x": 3, "y": 4, "radius": 5}])")));
    EXPECT_EQ(c.segment(0), (Quad{1, 2, 1, 2}));
    EXPECT_EQ(c.segment(1), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(c.segment(-1), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(c.circleRadius(0), 5.0f);
    EXPECT_EQ(c.circleRadius(1), 0.0f);
    EXPECT_EQ(c.circleY(-1), 0.0f);
}

TEST(Collider, AFolderInPlaceOfTheFileIsReportedAsUnreadableAndLeavesItEmpty)
{
    TempDir dir;
    const std::filesystem::path folder = dir.path() / "quadCollider.json";
    std::filesystem::create_directory(folder);
    Collider collider;
    collider.loadFile(dir.write("square.json", kSquare));
    RecordedLines said;
    collider.loadFile(folder.string());
    EXPECT_EQ(said.err(), "Could not load collider \"" + folder.string() +
                              "\": cannot read the file: it is a folder\n");
    EXPECT_EQ(collider.vertexCount() + collider.segmentCount() + collider.circleCount(), 0);
}
