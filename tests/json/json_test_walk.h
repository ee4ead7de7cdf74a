#pragma once

// The reader's trees as the reference model prints them, and every route
// through the reader compared with the model. Shared by the tests and the
// fuzz target; all walks are iterative, so trees of any depth can be walked.

#include "json/json_node.h"
#include "tests/json/json_reference.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

// The tree in jsonref::dump's format, every node read through the public
// interface: its type first (the declared one), then size, asFloat, asString
// and the type after them. Lookups are checked on the way: find, by either
// overload, gives the first child of a name. Throws a description when the
// reader contradicts itself. With `viaHandles`, every child is first copied
// into a handle of its own and read through that.
inline std::string dumpJsonTree(const JsonNode& root, bool declared, bool viaHandles = false)
{
    std::string out;
    std::deque<JsonNode> held; // the handles of viaHandles, at stable addresses
    std::vector<std::pair<const JsonNode*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        const JsonType before = node->type();
        const size_t size = node->size();
        const float value = node->asFloat();
        const std::string text = node->asString();
        const JsonType type = node->type();
        const int64_t integer = node->asInt();
        if (integer != (value >= -9223372036854775808.0f && value < 9223372036854775808.0f
                            ? int64_t(value)
                            : INT64_MIN))
            throw std::string("asInt disagrees with asFloat");
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        out += std::to_string(depth) + " ";
        if (declared)
            out += std::to_string(int(before)) + " ";
        out += std::to_string(int(type)) + " [" + node->name() + "] " + text + " " +
               std::to_string(bits);
        if (type != JsonType::Array && type != JsonType::Object) {
            if (size != 0 || node->cbegin() != node->cend())
                throw std::string("a scalar with children");
            out += "\n";
            continue;
        }
        out += " #" + std::to_string(size) + "\n";
        std::vector<const JsonNode*> children;
        for (JsonConstIterator it = node->cbegin(); it != node->cend(); ++it) {
            if (viaHandles)
                held.push_back(*it); // before the child is read
            children.push_back(viaHandles ? &held.back() : &*it);
        }
        if (children.size() != size)
            throw std::string("size and iteration disagree");
        for (size_t i = 0; i < size && size <= 64; ++i) {
            const std::string name = (*children[i]).name();
            size_t first = 0;
            while ((*children[first]).name() != name)
                ++first;
            JsonConstIterator expected = node->cbegin();
            for (size_t k = 0; k < first; ++k)
                ++expected;
            if (node->find(std::string_view(name)) != expected ||
                (name.find('\0') == std::string::npos && node->find(name.c_str()) != expected))
                throw std::string("find misses ") + name;
        }
        for (size_t i = size; i-- > 0;)
            stack.emplace_back(children[i], depth + 1);
    }
    return out;
}

// jsonref::modify through the reader's modifying iteration: in every
// container, slot 0 is read in place and assigned a new Bool, slot 1 moved
// from; the other children are walked in turn.
inline void modifyJsonTree(JsonNode& root)
{
    std::vector<JsonNode*> pending{&root};
    while (!pending.empty()) {
        JsonNode* node = pending.back();
        pending.pop_back();
        size_t i = 0;
        for (JsonIterator it = node->begin(); it != node->end(); ++it, ++i) {
            if (i == 0) {
                (void)(*it).size();
                *it = JsonNode(JsonType::Bool);
            } else if (i == 1) {
                JsonNode taken = std::move(*it);
            } else {
                pending.push_back(&*it);
            }
        }
    }
}

// Every route through the reader against the model's tree of `text`: a
// fresh tree, its asArray, handles taken before reading, copies of the tree
// unread and read, the original after its copy changes, and slots read in
// place and assigned to. Returns the first route that differs, or "".
inline std::string compareWithModel(std::string_view text)
{
    try {
        jsonref::Tree model = jsonref::read(text);
        const std::string expected = jsonref::dump(model, true);
        const std::string expectedRead = jsonref::dump(model, false);

        JsonNode fresh = JsonNode::parse(text);
        JsonNode unreadCopy = fresh;
        unreadCopy.makeUnique();
        if (dumpJsonTree(fresh, true) != expected)
            return "fresh tree";
        if (dumpJsonTree(fresh.asArray(), false) != jsonref::dump(model, false, true))
            return "asArray";
        if (dumpJsonTree(unreadCopy, true) != expected)
            return "copy of the unread tree";
        if (dumpJsonTree(JsonNode::parse(text), true, true) != expected)
            return "handles taken before reading";

        JsonNode readCopy = fresh;
        readCopy.makeUnique();
        if (dumpJsonTree(readCopy, false) != expectedRead)
            return "copy of the read tree";

        jsonref::modify(model);
        const std::string expectedChanged = jsonref::dump(model, false);
        modifyJsonTree(readCopy);
        if (dumpJsonTree(readCopy, false) != expectedChanged)
            return "changed copy";
        if (dumpJsonTree(fresh, false) != expectedRead)
            return "original after its copy changed";
        JsonNode inPlace = JsonNode::parse(text);
        modifyJsonTree(inPlace);
        if (dumpJsonTree(inPlace, false) != expectedChanged)
            return "slots read in place and assigned to";
    } catch (const std::string& contradiction) {
        return contradiction;
    }
    return std::string();
}
