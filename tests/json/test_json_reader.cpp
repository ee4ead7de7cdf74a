// The reader of the relaxed JSON dialect: compaction, splitting, escapes,
// number shapes and literals.

#include "json/json_node.h"
#include "json/json_reader.h"

#include "tests/json/json_test_walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

std::vector<JsonType> typesOf(const JsonNode& node)
{
    std::vector<JsonType> types;
    for (JsonConstIterator it = node.cbegin(); it != node.cend(); ++it)
        types.push_back((*it).type());
    return types;
}

std::vector<std::string> namesOf(const JsonNode& node)
{
    std::vector<std::string> names;
    for (JsonConstIterator it = node.cbegin(); it != node.cend(); ++it)
        names.push_back((*it).name());
    return names;
}

JsonType typeOfValue(const std::string& value)
{
    JsonNode root = JsonNode::parse("[" + value + "]");
    return root.size() == 1 ? (*root.cbegin()).type() : JsonType(255);
}

} // namespace

TEST(JsonReader, RootMustBeOneBracketedValue)
{
    EXPECT_EQ(JsonNode::parse("{}").type(), JsonType::Object);
    EXPECT_EQ(JsonNode::parse("{}").size(), 0u);
    EXPECT_EQ(JsonNode::parse(" [ ] ").type(), JsonType::Array);
    EXPECT_EQ(JsonNode::parse("[]").size(), 0u);
    for (const std::string& text : {""s, "   "s, "\xEF\xBB\xBF[1]"s, "1"s, "\"s\""s, "[1"s, "{]"s,
                                    "[1]x"s, "// only a comment"s, "["s, "[1\x01]"s})
        EXPECT_EQ(JsonNode::parse(text).type(), JsonType::Null) << text;
    // Output stops at the control byte, so the bracket after it never counts.
    EXPECT_EQ(JsonNode::parse("[1]\0]"s).type(), JsonType::Array);
}

