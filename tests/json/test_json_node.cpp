// The JSON value model: sharing, copy on write, lookup, iteration and reads.

#include "json/json_node.h"

#include "tests/json/json_test_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

JsonNode member(const JsonNode& node, const char* name)
{
    JsonConstIterator it = node.find(name);
    EXPECT_NE(it, node.cend()) << name;
    return it == node.cend() ? JsonNode() : *it;
}

JsonNode element(const JsonNode& node, size_t index)
{
    JsonConstIterator it = node.cbegin();
    for (size_t i = 0; i < index && it != node.cend(); ++i)
        ++it;
    EXPECT_NE(it, node.cend()) << index;
    return it == node.cend() ? JsonNode() : *it;
}

std::vector<std::string> namesOf(const JsonNode& node)
{
    std::vector<std::string> names;
    for (JsonConstIterator it = node.cbegin(); it != node.cend(); ++it)
        names.push_back((*it).name());
    return names;
}

} // namespace

TEST(JsonNode, ScalarsHaveNoChildrenAndEmptyIteration)
{
    JsonNode root = JsonNode::parse(R"([1, "s", true, null])");
    std::vector<JsonNode> scalars;
    for (JsonIterator it = root.begin(); it != root.end(); ++it)
        scalars.push_back(*it);
    for (JsonType type : {JsonType::Null, JsonType::String, JsonType::Number, JsonType::Bool})
        scalars.push_back(JsonNode(type));
    scalars.push_back(JsonNode()); // null handle

    for (JsonNode& scalar : scalars) {
        EXPECT_EQ(scalar.size(), 0u);
        EXPECT_EQ(scalar.begin(), JsonIterator());
        EXPECT_EQ(scalar.end(), JsonIterator());
        EXPECT_EQ(scalar.cbegin(), scalar.cend());
        EXPECT_EQ(scalar.find("x"), scalar.end());
        int loops = 0;
        for (JsonNode& child : scalar) {
            (void)child;
            ++loops;
        }
        EXPECT_EQ(loops, 0);
    }
}

TEST(JsonNode, FindReturnsFirstExactMatchOrTheEnd)
{
    JsonNode root = JsonNode::parse(R"({"x": 1, "X": 3, "x": 2, "xy": 4})");
    EXPECT_EQ(root.size(), 4u);
    EXPECT_EQ(member(root, "x").asInt(), 1);
    EXPECT_EQ(member(root, "X").asInt(), 3);
    EXPECT_EQ(root.find("x"), root.cbegin());
    EXPECT_EQ(root.find("y"), root.cend());
    EXPECT_EQ(root.find("x "), root.end()); // a unique handle: end() does not copy
    EXPECT_EQ(root.find(""), root.cend());

    JsonNode lower = JsonNode::parse(R"({"x": 1})");
    EXPECT_EQ(lower.find("X"), lower.cend());

    // A lookup on a shared record works on it in place and never copies.
    JsonNode shared = root;
    EXPECT_EQ(shared.find("X"), ++root.cbegin());
}

TEST(JsonNode, ReadsConvertLikeTheCLibrary)
{
    JsonNode root = JsonNode::parse(
        R"({"s": "2.5", "abc": "abc", "t": true, "f": false, "n": null, "up": 2.9, "down": -2.9,
            "lead": "  7.5kg", "hex": 0x1F, "huge": 1e39, "nan": "nan", "list": [1],
            "obj": {"a": 1}})");
    EXPECT_EQ(member(root, "s").asFloat(), 2.5f);
    EXPECT_EQ(member(root, "s").type(), JsonType::String);
    EXPECT_EQ(member(root, "abc").asFloat(), 0.0f);
    EXPECT_EQ(member(root, "t").asFloat(), 1.0f);
    EXPECT_EQ(member(root, "t").asInt(), 1);
    EXPECT_EQ(member(root, "f").asFloat(), 0.0f);
    EXPECT_EQ(member(root, "n").asFloat(), 0.0f);
    EXPECT_EQ(member(root, "up").asInt(), 2);
    EXPECT_EQ(member(root, "down").asInt(), -2);
    EXPECT_EQ(member(root, "lead").asFloat(), 7.5f);
    EXPECT_EQ(member(root, "hex").asFloat(), 31.0f);
    EXPECT_TRUE(std::isinf(member(root, "huge").asFloat()));
    EXPECT_EQ(member(root, "list").asFloat(), 0.0f);
    EXPECT_EQ(member(root, "obj").asInt(), 0);
    // Beyond the 64-bit range the integer read is the x86 conversion result.
    EXPECT_EQ(member(root, "huge").asInt(), INT64_MIN);
    EXPECT_EQ(member(root, "nan").asInt(), INT64_MIN);
    // Values round once to double as atof does, then to float.
    JsonNode precise = JsonNode::parse("[0.1, 16777217, 3.4028235677973366e38, 1e-45, -0]");
    EXPECT_EQ(element(precise, 0).asFloat(), 0.1f);
    EXPECT_EQ(element(precise, 1).asFloat(), 16777216.0f);
    EXPECT_TRUE(std::isinf(element(precise, 2).asFloat()));
    EXPECT_EQ(element(precise, 3).asFloat(), static_cast<float>(1e-45));
    EXPECT_TRUE(std::signbit(element(precise, 4).asFloat()));

    // A new String has no text at all; doubled signs end the number on every platform.
    EXPECT_EQ(JsonNode(JsonType::String).asFloat(), 0.0f);
    JsonNode signs = JsonNode::parse(R"(["--5", "+-2.5", "-+1", "++1", "- 5", "+2.5", "-5"])");
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(element(signs, i).asFloat(), 0.0f) << element(signs, i).asString();
    EXPECT_EQ(element(signs, 5).asFloat(), 2.5f);
    EXPECT_EQ(element(signs, 6).asFloat(), -5.0f);
}

