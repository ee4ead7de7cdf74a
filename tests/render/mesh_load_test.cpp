#include "render/mesh.h"

#include "render/mesh_animation.h"
#include "tests/render/mesh_counts.h"
#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"
#include "tests/support/one_line_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

const std::string kVertices =
    R"("vertices": [{"x":0,"y":0,"z":0}, {"x":1,"y":0,"z":0}, {"x":0,"y":1,"z":0}])";
const std::string kUvs = R"("uvs": [{"u":0,"v":0}, {"u":1,"v":0}, {"u":0,"v":1}])";
const std::string kColors =
    R"("colors": [{"r":1,"g":1,"b":1}, {"r":1,"g":1,"b":1}, {"r":1,"g":1,"b":1}])";
const std::string kIndices = R"("indices": [{"a":0,"b":1,"c":2}])";

std::string model(const std::string& vertices = kVertices, const std::string& uvs = kUvs,
                  const std::string& colors = kColors, const std::string& indices = kIndices)
{
    return R"("model": {)" + vertices + "," + uvs + "," + colors + "," + indices + "}";
}

// A keyframe whose every vertex sits at (base, base + 1, base + 2) with uv (base, -base)
// and colour (base / 10, 0, 1).
std::string keyframe(float startTime, int vertices, float base)
{
    std::string v, uv, c;
    for (int i = 0; i < vertices; ++i) {
        const std::string sep = i ? "," : "";
        v += sep + "{\"x\":" + std::to_string(base) + ",\"y\":" + std::to_string(base + 1) +
             ",\"z\":" + std::to_string(base + 2) + "}";
        uv += sep + "{\"u\":" + std::to_string(base) + ",\"v\":" + std::to_string(-base) + "}";
        c += sep + "{\"r\":" + std::to_string(base / 10) + ",\"g\":0,\"b\":1}";
    }
    return "{\"startTime\":" + std::to_string(startTime) + ",\"vertices\":[" + v + "],\"uvs\":[" +
           uv + "],\"colors\":[" + c + "]}";
}

std::string animation(const std::vector<std::string>& keyframes)
{
    std::string list;
    for (size_t i = 0; i < keyframes.size(); ++i)
        list += (i ? "," : "") + keyframes[i];
    return "{\"keyframes\":[" + list + "]}";
}

struct BinaryMesh {
    int32_t vertices = 0;
    int32_t triangles = 0;
    std::vector<float> floats; // positions, colours, uvs
    std::vector<uint16_t> indices;
    std::string extra;
};

std::string binary(const BinaryMesh& m)
{
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &m.vertices, 4);
    std::memcpy(bytes.data() + 4, &m.triangles, 4);
    bytes.append(reinterpret_cast<const char*>(m.floats.data()), m.floats.size() * sizeof(float));
    bytes.append(reinterpret_cast<const char*>(m.indices.data()), m.indices.size() * 2);
    return bytes + m.extra;
}

// One triangle: three vertices, colours and uvs numbered so that each value is distinct.
BinaryMesh triangle()
{
    BinaryMesh m;
    m.vertices = 3;
    m.triangles = 1;
    for (int i = 0; i < 32 * 3 / 4; ++i)
        m.floats.push_back(static_cast<float>(i) * 0.5f);
    m.indices = {2, 0, 1};
    return m;
}

} // namespace

TEST(MeshLoad, ChoosesTheJsonReaderWhenJsonOccursAfterTheFirstCharacter)
{
    TempDir dir;
    const std::string json = "{" + model() + "}";
    const std::string bin = binary(triangle());
    RecordedLines said;
    for (const auto& [name, bytes] : {std::pair{"quad.json", &json},
                                      {"quad.json.bak", &json},
                                      {"a.jsonx/m", &json},
                                      {"m.bin", &bin},
                                      {"m.JSON", &bin},
                                      {"m", &bin}}) {
        Mesh mesh;
        EXPECT_TRUE(mesh.load(dir.write(name, *bytes))) << name;
        EXPECT_EQ(mesh.indexCount, 3) << name;
    }
    // A path whose only ".json" starts at its first character.
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dir.write(".json", bin);
    Mesh mesh;
    EXPECT_TRUE(mesh.load(".json"));
    EXPECT_EQ(mesh.positionFloatCount, 9);
    std::filesystem::current_path(saved);
    EXPECT_EQ(said.out(), "pas d'anim\npas d'anim\npas d'anim\npas d'anim\n");
}

