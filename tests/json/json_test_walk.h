#pragma once

// Whole-tree walks shared by the JSON tests. Both are iterative, so trees of
// any depth can be walked.

#include "json/json_node.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A text rendering of the whole tree, every record read through the public
// interface: type, name, size, and for scalars the string and float reads.
inline std::string dumpJsonTree(const JsonNode& root) {
    std::string out;
    std::vector<std::pair<const JsonNode*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        // Every read that fetches comes before type(), so the type shown does
        // not depend on whether the tree was read before.
        std::size_t size = node->size();
        float f = node->asFloat();
        std::string scalar = node->asString();
        JsonType type = node->type();
        out.append(std::to_string(depth)).append(" ").append(std::to_string(int(type)));
        out.append(" [").append(node->name()).append("] ");
        if (type == JsonType::Array || type == JsonType::Object) {
            out.append("#").append(std::to_string(size)).append("\n");
            std::vector<const JsonNode*> children;
            for (JsonIterator it = node->cbegin(); it != node->cend(); ++it) children.push_back(&*it);
            for (auto c = children.rbegin(); c != children.rend(); ++c) stack.emplace_back(*c, depth + 1);
        } else {
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            out.append(scalar).append(" ").append(std::to_string(bits)).append("\n");
        }
    }
    return out;
}

// Reads everything the loaders can read, on every node: every container is
// fetched and iterated, every scalar read in every form, every node
// converted with asArray. Returns the number of nodes visited.
inline std::size_t walkJsonTree(const JsonNode& root) {
    std::size_t visited = 0;
    std::vector<const JsonNode*> stack{&root};
    while (!stack.empty()) {
        const JsonNode* node = stack.back();
        stack.pop_back();
        ++visited;
        (void)node->type();
        (void)node->name();
        (void)node->asFloat();
        (void)node->asInt();
        (void)node->asString();
        JsonNode array = node->asArray();
        for (JsonIterator it = array.begin(); it != array.end(); ++it) (void)(*it).type();
        std::size_t size = node->size();
        std::size_t counted = 0;
        for (JsonIterator it = node->cbegin(); it != node->cend(); ++it, ++counted) stack.push_back(&*it);
        if (counted != size) return 0;  // iteration and size disagree: reported by the callers' checks
        if (node->find("a") != node->cend()) (void)(*node->find("a")).type();
    }
    return visited;
}