TEST(JsonReader, CommentsAndWhiteSpaceVanishOutsideStrings)
{
    const std::string text = "// header line\n"
                             "{ \"a\" : 1 , # hash comment\n"
                             "  /* block\n comment */ \"b\" : \"x # y // z /* w */\" ,\n"
                             "  \"c\" : [ 1 , 2 ] } // trailing, no line feed";
    JsonNode root = JsonNode::parse(text);
    EXPECT_EQ(namesOf(root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ((*root.find("b")).asString(), "x # y // z /* w */");
    EXPECT_EQ((*root.find("c")).size(), 2u);

    EXPECT_EQ(compactJsonText("[ \"a b\" ,\t1 ]\r\n"), "[\"a b\",1]");
    EXPECT_EQ(compactJsonText("[1]/"), "[1]");
    EXPECT_EQ(compactJsonText("[1]/x]"), "[1]");
    EXPECT_EQ(compactJsonText("[1/*]"), "[1");
    EXPECT_EQ(compactJsonText("[1/*/]"), "[1");
    EXPECT_EQ(compactJsonText("[1/**/]"), "[1]");
    EXPECT_EQ(compactJsonText("[1#]\n]"), "[1]");
}

TEST(JsonReader, CompactionKeepsStringsByteForByte)
{
    // Escaped quotes are protected as backslash + byte 1 for the scans.
    EXPECT_EQ(compactJsonText(R"(["a\"b", "c\\"])"), "[\"a\\\x01"
                                                     "b\",\"c\\\\\"]");
    // Control bytes, bytes above 127 and white space survive inside strings
    // and stop the output outside them.
    EXPECT_EQ(compactJsonText("[\"\t\x01\xC3\xA9 \"]"), "[\"\t\x01\xC3\xA9 \"]");
    EXPECT_EQ(compactJsonText("[1,\x7F,2]"), "[1,");
    EXPECT_EQ(compactJsonText("[1,\xC3\xA9]"), "[1,");
    // An unterminated string or escape ends the output.
    EXPECT_EQ(compactJsonText("[\"ab"), "[\"ab");
    EXPECT_EQ(compactJsonText("[\"ab\\"), "[\"ab");
    // A raw byte 0 inside a string is kept.
    EXPECT_EQ(compactJsonText("[\"a\0b\"]"s), "[\"a\0b\"]"s);
}

TEST(JsonReader, EscapesDecodeToSingleBytes)
{
    EXPECT_EQ(decodeEscapes("\\\x01"
                            "a\\nb"),
              "\"a\nb");
    JsonNode root =
        JsonNode::parse(R"(["\"a\nb", "\u0041", "\x41", "\101", "x\u0041", "\u20AC", "\q\'\/\\",
                                       "\b\f\n\r\t\v"])");
    std::vector<std::string> expected = {"\"a\nb", "A",    "A",     "A",
                                         "xA",     "\xAC", "q'/\\", "\b\f\n\r\t\v"};
    ASSERT_EQ(root.size(), expected.size());
    size_t i = 0;
    for (JsonConstIterator it = root.cbegin(); it != root.cend(); ++it, ++i)
        EXPECT_EQ((*it).asString(), expected[i]) << i;

    // Too few characters left: a byte 0, and decoding goes on after the letter.
    EXPECT_EQ(decodeEscapes("\\x4"), "\0"
                                     "4"s);
    EXPECT_EQ(decodeEscapes("\\u12a"), "\0"
                                       "12a"s);
    EXPECT_EQ(decodeEscapes("\\12"), "\0"
                                     "2"s);
    EXPECT_EQ(decodeEscapes("ab\\"), "ab");
    // Digits are not validated: the formula decides.
    EXPECT_EQ(hexDigitValue('a'), 10);
    EXPECT_EQ(hexDigitValue('F'), 15);
    EXPECT_EQ(hexDigitValue('g'), 16);
    EXPECT_EQ(decodeEscapes("\\xgg"), "\x10"s);
    EXPECT_EQ(decodeEscapes("\\777"), "\xFF"s);
    EXPECT_EQ(decodeEscapes("\\19z"),
              std::string(1, char(((1 << 6) | (9 << 3) | ('z' - 48)) & 0xFF)));
}

TEST(JsonReader, NumberShapes)
{
    for (const char* number : {"1", "-2.5", "+3", ".5", "5.", "1e5", "1E-5", "0", "-0", "012",
                               "0e+", "0x", "0x1F", "017", ".", "0.", "1e+5", "-012"}) {
        EXPECT_TRUE(isNumericText(number)) << number;
        EXPECT_EQ(typeOfValue(number), JsonType::Number) << number;
    }
    for (const char* notNumber :
         {"-.5", "08", "00", "0X1F", "1e", "1.2.3", "--1", "1e5.5", "-", "+e1", "0e", "0x1G", "019",
          "1e+", "1-", "abc", "0e5.1", "-0x1"}) {
        EXPECT_FALSE(isNumericText(notNumber)) << notNumber;
        EXPECT_EQ(typeOfValue(notNumber), JsonType::Null) << notNumber;
    }
    JsonNode values =
        JsonNode::parse("[017, -012, 5., .5, 0e+, ., 1.5e3, -0.25, 123456789012345678901234]");
    std::vector<float> expected = {
        17, -12, 5, 0.5f, 0, 0, 1500, -0.25f, static_cast<float>(123456789012345678901234.0)};
    size_t i = 0;
    for (JsonConstIterator it = values.cbegin(); it != values.cend(); ++it, ++i)
        EXPECT_EQ((*it).asFloat(), expected[i]) << i;
}

// Every shape rule against the reference model, one text at a time: all texts of up to four
// bytes over the bytes the rules tell apart, and the same shapes carried past the eight bytes
// the fast decimal path reads. A text is a number exactly when the model says so, and then
// has the model's value.
TEST(JsonReader, NumberShapeRulesMatchTheModelShortAndLong)
{
    const std::string alphabet = "0178.eE+-xAg";
    std::vector<std::string> texts{""};
    for (size_t begin = 0, length = 1; length <= 4; ++length) {
        const size_t end = texts.size();
        for (size_t i = begin; i < end; ++i)
            for (const char c : alphabet)
                texts.push_back(texts[i] + c);
        begin = end;
    }
    const size_t shortCount = texts.size();
    for (size_t i = 1; i < shortCount; ++i) {
        const std::string t = texts[i]; // a copy: the list grows below
        if (t.size() > 3)
            continue;
        for (const char* digits : {"12345678", "07654321", "999999999"}) {
            texts.push_back(digits + t);
            texts.push_back(t + digits);
            for (const size_t at : {size_t(1), size_t(2)})
                if (at < t.size())
                    texts.push_back(t.substr(0, at) + digits + t.substr(at));
        }
    }
    size_t numbers = 0;
    for (size_t i = 1; i < texts.size(); ++i) {
        const std::string& t = texts[i];
        const bool expected = jsonref::isNumeric(t);
        ASSERT_EQ(isNumericText(t), expected) << t;
        const JsonNode root = JsonNode::parse("[" + t + "]");
        if (root.size() != 1)
            continue; // a text holding a bracket-level byte is not a lone value
        const JsonNode value = *root.cbegin();
        ASSERT_EQ(value.type(), expected ? JsonType::Number : JsonType::Null) << t;
        if (!expected || t.find('x') != std::string::npos)
            continue; // hexadecimal values are the platform conversion's
        ++numbers;
        const float want = jsonref::atofFloat(t);
        ASSERT_TRUE(value.asFloat() == want || (std::isnan(want) && std::isnan(value.asFloat())))
            << t;
    }
    EXPECT_GT(numbers, 1000u);
}

TEST(JsonReader, ContainersSplitOnlyAtTheirOwnLevel)
{
    JsonNode root = JsonNode::parse(R"({"a": 1, "b": {"c": [1, 2]}, "d": "x,y:z}"})");
    EXPECT_EQ(namesOf(root), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_EQ((*(*root.find("b")).find("c")).size(), 2u);
    EXPECT_EQ((*root.find("d")).asString(), "x,y:z}");

    JsonNode empties = JsonNode::parse("[1,,2]");
    EXPECT_EQ(typesOf(empties),
              (std::vector<JsonType>{JsonType::Number, JsonType::Null, JsonType::Number}));
    EXPECT_EQ(JsonNode::parse("[1,]").size(), 2u);
    EXPECT_EQ(JsonNode::parse("[,]").size(), 2u);

    // A top-level closing bracket ends the search for commas early.
    JsonNode early = JsonNode::parse("[1]2,3]");
    EXPECT_EQ(typesOf(early), (std::vector<JsonType>{JsonType::Null}));
    // Each bracket kind counts only itself while a level is skipped.
    JsonNode mixed = JsonNode::parse("[[{]},1]");
    EXPECT_EQ(typesOf(mixed), (std::vector<JsonType>{JsonType::Null}));
}

TEST(JsonReader, KeysAreTheBytesBetweenFirstByteAndTheOneBeforeTheColon)
{
    JsonNode root = JsonNode::parse(
        R"({"abc": 1, abc: 2, a: 3, :4, "": 5, "a\"b": 6, "x\ny": 7, "a": 8, "a": 9})");
    EXPECT_EQ(namesOf(root),
              (std::vector<std::string>{"abc", "b", "", "", "", "a\"b", "x\ny", "a", "a"}));
    EXPECT_EQ((*root.find("a")).asInt(), 8);
    EXPECT_EQ((*root.find("a\"b")).asInt(), 6);

    // Names of any length.
    const std::string longName(70000, 'k');
    JsonNode longKeys =
        JsonNode::parse("{\"" + longName + "\": 1, \"" + longName + "x\": [2], \"s\": 3}");
    EXPECT_EQ((*longKeys.find(longName)).asInt(), 1);
    EXPECT_EQ((*(*longKeys.find(longName + "x")).cbegin()).asInt(), 2);
    EXPECT_EQ((*longKeys.find("s")).asInt(), 3);

    EXPECT_EQ(JsonNode::parse(R"({"a": 1, "b"})").size(), 0u);
    EXPECT_EQ(JsonNode::parse(R"({"a" 1})").size(), 0u);
}

