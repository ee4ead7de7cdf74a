// Memory of the JSON value model: every allocation failure leaves nothing
// behind, and every way of replacing a child releases it. The whole test
// program allocates through the counting operators below.

#include "json/json_node.h"

#include "tests/json/json_test_walk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocations made and not yet freed, and the allocation (counted from 1)
// that fails once `failAt` is set.
long gLive = 0;
long gMade = 0;
long gFailAt = 0;

void* allocate(size_t size)
{
    if (gFailAt && ++gMade == gFailAt)
        throw std::bad_alloc();
    void* memory = std::malloc(size ? size : 1);
    if (!memory)
        throw std::bad_alloc();
    ++gLive;
    return memory;
}

void release(void* memory)
{
    if (!memory)
        return;
    --gLive;
    std::free(memory);
}

} // namespace

// The JSON library asks for no over-aligned memory, so the aligned forms stay
// the library's own.
void* operator new(size_t size)
{
    return allocate(size);
}
void* operator new[](size_t size)
{
    return allocate(size);
}
void operator delete(void* memory) noexcept
{
    release(memory);
}
void operator delete[](void* memory) noexcept
{
    release(memory);
}
void operator delete(void* memory, size_t) noexcept
{
    release(memory);
}
void operator delete[](void* memory, size_t) noexcept
{
    release(memory);
}

namespace {

// Everything the reader and the model allocate for: reading every node,
// escapes, copies, asArray, replacing slots in place and in a copy.
void useFully(const std::string& text)
{
    JsonNode root = JsonNode::parse(text);
    JsonNode copy = root;
    copy.makeUnique();
    (void)dumpJsonTree(root, true, true);
    (void)dumpJsonTree(root.asArray(), false);
    modifyJsonTree(copy);
    modifyJsonTree(root);
    JsonNode again = root;
    again.makeUnique();
}

} // namespace

TEST(JsonMemory, EveryAllocationFailureLeavesNothingBehind)
{
    const std::string wide(300, ' ');
    const std::vector<std::string> texts = {
        R"({"model": {"vertices": [{"x": 1.5, "y": -2, "z": 0.25}, {"x": 3e2, "y": 1, "z": 0}], )"
        R"("name": "tree"}})",
        R"({"a\"b": [1, "x\ty", {"c\\d": ["\u0041", 2]}], "e": [[[]], {}], "f": null, "g": true})",
        "[" + std::string(70000, '1') + ", {\"" + std::string(70000, 'k') + "\": [1]}, \"" + wide +
            "\"]",
        "[" + wide + "[1, 2], {\"k\": [3, {\"m\": 4}]}, \"s\\n\", " + std::string(100, '7') + ".5]",
    };
    for (const std::string& text : texts) {
        const long baseline = gLive;
        bool completed = false;
        long failures = 0;
        for (long n = 1; !completed && n < 100000; ++n) {
            gMade = 0;
            gFailAt = n;
            try {
                useFully(text);
                completed = true;
            } catch (const std::bad_alloc&) {
                ++failures;
            }
            gFailAt = 0;
            ASSERT_EQ(gLive, baseline)
                << "allocation " << n
                << " failed and left memory behind; text: " << text.substr(0, 80);
        }
        EXPECT_TRUE(completed);
        EXPECT_GT(failures, 20) << text.substr(0, 80);
    }
}

TEST(JsonMemory, ReplacingAChildReadInPlaceReleasesIt)
{
    const long baseline = gLive;
    for (int way = 0; way < 4; ++way) {
        JsonNode root = JsonNode::parse("[[1,2],{\"a\":[3]},3]");
        JsonIterator first = root.begin();
        EXPECT_EQ((*first).size(), 2u); // read in place, never copied into a handle
        JsonIterator second = first;
        ++second;
        EXPECT_EQ((*(*second).find("a")).size(), 1u);
        switch (way) {
        case 0: *first = JsonNode(JsonType::Bool); break;
        case 1: *first = JsonNode::parse("[4]"); break;
        case 2: *second = *first; break;
        default: {
            JsonNode taken = std::move(*second);
        } break;
        }
        EXPECT_EQ(root.size(), 3u);
    }
    EXPECT_EQ(gLive, baseline);
}
