// Reading meshes from files: the JSON mesh file (with its keyframe animations) and the
// small binary layout. A file that breaks the format is refused with one line on standard
// error naming the file and the problem, and leaves the mesh empty; nothing is written
// past an array, and the binary reader checks its counts against the file size before it
// allocates anything.

#include "render/mesh.h"

#include "diag/diagnostics.h"
#include "io/input_file.h"
#include "json/json_node.h"
#include "render/mesh_animation.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <span>

namespace {

using Keys = std::span<const char* const>;
constexpr const char* kPositionKeys[] = {"x", "y", "z"};
constexpr const char* kUvKeys[] = {"u", "v"};
constexpr const char* kColorKeys[] = {"r", "g", "b"};
constexpr const char* kTriangleKeys[] = {"a", "b", "c"};

std::string quoted(const char* text)
{
    return std::string("\"") + text + "\"";
}

std::string elementName(const char* list, size_t index)
{
    return "element " + std::to_string(index) + " of " + quoted(list);
}

// The member `name` of `parent` as a list (an array, or an object's values in order).
bool findList(const JsonNode& parent, const char* name, JsonNode& list, std::string& problem)
{
    const JsonConstIterator member = parent.find(name);
    if (member == parent.cend()) {
        problem = "no " + quoted(name) + " list";
        return false;
    }
    list = member->asArray();
    return true;
}

// One element's values in the order of `keys`, each found by its exact name.
bool readElement(const JsonNode& element, Keys keys, float* out, const char* list, size_t index,
                 std::string& problem)
{
    for (const char* key : keys) {
        const JsonConstIterator value = element.find(key);
        if (value == element.cend()) {
            problem = elementName(list, index) + " has no " + quoted(key);
            return false;
        }
        *out = value->asFloat();
        if (!std::isfinite(*out)) {
            problem = elementName(list, index) + " has a non-finite " + quoted(key);
            return false;
        }
        ++out;
    }
    return true;
}

// Every element of `list`, keys.size() floats each, written from `out` on. The caller has
// made room for list.size() * keys.size() floats.
bool readFloats(const JsonNode& list, Keys keys, float* out, const char* name, std::string& problem)
{
    size_t index = 0;
    for (JsonConstIterator e = list.cbegin(); e != list.cend(); ++e, ++index, out += keys.size()) {
        if (!readElement(*e, keys, out, name, index, problem))
            return false;
    }
    return true;
}

bool readFloatList(const JsonNode& parent, const char* name, Keys keys, std::vector<float>& out,
                   std::string& problem)
{
    JsonNode list;
    if (!findList(parent, name, list, problem))
        return false;
    out.resize(list.size() * keys.size());
    return readFloats(list, keys, out.data(), name, problem);
}

bool readModel(const JsonNode& model, Mesh& mesh, std::string& problem)
{
    if (!readFloatList(model, "vertices", kPositionKeys, mesh.positions, problem) ||
        !readFloatList(model, "uvs", kUvKeys, mesh.uvs, problem) ||
        !readFloatList(model, "colors", kColorKeys, mesh.colors, problem))
        return false;

    JsonNode list;
    if (!findList(model, "indices", list, problem))
        return false;
    mesh.indices.resize(list.size() * 3);
    const size_t vertexCount = mesh.positions.size() / 3;
    size_t index = 0;
    uint16_t* out = mesh.indices.data();
    for (JsonConstIterator e = list.cbegin(); e != list.cend(); ++e, ++index) {
        float checked[3];
        if (!readElement(*e, kTriangleKeys, checked, "indices", index, problem))
            return false;
        for (const char* key : kTriangleKeys) {
            // Indices are kept modulo 65536.
            const auto vertex = static_cast<uint16_t>(e->find(key)->asInt());
            if (vertex >= vertexCount) {
                problem = elementName("indices", index) + " names vertex " +
                          std::to_string(vertex) + " of " + std::to_string(vertexCount);
                return false;
            }
            *out++ = vertex;
        }
    }

    // Drawing reads a colour and a texture coordinate for every vertex.
    if (mesh.uvs.size() / 2 != vertexCount || mesh.colors.size() / 3 != vertexCount) {
        problem = "\"model\" has " + std::to_string(vertexCount) + " vertices but " +
                  std::to_string(mesh.uvs.size() / 2) + " uvs and " +
                  std::to_string(mesh.colors.size() / 3) + " colors";
        return false;
    }
    return true;
}

std::string keyframeName(size_t animation, size_t keyframe)
{
    return "keyframe " + std::to_string(keyframe) + " of animation " + std::to_string(animation);
}

// The keyframe list of an animation: its first member, taken as a list.
bool findKeyframes(const JsonNode& animation, size_t index, JsonNode& keyframes,
                   std::string& problem)
{
    if (animation.size() == 0) {
        problem = "animation " + std::to_string(index) + " has no keyframe list";
        return false;
    }
    keyframes = animation.cbegin()->asArray();
    return true;
}

// Checks that a keyframe has its four members and exactly `vertices` elements in each list.
bool checkKeyframe(const JsonNode& keyframe, size_t vertices, const std::string& name,
                   std::string& problem)
{
    for (const char* member : {"startTime", "vertices", "uvs", "colors"}) {
        if (keyframe.find(member) == keyframe.cend()) {
            problem = name + " has no " + quoted(member);
            return false;
        }
    }
    for (const char* list : {"vertices", "uvs", "colors"}) {
        const size_t count = keyframe.find(list)->asArray().size();
        if (count != vertices) {
            problem = name + " has " + std::to_string(count) + " " + list +
                      " where the first keyframe has " + std::to_string(vertices);
            return false;
        }
    }
    return true;
}

void report(const char* what, const std::string& path, const std::string& problem)
{
    diagErr(std::string("Could not load ") + what + " \"" + path + "\": " + problem);
}

uint32_t readLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool allFinite(const std::vector<float>& values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

bool MeshAnimation::loadFromJson(const JsonNode& animations, std::string* problemOut)
{
    *this = MeshAnimation();
    std::string problem;
    const auto fail = [&] {
        *this = MeshAnimation();
        if (problemOut)
            *problemOut = problem;
        return false;
    };

    const size_t count = animations.size();
    if (count == 0 || count > std::numeric_limits<uint16_t>::max()) {
        problem =
            "\"animations\" holds " + std::to_string(count) + " animations (1 to 65535 expected)";
        return fail();
    }

    // Counting pass: every size is checked before the keyframe arrays are allocated.
    size_t vertices = 0;
    size_t keyframes = 0;
    std::vector<int32_t> firsts;
    firsts.reserve(count);
    size_t a = 0;
    for (JsonConstIterator animation = animations.cbegin(); animation != animations.cend();
         ++animation, ++a) {
        JsonNode list;
        if (!findKeyframes(*animation, a, list, problem))
            return fail();
        if (a == 0) {
            if (list.size() == 0) {
                problem = "the first animation has no keyframe";
                return fail();
            }
            vertices = list.cbegin()->find("vertices") == list.cbegin()->cend()
                           ? 0
                           : list.cbegin()->find("vertices")->asArray().size();
        }
        firsts.push_back(static_cast<int32_t>(keyframes));
        size_t k = 0;
        for (JsonConstIterator keyframe = list.cbegin(); keyframe != list.cend(); ++keyframe, ++k) {
            if (!checkKeyframe(*keyframe, vertices, keyframeName(a, k), problem))
                return fail();
        }
        keyframes += list.size();
        if (keyframes > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            problem = "too many keyframes";
            return fail();
        }
    }

    animationCount = static_cast<uint16_t>(count);
    verticesPerFrame = static_cast<int32_t>(vertices);
    totalKeyframes = static_cast<int32_t>(keyframes);
    firstKeyframe = std::move(firsts);
    keyPositions.resize(keyframes * vertices * 3);
    keyColors.resize(keyframes * vertices * 3);
    keyUvs.resize(keyframes * vertices * 2);
    keyStartTimes.resize(keyframes);

    // Filling pass, with running write positions that carry on from keyframe to keyframe
    // and from animation to animation.
    float* position = keyPositions.data();
    float* uv = keyUvs.data();
    float* color = keyColors.data();
    float* startTime = keyStartTimes.data();
    a = 0;
    for (JsonConstIterator animation = animations.cbegin(); animation != animations.cend();
         ++animation, ++a) {
        const JsonNode list = animation->cbegin()->asArray();
        size_t k = 0;
        for (JsonConstIterator keyframe = list.cbegin(); keyframe != list.cend(); ++keyframe, ++k) {
            const std::string name = keyframeName(a, k);
            *startTime = keyframe->find("startTime")->asFloat();
            if (!std::isfinite(*startTime)) {
                problem = name + " has a non-finite \"startTime\"";
                return fail();
            }
            ++startTime;
            const JsonNode positions = keyframe->find("vertices")->asArray();
            const JsonNode uvs = keyframe->find("uvs")->asArray();
            const JsonNode colors = keyframe->find("colors")->asArray();
            if (!readFloats(positions, kPositionKeys, position, "vertices", problem) ||
                !readFloats(uvs, kUvKeys, uv, "uvs", problem) ||
                !readFloats(colors, kColorKeys, color, "colors", problem)) {
                problem = name + ": " + problem;
                return fail();
            }
            position += vertices * 3;
            uv += vertices * 2;
            color += vertices * 3;
        }
    }
    return true;
}

bool Mesh::load(const std::string& path)
{
    if (path.find(".json", 1) != std::string::npos)
        return loadJson(path);
    return loadBinary(path);
}

bool Mesh::loadJson(const std::string& path)
{
    clear();
    std::string text;
    std::string unreadable;
    if (!readWholeFile(path, text, &unreadable)) {
        report("mesh", path, unreadable);
        return false;
    }
    const JsonNode root = JsonNode::parse(text);

    bool haveModel = false;
    std::string problem;
    std::string animationProblem;
    for (JsonConstIterator member = root.cbegin(); member != root.cend(); ++member) {
        const std::string name = member->name();
        if (name == "model") {
            if (!readModel(*member, *this, problem)) {
                report("mesh", path, "\"model\": " + problem);
                clear();
                return false;
            }
            haveModel = true;
        } else if (name == "animations") {
            // A later "animations" member replaces an earlier one, good or bad.
            animation = std::make_unique<MeshAnimation>();
            animationProblem.clear();
            if (!animation->loadFromJson(member->asArray(), &animationProblem))
                animation.reset();
        }
    }
    if (!haveModel) {
        report("mesh", path, "no \"model\" member");
        clear();
        return false;
    }
    if (animation && static_cast<size_t>(animation->verticesPerFrame) != positions.size() / 3) {
        animationProblem = "keyframes have " + std::to_string(animation->verticesPerFrame) +
                           " vertices but the model has " + std::to_string(positions.size() / 3);
        animation.reset();
    }
    if (!animationProblem.empty())
        report("the animations of mesh", path, animationProblem);
    updateCounts();
    return true;
}

bool Mesh::loadBinary(const std::string& path)
{
    // Floats and indices are stored little-endian, as the host keeps them.
    static_assert(std::endian::native == std::endian::little);
    clear();
    const auto refuse = [&](const std::string& problem) {
        report("mesh", path, problem);
        clear();
        return false;
    };

    InputFile file(path);
    if (!file)
        return refuse(file.problem());
    const int64_t size = static_cast<int64_t>(file.size());
    uint8_t header[8];
    if (size < 8 || !file.read(header, sizeof header))
        return refuse("the file is shorter than its 8-byte header");
    const int64_t vertexCount = static_cast<int32_t>(readLe32(header));
    const int64_t triangleCount = static_cast<int32_t>(readLe32(header + 4));
    if (vertexCount < 0 || triangleCount < 0)
        return refuse("negative count (" + std::to_string(vertexCount) + " vertices, " +
                      std::to_string(triangleCount) + " triangles)");
    const int64_t needed = 8 + 32 * vertexCount + 6 * triangleCount;
    if (needed > size)
        return refuse(std::to_string(vertexCount) + " vertices and " +
                      std::to_string(triangleCount) + " triangles need " + std::to_string(needed) +
                      " bytes but the file has " + std::to_string(size));
    if (3 * vertexCount > std::numeric_limits<int32_t>::max() ||
        3 * triangleCount > std::numeric_limits<int32_t>::max())
        return refuse("too many vertices or triangles");

    positions.resize(static_cast<size_t>(3 * vertexCount));
    colors.resize(static_cast<size_t>(3 * vertexCount));
    uvs.resize(static_cast<size_t>(2 * vertexCount));
    indices.resize(static_cast<size_t>(3 * triangleCount));
    if (!file.read(positions.data(), positions.size() * sizeof(float)) ||
        !file.read(colors.data(), colors.size() * sizeof(float)) ||
        !file.read(uvs.data(), uvs.size() * sizeof(float)) ||
        !file.read(indices.data(), indices.size() * sizeof(uint16_t)))
        return refuse("cannot read the mesh data");
    if (!allFinite(positions) || !allFinite(colors) || !allFinite(uvs))
        return refuse("a position, colour or texture coordinate is not a finite number");
    for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= vertexCount)
            return refuse("index " + std::to_string(i) + " names vertex " +
                          std::to_string(indices[i]) + " of " + std::to_string(vertexCount));
    }

    // Two more bytes announce animations, which this format does not carry.
    uint8_t extra[2];
    diagOut(std::fread(extra, 1, sizeof extra, file.get()) == sizeof extra ? "des anims!"
                                                                           : "pas d'anim");
    updateCounts();
    return true;
}