TEST(JsonReader, TopLevelSearchSkipsStringsAndLevels)
{
    EXPECT_EQ(findNextTopLevel(R"("a,b",c)", ',', 0), 5u);
    EXPECT_EQ(findNextTopLevel("[1,2],3", ',', 0), 5u);
    EXPECT_EQ(findNextTopLevel("{\"a\":[1,2]},3", ',', 0), 11u);
    EXPECT_EQ(findNextTopLevel("1]2,3", ',', 0), kJsonNoPosition);
    EXPECT_EQ(findNextTopLevel("\"a\0\",1"s, ',', 0), kJsonNoPosition);
    EXPECT_EQ(findNextTopLevel("[1,2", ',', 0), kJsonNoPosition);
    EXPECT_EQ(findNextTopLevel("a:b", ':', 0), 1u);
    EXPECT_EQ(findNextTopLevel("abc", ',', 0), kJsonNoPosition);
}

namespace {

// Texts that reach every rule: comments, escapes, number shapes, keys,
// failed containers, strings holding a byte 0, mixed bracket kinds, long
// strings and white space across the 64-byte blocks of the scans.
std::vector<std::string> edgeTexts()
{
    std::vector<std::string> texts = {
        R"({"model": {"vertices": [{"x": 1, "y": 2}, {"x": 3}], "s": "a]b}c"}, )"
        R"("k": [[1, [2]], {}]})",
        R"([[{]}, 1, {[}], 2, "[", [1, "\"]"], {"a": [}, ]})",
        "[[\"a\0b\", [1]], [2], {\"k\": \"\0\"}, 3]"s,
        "[[1, \"open], 2]",
        "{\"a\": [1, 2}, \"b\": {\"c\": ]}, \"d\": [[]]}",
        "[1, {\"a\": 1, \"b\"}, [1, x: 2], {\"a\":{\"b\":{\"c\":[1,{\"d\":2}]}}}]",
        "[[[[[[]]]]], [[[]]], [[]]]",
        "{\"a\": {\"b\": 1]}, \"c\": 2}",
        "{  \"a long key with spaces\"  :  [ 1 , 2 , \"a string \\\" with [ brackets { and a "
        "quote\" ] ,\n"
        "   \"b\" : { \"c\" : \"tab\there\" } // comment ] }\n , \"d\" : /* block */ [ [ ], { } ] "
        "}",
        "[\"0123456789abcdef0123456789abcdef\", \"x\0yyyyyyyyyyyyyyyyyyyyyyyyy\", "
        "[1,2,3,4,5,6,7,8,9]]"s,
        R"(["abcdefghijklmnop\\", "qrstuvwxyz012345678901234567890\"] ]]]]]]]]]]]]]]]]]]]]]])",
        R"({"a:b":"c,d","e":1:2,"f\"g":3})",
        R"([{"a":"b,c}])",
        R"({a:1,"b":})",
        R"({"k":1,,"m":2})",
        R"({:,:})",
        R"({"x":1,"y":"}","z":"{"})",
        R"({"\u0041b":1, "\\": [2], "a\"": {"b": 3}})",
        R"(["\"a\nb", "\u0041", "\x41", "\101", "\u20AC", "\q\'\/\\", "\b\f\n\r\t\v", )"
        R"("\x4", "\12"])",
        R"([1, -2.5, +3, .5, 5., 1e5, 1E-5, 0, -0, 012, -.5, 08, 00, 0X1F, 1e, 1.2.3, --1, )"
        R"(1e5.5, 0x1F, 0e+])",
        R"([true, false, null, True, FALSE, Null, nul, truex, "x, ", "2.5", "abc", "  7.5kg", )"
        R"(1e39, "nan"])",
        R"([1,,2], [1,], [,], [1]2,3], {"a":1,"a":2}, ["])",
        "[[{]},1]",
        "[1]2,3]",
        R"([1, "a": 2])",
        R"(["a\tb", 1e5, +3, true, false, null, nul, , [1], {"a":1}, [1,"a":2]])",
        R"({"o": {"a": 1, "b"}, "k": [1, x: 2], "s": "x,y:z}", "b": {"c": [1, 2]}})",
        "[1]\0]"s,
        "\xEF\xBB\xBF[1]",
        "",
        "   ",
        "// only a comment",
        "[",
        "{}",
        "[]",
        "[1/*]",
        "[1#]\n]",
        "{\"a\": [" + std::string(200, ' ') + "1 ,\t\"" + std::string(100, 'x') + "\" ] }",
    };
    // Sizes around the 64-byte blocks.
    for (size_t size : {62u, 63u, 64u, 65u, 66u, 127u, 128u, 129u}) {
        std::string object = "{\"k\":\"";
        object.append(size - object.size() - 2, 'v');
        object += "\"}";
        texts.push_back("[" + object + "," + object.substr(0, size - 1) + ",1]");
    }
    return texts;
}

