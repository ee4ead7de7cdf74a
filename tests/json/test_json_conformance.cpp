// The public JSON conformance files: every one parses and is walked
// completely; the valid ones made of numbers, arrays and objects read back
// their values.

#include "json/json_node.h"

#include "tests/json/json_test_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::filesystem::path suiteFolder() {
    const char* shared = std::getenv("ZORBEL_SHARED_DIR");
    if (!shared || !*shared) shared = ZORBEL_SHARED_DIR_FALLBACK;
    return std::filesystem::path(shared) / "testdata" / "jsontestsuite" / "test_parsing";
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> suiteFiles() {
    std::vector<std::filesystem::path> files;
    std::filesystem::path folder = suiteFolder();
    if (folder.empty() || !std::filesystem::is_directory(folder)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A strict reader of the plain subset (numbers, arrays, objects with
// escape-free keys), independent of the one under test.
struct Expected {
    JsonType type = JsonType::Null;
    std::string name;
    float number = 0;
    std::vector<Expected> children;
};

class PlainReader {
public:
    explicit PlainReader(const std::string& text) : s_(text) {}

    bool read(Expected& out) {
        skipSpace();
        if (!value(out, 0)) return false;
        skipSpace();
        return pos_ == s_.size();
    }

private:
    void skipSpace() {
        while (pos_ < s_.size() && std::strchr(" \t\n\r", s_[pos_]) && s_[pos_] != '\0') ++pos_;
    }
    bool value(Expected& out, int depth) {
        if (depth > 64 || pos_ >= s_.size()) return false;
        char c = s_[pos_];
        if (c == '[' || c == '{') {
            out.type = c == '[' ? JsonType::Array : JsonType::Object;
            char close = c == '[' ? ']' : '}';
            ++pos_;
            skipSpace();
            if (pos_ < s_.size() && s_[pos_] == close) {
                ++pos_;
                return true;
            }
            for (;;) {
                Expected child;
                skipSpace();
                if (out.type == JsonType::Object) {
                    if (!key(child.name)) return false;
                    skipSpace();
                    if (pos_ >= s_.size() || s_[pos_++] != ':') return false;
                    skipSpace();
                }
                if (!value(child, depth + 1)) return false;
                out.children.push_back(std::move(child));
                skipSpace();
                if (pos_ >= s_.size()) return false;
                char next = s_[pos_++];
                if (next == close) return true;
                if (next != ',') return false;
            }
        }
        std::size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        while (pos_ < s_.size() && std::strchr("0123456789.eE+-", s_[pos_]) && s_[pos_] != '\0') ++pos_;
        if (pos_ == start) return false;
        out.type = JsonType::Number;
        out.number = static_cast<float>(std::strtod(s_.substr(start, pos_ - start).c_str(), nullptr));
        return true;
    }
    bool key(std::string& out) {
        if (pos_ >= s_.size() || s_[pos_] != '"') return false;
        std::size_t end = s_.find('"', pos_ + 1);
        if (end == std::string::npos) return false;
        out = s_.substr(pos_ + 1, end - pos_ - 1);
        if (out.find('\\') != std::string::npos) return false;
        pos_ = end + 1;
        return true;
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

void expectSame(const JsonNode& node, const Expected& expected, const std::string& where) {
    ASSERT_EQ(node.type(), expected.type) << where;
    EXPECT_EQ(node.name(), expected.name) << where;
    if (expected.type == JsonType::Number) {
        float got = node.asFloat();
        EXPECT_EQ(std::memcmp(&got, &expected.number, sizeof got), 0) << where << ": " << got;
        return;
    }
    ASSERT_EQ(node.size(), expected.children.size()) << where;
    std::size_t i = 0;
    for (JsonIterator it = node.cbegin(); it != node.cend(); ++it, ++i)
        expectSame(*it, expected.children[i], where + "/" + std::to_string(i));
}

}  // namespace

TEST(JsonConformance, EveryFileParsesAndWalksCompletely) {
    std::vector<std::filesystem::path> files = suiteFiles();
    if (files.empty()) GTEST_SKIP() << "conformance files not found (ZORBEL_SHARED_DIR)";
    for (const std::filesystem::path& path : files) {
        std::string text = readFile(path);
        JsonNode root = JsonNode::parse(text);
        EXPECT_GT(walkJsonTree(root), 0u) << path.filename();
        JsonNode copy = root;
        copy.makeUnique();
        EXPECT_EQ(dumpJsonTree(copy), dumpJsonTree(root)) << path.filename();
        JsonNode array = root.asArray();
        EXPECT_EQ(array.size(), root.size()) << path.filename();
    }
}

TEST(JsonConformance, PlainValidFilesReadBackTheirValues) {
    std::vector<std::filesystem::path> files = suiteFiles();
    if (files.empty()) GTEST_SKIP() << "conformance files not found (ZORBEL_SHARED_DIR)";
    int checked = 0;
    for (const std::filesystem::path& path : files) {
        std::string name = path.filename().string();
        if (name.rfind("y_", 0) != 0) continue;
        std::string text = readFile(path);
        Expected expected;
        if (!PlainReader(text).read(expected)) continue;
        ++checked;
        JsonNode root = JsonNode::parse(text);
        // The reader only takes a bracketed value as the root.
        if (expected.type == JsonType::Number) expected = Expected();
        expectSame(root, expected, name);
    }
    EXPECT_GE(checked, 25);
}