TEST(JsonNode, AsArrayCoversArraysObjectsAndScalars)
{
    JsonNode root =
        JsonNode::parse(R"({"n": 7, "o": {"a": 1, "b": 2}, "l": [5, 6], "bad": {"a": 1, "b"}})");
    JsonNode fromNumber = member(root, "n").asArray();
    EXPECT_EQ(fromNumber.type(), JsonType::Array);
    EXPECT_EQ(fromNumber.size(), 0u);

    for (bool readFirst : {false, true}) {
        JsonNode fresh = JsonNode::parse(R"({"o": {"a": 1, "b": {"c": 2}}})");
        JsonNode object = member(fresh, "o");
        if (readFirst) {
            EXPECT_EQ(object.size(), 2u);
        }
        JsonNode array = object.asArray();
        EXPECT_EQ(array.type(), JsonType::Array);
        ASSERT_EQ(array.size(), 2u);
        EXPECT_EQ(namesOf(array), (std::vector<std::string>{"", ""}));
        EXPECT_EQ(element(array, 0).asInt(), 1);
        EXPECT_EQ(member(element(array, 1), "c").asInt(), 2);
        EXPECT_EQ(object.type(), JsonType::Object);
        EXPECT_EQ(namesOf(object), (std::vector<std::string>{"a", "b"}));
    }

    // An array converts to a handle on the same record.
    JsonNode list = member(root, "l");
    EXPECT_EQ(list.asArray().cbegin(), list.cbegin());

    // An object that fails to split converts as the Null it turns into.
    EXPECT_EQ(member(root, "bad").asArray().size(), 0u);
    EXPECT_EQ(member(root, "bad").type(), JsonType::Null);
}

TEST(JsonNode, ModifyingIterationDetachesASharedHandle)
{
    JsonNode a = JsonNode::parse("[[1, 2], 3]");
    JsonNode b = a;
    EXPECT_EQ(a.cbegin(), b.cbegin());
    JsonConstIterator before = a.cbegin();

    JsonIterator mine = b.begin();
    EXPECT_NE(mine, a.cbegin());
    EXPECT_EQ(a.cbegin(), before);
    EXPECT_EQ(b.begin(), mine); // unique now: no further copy
    EXPECT_EQ(dumpJsonTree(a, true), dumpJsonTree(b, true));

    // The copy is independent at every depth.
    JsonNode c = a;
    *(*c.begin()).begin() = JsonNode(JsonType::Bool);
    *(++c.begin()) = JsonNode(JsonType::String);
    EXPECT_EQ(element(element(a, 0), 0).asInt(), 1);
    EXPECT_EQ(element(a, 1).asInt(), 3);
    EXPECT_EQ(element(element(c, 0), 0).type(), JsonType::Bool);
    EXPECT_EQ(element(c, 1).type(), JsonType::String);

    // A copy of an unread record reads its own copy later.
    JsonNode lazy = JsonNode::parse(R"({"k": [1, {"z": 2}]})");
    JsonNode twin = lazy;
    twin.makeUnique();
    EXPECT_EQ(dumpJsonTree(lazy, true), dumpJsonTree(twin, true));
}

// Read-only access never hands out a way to write into a record other handles share.
static_assert(
    std::is_same_v<decltype(*std::declval<const JsonNode&>().find("x")), const JsonNode&>);
static_assert(std::is_same_v<decltype(*std::declval<const JsonNode&>().begin()), const JsonNode&>);
static_assert(std::is_same_v<decltype(*std::declval<JsonNode&>().cbegin()), const JsonNode&>);
static_assert(std::is_same_v<decltype(*std::declval<JsonNode&>().begin()), JsonNode&>);