// Pseudo-random texts over the bytes that matter to the reader, and damaged
// copies of the edge texts (bytes replaced, dropped, doubled).
std::vector<std::string> damagedTexts()
{
    const std::string alphabet = "[]{}\"\\:,  \n\t/*#01.e-x\0\x01\x80"s + "a";
    std::vector<std::string> texts;
    uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int t = 0; t < 400; ++t) {
        std::string text;
        for (int i = 0, length = 20 + t % 150; i < length; ++i)
            text += alphabet[next() % alphabet.size()];
        texts.push_back(text);
    }
    for (const std::string& edge : edgeTexts()) {
        for (int k = 0; k < 8 && !edge.empty(); ++k) {
            std::string text = edge;
            const size_t at = next() % text.size();
            switch (next() % 3) {
            case 0: text[at] = alphabet[next() % alphabet.size()]; break;
            case 1: text.erase(at, 1); break;
            default: text.insert(at, 1, text[at]); break;
            }
            texts.push_back(text);
        }
    }
    return texts;
}

} // namespace

TEST(JsonReader, EveryRouteMatchesTheReferenceModel)
{
    std::vector<std::string> texts = edgeTexts();
    for (std::string& text : damagedTexts())
        texts.push_back(std::move(text));
    std::string all;
    for (const std::string& text : texts)
        all += text + " \n ";
    texts.push_back("[" + all + "]");
    texts.push_back("[" + all);
    for (const std::string& text : texts)
        EXPECT_EQ(compareWithModel(text), "") << text;
    // The same without a bracket index: nested levels are walked instead.
    const size_t limit = setJsonIndexLimit(0);
    for (const std::string& text : texts)
        EXPECT_EQ(compareWithModel(text), "") << "unindexed: " << text;
    setJsonIndexLimit(limit);
}

