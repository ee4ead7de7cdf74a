// Parses arbitrary bytes as JSON, reads everything there is to read, converts
// every node with asArray, copies and releases the tree. A second parse with
// the reader's fast paths switched off must give the same tree.

#include "json/json_node.h"
#include "json/json_reader.h"

#include "tests/json/json_test_walk.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Takes handles to every child (which makes records of them), walks them with
// the modifying iteration, overwrites or empties slots it has seen, and fills
// a copy's slots anew.
void walkWithHandles(JsonNode root) {
    std::vector<JsonNode> pending{std::move(root)};
    std::size_t steps = 0;
    while (!pending.empty() && ++steps < 100000) {
        JsonNode node = std::move(pending.back());
        pending.pop_back();
        int action = 0;
        for (JsonIterator it = node.begin(); it != node.end(); ++it, action = (action + 1) % 3) {
            pending.push_back(*it);
            if (action == 1) *it = JsonNode(JsonType::Bool);
            if (action == 2) JsonNode taken = std::move(*it);  // empties a slot that holds a record
        }
        JsonNode shared = node;
        (void)shared.asArray().size();
        (void)node.find("a");
        JsonNode copy = node;
        for (JsonIterator it = copy.begin(); it != copy.end(); ++it) *it = JsonNode(JsonType::String);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    setJsonAccelerationEnabled(true);
    JsonNode root = JsonNode::parse(text);
    if (walkJsonTree(root) == 0) std::abort();  // size and iteration disagree

    JsonNode copy = root;
    copy.makeUnique();
    std::string tree = dumpJsonTree(root);
    if (dumpJsonTree(copy) != tree) std::abort();
    JsonNode array = copy.asArray();
    if (array.size() != copy.size()) std::abort();
    walkWithHandles(copy);
    if (dumpJsonTree(root) != tree) std::abort();  // the copy was independent

    setJsonAccelerationEnabled(false);
    JsonNode plain = JsonNode::parse(text);
    std::string plainTree = dumpJsonTree(plain);
    std::string plainCompaction = compactJsonText(text);
    setJsonAccelerationEnabled(true);
    if (plainTree != tree) std::abort();
    if (compactJsonText(text) != plainCompaction) std::abort();
    setJsonWideCompaction(false);  // the 32-byte vector path
    bool narrowSame = compactJsonText(text) == plainCompaction;
    setJsonWideCompaction(true);
    if (!narrowSame) std::abort();
    return 0;
}