TEST(JsonNode, AContainerAssignedIntoItsOwnTreeIsCopiedNotLinked)
{
    for (const bool move : {false, true}) {
        // Into a child and into a grandchild, with the tree shared beforehand.
        JsonNode r = JsonNode::parse("[[1, [2]], 3]");
        const JsonNode before = r;
        JsonNode& child = *r.begin();
        JsonNode& grandchild = *(++child.begin());
        const auto assign = [&r, move](JsonNode& slot) {
            if (move)
                slot = std::move(r);
            else
                slot = r;
        };
        assign(grandchild);
        const auto sameAs = [](const JsonNode& node, const char* text) {
            return dumpJsonTree(node, false) == dumpJsonTree(JsonNode::parse(text), false);
        };
        EXPECT_TRUE(sameAs(r, "[[1, [[1, [2]], 3]], 3]")) << move;
        assign(child);
        EXPECT_TRUE(sameAs(r, "[[[1, [[1, [2]], 3]], 3], 3]")) << move;
        EXPECT_TRUE(sameAs(before, "[[1, [2]], 3]"));
        // The tree is finite: copying and releasing it end.
        JsonNode copy = r;
        copy.makeUnique();
        EXPECT_EQ(dumpJsonTree(copy, true), dumpJsonTree(r, true));
    }
}

TEST(JsonNode, CopyAndReleaseAreSafeAtAnyDepth)
{
    const size_t depth = 1000000;
    std::string text(depth, '[');
    text.append(depth, ']');
    JsonNode root = JsonNode::parse(text);
    size_t levels = 0;
    JsonNode node = root;
    while (node.size() == 1) {
        node = *node.cbegin();
        ++levels;
    }
    EXPECT_EQ(levels, depth - 1);
    EXPECT_EQ(node.type(), JsonType::Array);
    node = JsonNode();

    JsonNode copy = root;
    copy.makeUnique();
    EXPECT_NE(copy.cbegin(), root.cbegin());
    root = JsonNode();
    levels = 0;
    for (node = copy; node.size() == 1; node = *node.cbegin())
        ++levels;
    EXPECT_EQ(levels, depth - 1);
    node = JsonNode();
    copy = JsonNode();

    std::string objects;
    for (int i = 0; i < 100000; ++i)
        objects += "{\"a\":";
    objects += "1";
    objects.append(100000, '}');
    JsonNode deepObject = JsonNode::parse(objects);
    const std::string lines = dumpJsonTree(deepObject, false);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 100001);
    JsonNode asArray = deepObject.asArray();
    EXPECT_EQ(asArray.size(), 1u);
}

TEST(JsonNode, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    const char* commaLocale = nullptr;
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            commaLocale = name;
            break;
        }
    }
    if (!commaLocale)
        GTEST_SKIP() << "no decimal-comma locale installed";
    JsonNode root = JsonNode::parse(R"([2.5, "2.5", 0x10, 1e400, 1.00000000000000000000001])");
    std::vector<float> values;
    for (JsonConstIterator it = root.cbegin(); it != root.cend(); ++it)
        values.push_back((*it).asFloat());
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], 2.5f);
    EXPECT_EQ(values[1], 2.5f);
    EXPECT_EQ(values[2], 16.0f);
    EXPECT_TRUE(std::isinf(values[3]));
    EXPECT_EQ(values[4], 1.0f);
}

TEST(JsonNode, MovingFromASlotEmptiesIt)
{
    // Every move takes the record and leaves a null handle, a slot included;
    // the emptied slot still counts and reads as Null with text "".
    for (bool sharedFirst : {false, true}) {
        JsonNode root = JsonNode::parse(R"({"v": [{"x": 1}], "w": 2})");
        JsonIterator w = root.begin();
        ++w;
        JsonNode kept;
        if (sharedFirst)
            kept = *w;
        JsonNode moved = std::move(*w);
        EXPECT_EQ(moved.asInt(), 2);
        EXPECT_EQ(moved.name(), "w");
        EXPECT_EQ(root.size(), 2u);
        EXPECT_EQ((*w).type(), JsonType::Null);
        EXPECT_EQ((*w).asString(), "");
        EXPECT_EQ((*w).name(), "");
        EXPECT_EQ(root.find("w"), root.cend());
        JsonNode again = std::move(*w); // a second move finds the slot empty
        EXPECT_EQ(again.type(), JsonType::Null);
        *w = JsonNode(JsonType::String); // and a value can be put back
        EXPECT_EQ((*w).type(), JsonType::String);
    }
    // The other way round: a slot can be moved into.
    JsonNode list = JsonNode::parse("[[1], 2, 3]");
    JsonNode value = JsonNode::parse("[4, 5]");
    *list.begin() = std::move(value);
    EXPECT_EQ(value.type(), JsonType::Null);
    EXPECT_EQ((*list.cbegin()).size(), 2u);
}
