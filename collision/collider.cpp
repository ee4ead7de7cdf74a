#include "collision/collider.h"

#include "diag/diagnostics.h"
#include "io/input_file.h"
#include "json/json_node.h"

#include <cmath>
#include <memory>

namespace {

std::string quoted(const char* text)
{
    return std::string("\"") + text + "\"";
}

// Reads lists of named values from one "collider" member, describing the first problem.
class ListReader {
public:
    explicit ListReader(const JsonNode& collider) : collider_(collider) { }

    // The member as a list; false when the member is missing.
    bool open(const char* name)
    {
        name_ = name;
        const JsonConstIterator member = collider_.find(name);
        if (member == collider_.cend()) {
            problem = "\"collider\" has no " + quoted(name) + " list";
            return false;
        }
        list = member->asArray();
        return true;
    }

    // The value `key` of element `index` of the open list.
    const JsonNode* value(const JsonNode& element, size_t index, const char* key)
    {
        const JsonConstIterator found = element.find(key);
        if (found == element.cend()) {
            problem = where(index) + " has no " + quoted(key);
            return nullptr;
        }
        return &*found;
    }

    bool number(const JsonNode& element, size_t index, const char* key, float& out)
    {
        const JsonNode* node = value(element, index, key);
        if (!node)
            return false;
        out = node->asFloat();
        if (!std::isfinite(out)) {
            problem = where(index) + " has a non-finite " + quoted(key);
            return false;
        }
        return true;
    }

    std::string where(size_t index) const
    {
        return "element " + std::to_string(index) + " of " + quoted(name_);
    }

    JsonNode list;
    std::string problem;

private:
    const JsonNode& collider_;
    const char* name_ = "";
};

void report(const std::string& path, const std::string& problem)
{
    diagErr("Could not load collider \"" + path + "\": " + problem);
}

} // namespace

void Collider::clear()
{
    *this = Collider();
}

void Collider::loadFile(const std::string& path)
{
    if (path.find(".json", 1) == std::string::npos)
        return;
    clear();
    std::string text;
    std::string unreadable;
    if (!readWholeFile(path, text, &unreadable)) {
        report(path, unreadable);
        return;
    }
    const JsonNode root = JsonNode::parse(text);

    bool found = false;
    for (JsonConstIterator member = root.cbegin(); member != root.cend(); ++member) {
        if (member->name() != "collider")
            continue;
        found = true;
        std::string problem;
        if (!readCollider(*member, problem)) {
            clear();
            report(path, problem);
            return;
        }
    }
    if (!found)
        report(path, "no \"collider\" member");
}

bool Collider::readCollider(const JsonNode& collider, std::string& problem)
{
    ListReader read(collider);
    const auto fail = [&] {
        problem = read.problem;
        return false;
    };

    if (!read.open("vertices"))
        return fail();
    vertexCount_ = static_cast<int>(read.list.size());
    vertexX_.assign(read.list.size(), 0.0f);
    vertexY_.assign(read.list.size(), 0.0f);
    size_t k = 0;
    for (JsonConstIterator e = read.list.cbegin(); e != read.list.cend(); ++e, ++k) {
        if (!read.number(*e, k, "x", vertexX_[k]) || !read.number(*e, k, "y", vertexY_[k]))
            return fail();
    }

    if (!read.open("indices"))
        return fail();
    segmentCount_ = static_cast<int>(read.list.size());
    segments_.assign(read.list.size() * 2, 0);
    k = 0;
    for (JsonConstIterator e = read.list.cbegin(); e != read.list.cend(); ++e, ++k) {
        for (int end = 0; end < 2; ++end) {
            const char* key = end == 0 ? "a" : "b";
            const JsonNode* node = read.value(*e, k, key);
            if (!node)
                return fail();
            const int64_t vertex = node->asInt();
            if (vertex < 0 || vertex >= vertexCount_) {
                problem = read.where(k) + " has " + quoted(key) + " " + std::to_string(vertex) +
                          ", which names no vertex (there are " + std::to_string(vertexCount_) +
                          ")";
                return false;
            }
            segments_[2 * k + end] = static_cast<int>(vertex);
        }
    }

    if (!read.open("circles"))
        return fail();
    circleCount_ = static_cast<int>(read.list.size());
    circleX_.assign(read.list.size(), 0.0f);
    circleY_.assign(read.list.size(), 0.0f);
    circleRadius_.assign(read.list.size(), 0.0f);
    k = 0;
    for (JsonConstIterator e = read.list.cbegin(); e != read.list.cend(); ++e, ++k) {
        if (!read.number(*e, k, "x", circleX_[k]) || !read.number(*e, k, "y", circleY_[k]) ||
            !read.number(*e, k, "radius", circleRadius_[k]))
            return fail();
    }
    return true;
}

float Collider::circleX(int k) const
{
    return k >= 0 && k < circleCount_ ? circleX_[k] : 0.0f;
}

float Collider::circleY(int k) const
{
    return k >= 0 && k < circleCount_ ? circleY_[k] : 0.0f;
}

float Collider::circleRadius(int k) const
{
    return k >= 0 && k < circleCount_ ? circleRadius_[k] : 0.0f;
}

std::array<float, 4> Collider::segment(int k) const
{
    if (k < 0 || k >= segmentCount_)
        return {};
    const int a = segments_[2 * k];
    const int b = segments_[2 * k + 1];
    return {vertexX_[a], vertexY_[a], vertexX_[b], vertexY_[b]};
}