TEST(MeshLoad, JsonModelFillsTheArraysAndCounts)
{
    TempDir dir;
    Mesh mesh;
    ASSERT_TRUE(mesh.loadJson(dir.write("quad.json", "{" + model() + "}")));
    EXPECT_EQ(countsOf(mesh), (MeshCounts{9, 9, 3, 6}));
    EXPECT_EQ(mesh.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(mesh.uvs, (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(mesh.animation, nullptr);

    // Lists given as objects read as their member values; names are found wherever they
    // stand, the first of two equal names counts, other names are ignored; a string
    // holding a number, a Boolean and null are numbers too; indices are kept modulo 65536.
    const std::string varied = model(
        R"("vertices": {"p": {"z":3, "y":2, "x":1, "w":9}, "q": {"x":"2.5","y":true,"z":null}, )"
        R"("r": {"x":4,"x":5,"y":0,"z":0}})",
        kUvs, kColors, R"("indices": [{"c":65538, "b":65537, "a":0}])");
    ASSERT_TRUE(mesh.loadJson(dir.write("varied.json", "{" + varied + "}")));
    EXPECT_EQ(mesh.positions, (std::vector<float>{1, 2, 3, 2.5f, 1, 0, 4, 0, 0}));
    EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 1, 2}));

    // Of two "model" members the second decides; other root members are ignored.
    const std::string twoModels =
        "{" + model() + R"(, "name": "x", )" +
        model(R"("vertices": [{"x":7,"y":7,"z":7}, {"x":8,"y":8,"z":8}, {"x":9,"y":9,"z":9}])") +
        "}";
    ASSERT_TRUE(mesh.loadJson(dir.write("two.json", twoModels)));
    EXPECT_EQ(mesh.positions, (std::vector<float>{7, 7, 7, 8, 8, 8, 9, 9, 9}));
}