TEST(JsonReader, ReadingWorkGrowsLinearlyWithTheText)
{
    // Bytes the splitting scans look at, for a whole read of a text made at
    // size n and 2n: a nested level is passed once, by a jump, so the work
    // doubles with the text; walking nested levels would quadruple it.
    const auto work = [](const std::string& text) {
        const size_t before = jsonScannedBytes();
        (void)dumpJsonTree(JsonNode::parse(text), false);
        return double(jsonScannedBytes() - before);
    };
    const auto repeat = [](const char* piece, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += piece;
        return out;
    };
    const std::vector<std::pair<const char*, std::function<std::string(int)>>> shapes = {
        {"deep array after a nested sibling",
         [&](int n) { return "[[1]," + repeat("[", n) + repeat("]", n) + "]"; }},
        {"deep object", [&](int n) { return repeat("{\"a\":[0,", n) + "1" + repeat("]}", n); }},
        {"wide array", [&](int n) { return "[" + repeat("[1,2],", n) + "3]"; }},
        {"wide object", [&](int n) { return "{" + repeat("\"k\":{\"x\":1},", n) + "\"z\":0}"; }},
    };
    for (const auto& [name, make] : shapes) {
        const double ratio = work(make(40000)) / work(make(20000));
        EXPECT_GT(ratio, 1.8) << name;
        EXPECT_LT(ratio, 2.2) << name;
    }
    // Without the bracket index, deep levels are walked: the count sees it.
    const size_t limit = setJsonIndexLimit(0);
    const double walked = work(shapes[0].second(4000)) / work(shapes[0].second(2000));
    setJsonIndexLimit(limit);
    EXPECT_GT(walked, 3.5);
}