TEST(MeshLoad, AnimationsKeepRunningWritePositionsAcrossKeyframesAndAnimationsUntilTheNextLoad)
{
    TempDir dir;
    const std::string file =
        "{" + model() + R"(, "animations": [)" +
        animation({keyframe(0, 3, 10), keyframe(1, 3, 20)}) + "," +
        animation({keyframe(0, 3, 30), keyframe(0.5f, 3, 40), keyframe(2, 3, 50)}) + "]}";
    Mesh mesh;
    ASSERT_TRUE(mesh.loadJson(dir.write("anim.json", file)));
    ASSERT_NE(mesh.animation, nullptr);
    const MeshAnimation& a = *mesh.animation;
    EXPECT_EQ(a.animationCount, 2);
    EXPECT_EQ(a.totalKeyframes, 5);
    EXPECT_EQ(a.verticesPerFrame, 3);
    EXPECT_EQ(a.firstKeyframe, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(a.keyStartTimes, (std::vector<float>{0, 1, 0, 0.5f, 2}));
    ASSERT_EQ(a.keyPositions.size(), 5u * 3 * 3);
    ASSERT_EQ(a.keyUvs.size(), 5u * 3 * 2);
    ASSERT_EQ(a.keyColors.size(), 5u * 3 * 3);
    for (int k = 0; k < 5; ++k) {
        const float base = 10.0f * (k + 1);
        for (int v = 0; v < 3; ++v) {
            const size_t p = (k * 3 + v) * 3, t = (k * 3 + v) * 2;
            EXPECT_EQ(a.keyPositions[p], base);
            EXPECT_EQ(a.keyPositions[p + 2], base + 2);
            EXPECT_EQ(a.keyUvs[t + 1], -base);
            EXPECT_FLOAT_EQ(a.keyColors[p], base / 10);
        }
    }
    EXPECT_EQ(mesh.indexCount, 3);

    // Loading again replaces everything, the animation included.
    ASSERT_TRUE(mesh.loadJson(dir.write("b.json", "{" + model() + "}")));
    EXPECT_EQ(mesh.animation, nullptr);
    EXPECT_EQ(mesh.indexCount, 3);
}

TEST(MeshLoad, BinaryFileFillsTheArraysAndNotesTrailingBytes)
{
    TempDir dir;
    struct Case {
        std::string extra;
        const char* line;
    };
    for (const Case& c : {Case{"", "pas d'anim\n"}, Case{"x", "pas d'anim\n"},
                          Case{"xy", "des anims!\n"}, Case{"xyz", "des anims!\n"}}) {
        BinaryMesh m = triangle();
        m.extra = c.extra;
        RecordedLines said;
        Mesh mesh;
        EXPECT_TRUE(mesh.loadBinary(dir.write("m.bin", binary(m))));
        EXPECT_EQ(said.out(), c.line) << c.extra.size() << " extra bytes";
        EXPECT_EQ(mesh.animation, nullptr);
        EXPECT_EQ(countsOf(mesh), (MeshCounts{9, 9, 3, 6}));
        EXPECT_EQ(mesh.positions, std::vector<float>(m.floats.begin(), m.floats.begin() + 9));
        EXPECT_EQ(mesh.colors, std::vector<float>(m.floats.begin() + 9, m.floats.begin() + 18));
        EXPECT_EQ(mesh.uvs, std::vector<float>(m.floats.begin() + 18, m.floats.end()));
        EXPECT_EQ(mesh.indices, m.indices);
    }
}

TEST(MeshLoad, DamagedMeshesAreRefusedWithOneLineAndLeftEmpty)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* what;
        std::string bytes;
        const char* problem;
    };
    const auto with = [](auto change) {
        BinaryMesh m = triangle();
        change(m);
        return binary(m);
    };
    const std::string good = binary(triangle());
    const Case cases[] = {
        {"bad.json", "not JSON", "this is not a mesh", "no \"model\" member"},
        {"bad.json", "empty file", "", "no \"model\" member"},
        {"bad.json", "array root", "[" + model() + "]", "no \"model\" member"},
        {"bad.json", "no uvs", R"({"model": {)" + kVertices + "," + kColors + "," + kIndices + "}}",
         "no \"uvs\" list"},
        {"bad.json", "no indices", R"({"model": {)" + kVertices + "," + kUvs + "," + kColors + "}}",
         "no \"indices\" list"},
        {"bad.json", "vertex without y", "{" + model(R"("vertices": [{"x":0,"z":0}])") + "}",
         "element 0 of \"vertices\" has no \"y\""},
        {"bad.json", "element that is a number",
         "{" + model(kVertices, R"("uvs": [{"u":0,"v":0}, 5, {"u":0,"v":1}])") + "}",
         "element 1 of \"uvs\" has no \"u\""},
        {"bad.json", "index past the vertices",
         "{" + model(kVertices, kUvs, kColors, R"("indices": [{"a":0,"b":1,"c":3}])") + "}",
         "element 0 of \"indices\" names vertex 3 of 3"},
        {"bad.json", "negative index",
         "{" + model(kVertices, kUvs, kColors, R"("indices": [{"a":-1,"b":1,"c":2}])") + "}",
         "names vertex 65535 of 3"},
        {"bad.json", "infinite coordinate",
         "{" + model(R"("vertices": [{"x":1e39,"y":0,"z":0}])") + "}", "non-finite \"x\""},
        {"bad.json", "NaN colour",
         "{" + model(kVertices, kUvs, R"("colors": [{"r":"nan","g":0,"b":0}])") + "}",
         "non-finite \"r\""},
        {"bad.json", "fewer uvs than vertices",
         "{" + model(kVertices, R"("uvs": [{"u":0,"v":0}])") + "}",
         "3 vertices but 1 uvs and 3 colors"},
        {"bad.json", "a bad second model",
         "{" + model() + "," + model(R"("vertices": [{"x":0}])") + "}", "has no \"y\""},
        {"bad.bin", "empty", "", "shorter than its 8-byte header"},
        {"bad.bin", "half a header", good.substr(0, 6), "shorter than its 8-byte header"},
        {"bad.bin", "negative vertex count", with([](BinaryMesh& m) { m.vertices = -1; }),
         "negative count"},
        {"bad.bin", "negative triangle count", with([](BinaryMesh& m) { m.triangles = -3; }),
         "negative count"},
        {"bad.bin", "huge vertex count", with([](BinaryMesh& m) { m.vertices = 0x7fffffff; }),
         "2147483647 vertices and 1 triangles need 68719476718 bytes but the file has 110"},
        {"bad.bin", "huge triangle count", with([](BinaryMesh& m) { m.triangles = 0x7fffffff; }),
         "but the file has 110"},
        {"bad.bin", "indices cut short", good.substr(0, good.size() - 1), "but the file has 109"},
        {"bad.bin", "index past the vertices", with([](BinaryMesh& m) { m.indices[1] = 3; }),
         "index 1 names vertex 3 of 3"},
        {"bad.bin", "NaN coordinate", with([](BinaryMesh& m) { m.floats[4] = std::nanf(""); }),
         "not a finite number"},
        {"bad.bin", "infinite uv", with([](BinaryMesh& m) { m.floats[20] = HUGE_VALF; }),
         "not a finite number"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write(c.name, c.bytes);
        RecordedLines said;
        Mesh mesh;
        EXPECT_FALSE(mesh.load(path)) << c.what;
        EXPECT_TRUE(
            isOneLineReport(said.err(), "Could not load mesh \"" + path + "\": ", c.problem))
            << c.what;
        EXPECT_EQ(said.out(), "") << c.what;
        EXPECT_TRUE(mesh.positions.empty() && mesh.colors.empty() && mesh.uvs.empty() &&
                    mesh.indices.empty())
            << c.what;
        EXPECT_EQ(countsOf(mesh), (MeshCounts{0, 0, 0, 0})) << c.what;
        EXPECT_EQ(mesh.animation, nullptr) << c.what;
    }

    RecordedLines said;
    Mesh mesh;
    const std::string missing = (dir.path() / "missing.json").string();
    EXPECT_FALSE(mesh.load(missing));
    EXPECT_EQ(said.err(), "Could not load mesh \"" + missing + "\": cannot open the file\n");
}