TEST(JsonReader, DecimalsConvertAsTheCLibraryAtFloatMidpoints)
{
    // Decimal texts exactly at the midpoints between neighbouring floats (from
    // 2^16 to 2^26 they fit in 8 digits after the point), one unit of the last
    // digit above, plain decimals of other sizes, and short ones of up to 8
    // bytes after the sign, which the reader converts itself (longer ones go to
    // the C library): each must read as atof-then-float reads it, where
    // rounding twice is easiest to get wrong.
    uint32_t seed = 11;
    std::string text = "[";
    std::vector<std::string> numbers;
    char buffer[64];
    for (int i = 0; i < 40000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float f =
            std::ldexp(float(seed & 0xFFFFFF) / 16777216.0f + 1.0f, 16 + int(seed >> 29) % 10);
        const double midpoint = (double(f) + double(std::nextafter(f, 1e30f))) / 2;
        std::snprintf(buffer, sizeof buffer, "%s%.8f", (seed & 1) ? "-" : "", midpoint);
        numbers.push_back(buffer);
        std::string above = buffer;
        for (size_t k = above.size(); k-- > 0;) { // one unit more in the last digit
            if (above[k] == '.' || above[k] == '-')
                continue;
            if (above[k] != '9') {
                ++above[k];
                break;
            }
            above[k] = '0';
        }
        numbers.push_back(above);
        std::snprintf(buffer, sizeof buffer, "%.*f", int(seed >> 24) % 9,
                      std::ldexp(double(seed), -int(seed % 40)));
        numbers.push_back(buffer);
        const int decimals = int(seed >> 8) % 7,
                  whole = 1 + int(seed >> 12) % (8 - decimals - (decimals > 0));
        std::snprintf(buffer, sizeof buffer, "%s%.*f", (seed & 2) ? "-" : "", decimals,
                      double(seed % uint32_t(std::pow(10, whole + decimals))) /
                          std::pow(10, decimals));
        numbers.push_back(buffer);
    }
    for (const char* exact :
         {"16777217", "16777217.0", "33554434.5", "0.10000000149011612", "1.00000005960464477",
          "33554434.99999999", "0.00000001", "99999999.99999999", "-0", "0.5", "12345678.5",
          "33554435", "-67108868", "99999999", "0.000001", "9.999999", "1234567.8", "-0.0"})
        numbers.push_back(exact);
    for (const std::string& number : numbers)
        text += number + ",";
    text.back() = ']';
    JsonNode root = JsonNode::parse(text);
    ASSERT_EQ(root.size(), numbers.size());
    size_t i = 0;
    for (JsonConstIterator it = root.cbegin(); it != root.cend(); ++it, ++i) {
        const float expected = static_cast<float>(std::strtod(numbers[i].c_str(), nullptr));
        const float got = (*it).asFloat();
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << numbers[i];
    }
}