TEST(MeshLoad, DamagedAnimationsAreDroppedWithOneLineAndTheModelKept)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::string animations;
        const char* problem;
    };
    std::string manyEmpty = animation({keyframe(0, 3, 1)});
    manyEmpty.insert(manyEmpty.size() - 2, std::string(",{}").append(std::string(20000 * 3, ' ')));
    const Case cases[] = {
        {"no animation", "[]", "holds 0 animations"},
        {"an animation that is a number", "[5]", "animation 0 has no keyframe list"},
        {"first animation without keyframes", "[" + animation({}) + "]",
         "the first animation has no keyframe"},
        {"keyframe without startTime", R"([{"k":[{"vertices":[],"uvs":[],"colors":[]}]}])",
         "has no \"startTime\""},
        {"keyframes of different sizes",
         "[" + animation({keyframe(0, 3, 1), keyframe(1, 2, 1)}) + "]",
         "keyframe 1 of animation 0 has 2 vertices where the first keyframe has 3"},
        {"later animation of a different size",
         "[" + animation({keyframe(0, 3, 1)}) + "," + animation({keyframe(0, 4, 1)}) + "]",
         "keyframe 0 of animation 1 has 4 vertices"},
        {"uvs disagree with vertices",
         R"([{"k":[{"startTime":0,"vertices":[{"x":0,"y":0,"z":0}],"uvs":[],)"
         R"("colors":[{"r":0,"g":0,"b":0}]}]}])",
         "has 0 uvs where the first keyframe has 1"},
        {"keyframes smaller than the model",
         "[" + animation({keyframe(0, 2, 1), keyframe(1, 2, 1)}) + "]",
         "keyframes have 2 vertices but the model has 3"},
        {"a vertex without z",
         R"([{"k":[{"startTime":0,)"
         R"("vertices":[{"x":0,"y":0},{"x":0,"y":0,"z":0},{"x":0,"y":0,"z":0}],)"
         R"("uvs":[{"u":0,"v":0},{"u":0,"v":0},{"u":0,"v":0}],)"
         R"("colors":[{"r":0,"g":0,"b":0},{"r":0,"g":0,"b":0},{"r":0,"g":0,"b":0}]}]}])",
         "keyframe 0 of animation 0: element 0 of \"vertices\" has no \"z\""},
        {"infinite start time",
         "[" + animation({"{\"startTime\":1e40," + keyframe(0, 3, 1).substr(1)}) + "]",
         "non-finite \"startTime\""},
        {"thousands of empty keyframes after a full one", "[" + manyEmpty + "]",
         "keyframe 1 of animation 0 has no \"startTime\""},
    };
    for (const Case& c : cases) {
        const std::string path =
            dir.write("anim.json", "{" + model() + ", \"animations\": " + c.animations + "}");
        RecordedLines said;
        Mesh mesh;
        EXPECT_TRUE(mesh.loadJson(path)) << c.what;
        EXPECT_TRUE(isOneLineReport(
            said.err(), "Could not load the animations of mesh \"" + path + "\": ", c.problem))
            << c.what;
        EXPECT_EQ(mesh.animation, nullptr) << c.what;
        EXPECT_EQ(mesh.indexCount, 3) << c.what;
    }
}

TEST(MeshLoad, AFolderInPlaceOfEitherFormIsReportedAsUnreadableAndLeftEmpty)
{
    TempDir dir;
    for (const char* name : {"quad.json", "tree.bin"}) {
        const std::filesystem::path folder = dir.path() / name;
        std::filesystem::create_directory(folder);
        RecordedLines said;
        Mesh mesh;
        EXPECT_FALSE(mesh.load(folder.string())) << name;
        EXPECT_EQ(said.err(), "Could not load mesh \"" + folder.string() +
                                  "\": cannot read the file: it is a folder\n");
        EXPECT_EQ(countsOf(mesh), (MeshCounts{0, 0, 0, 0})) << name;
    }
}
