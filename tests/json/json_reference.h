#pragma once

// A literal model of the JSON reading rules, byte by byte and eager, sharing
// no code with json/: the judge that the tests and the fuzz target hold the
// reader to. Slow and plain on purpose; every rule is written the way the
// reader's documentation states it, with no fast path.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace jsonref {

enum Type : int { Null = 0, String = 1, Number = 2, Bool = 3, Array = 4, Object = 5 };

constexpr size_t kNone = size_t(-1);

// White space and comments removed outside strings, escaped quotes protected.
inline std::string compact(std::string_view in)
{
    std::string out;
    const size_t n = in.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = in[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (c == '#' || (c == '/' && i + 1 < n && in[i + 1] == '/')) {
            while (i < n && in[i] != '\n')
                ++i;
            ++i; // the line feed, when there is one
        } else if (c == '/' && i + 1 < n && in[i + 1] == '*') {
            size_t j = i + 2;
            while (j + 1 < n && !(in[j] == '*' && in[j + 1] == '/'))
                ++j;
            if (j + 1 >= n)
                return out; // no closing */
            i = j + 2;
        } else if (c == '"') {
            out += '"';
            for (++i;; ++i) {
                if (i >= n)
                    return out;
                if (in[i] == '"')
                    break;
                if (in[i] == '\\') {
                    if (i + 1 >= n)
                        return out;
                    out += '\\';
                    out += in[i + 1] == '"' ? '\x01' : in[i + 1];
                    ++i;
                } else {
                    out += in[i];
                }
            }
            out += '"';
            ++i;
        } else if (c >= 33 && c <= 126 && c != '/') {
            out += char(c);
            ++i;
        } else {
            return out; // a lone '/', a control byte, 127 and above
        }
    }
    return out;
}

// Position of the first `wanted` at the top level of `t` from `pos`.
inline size_t findNext(std::string_view t, char wanted, size_t pos)
{
    for (; pos < t.size(); ++pos) {
        const char c = t[pos];
        if (c == wanted)
            return pos;
        if (c == ']' || c == '}')
            return kNone;
        if (c == '"') {
            for (++pos; pos < t.size() && t[pos] != '"'; ++pos)
                if (t[pos] == '\0')
                    return kNone;
            if (pos >= t.size())
                return kNone;
        } else if (c == '[' || c == '{') {
            const char close = c == '[' ? ']' : '}';
            size_t depth = 0;
            for (;; ++pos) {
                if (pos >= t.size() || t[pos] == '\0')
                    return kNone;
                if (t[pos] == c) {
                    ++depth;
                } else if (t[pos] == close) {
                    if (--depth == 0)
                        break;
                } else if (t[pos] == '"') {
                    for (++pos; pos < t.size() && t[pos] != '"'; ++pos)
                        if (t[pos] == '\0')
                            return kNone;
                    if (pos >= t.size())
                        return kNone;
                }
            }
        }
    }
    return kNone;
}

inline unsigned char hexValue(unsigned char c)
{
    const unsigned char d = static_cast<unsigned char>(c - 48);
    return d > 48  ? static_cast<unsigned char>(d - 39)
           : d > 9 ? static_cast<unsigned char>(d - 7)
                   : d;
}

inline std::string decode(std::string_view s)
{
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '\\') {
            out += s[i++];
            continue;
        }
        if (i + 1 == s.size())
            break; // a last backslash is dropped
        const unsigned char e = s[i + 1];
        const size_t left = s.size() - (i + 2);
        i += 2;
        if (e == 1) {
            out += '"';
        } else if (e == 'b' || e == 'f' || e == 'n' || e == 'r' || e == 't' || e == 'v') {
            out += "\b\f\n\r\t\v"[std::strchr("bfnrtv", e) - "bfnrtv"];
        } else if (e == 'u' && left >= 4) {
            out += char((hexValue(s[i + 2]) << 4) | hexValue(s[i + 3]));
            i += 4;
        } else if (e == 'x' && left >= 2) {
            out += char((hexValue(s[i]) << 4) | hexValue(s[i + 1]));
            i += 2;
        } else if (e >= '0' && e <= '7' && left >= 2) {
            const unsigned a = static_cast<unsigned char>(e - 48),
                           b = static_cast<unsigned char>(s[i] - 48),
                           d = static_cast<unsigned char>(s[i + 1] - 48);
            out += char(((a << 6) | (b << 3) | d) & 0xFF);
            i += 2;
        } else if (e == 'u' || e == 'x' || (e >= '0' && e <= '7')) {
            out += '\0'; // too short: the letter or first digit alone is consumed
        } else {
            out += char(e);
        }
    }
    return out;
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isNumeric(std::string_view s)
{
    const size_t n = s.size();
    bool point = false, exponent = false;
    size_t i;
    if (n == 0)
        return false;
    if (s[0] == '0') {
        if (n == 1)
            return true;
        if (s[1] == '.') {
            point = true;
            i = 2;
        } else if (s[1] == 'e' || s[1] == 'E') {
            exponent = true;
            if (n < 3 || !(isDigit(s[2]) || s[2] == '+' || s[2] == '-'))
                return false;
            i = 3;
        } else if (s[1] == 'x') {
            for (i = 2; i < n; ++i)
                if (std::string_view("0123456789ABCDEFabcdef").find(s[i]) == std::string_view::npos)
                    return false;
            return true;
        } else if (s[1] >= '1' && s[1] <= '7') {
            for (i = 1; i < n; ++i)
                if (s[i] < '0' || s[i] > '7')
                    return false;
            return true;
        } else {
            return false;
        }
    } else if (s[0] == '+' || s[0] == '-') {
        if (n == 1 || s[1] == '.' || s[1] == 'e' || s[1] == 'E')
            return false;
        i = s[1] == '0' ? 2 : 1;
    } else if (s[0] >= '1' && s[0] <= '9') {
        i = 1;
    } else if (s[0] == '.') {
        point = true;
        i = 1;
    } else {
        return false;
    }
    while (i < n) {
        if (isDigit(s[i])) {
            ++i;
        } else if (s[i] == '.') {
            if (point || exponent)
                return false;
            point = true;
            ++i;
        } else if (s[i] == 'e' || s[i] == 'E') {
            if (exponent)
                return false;
            exponent = true;
            ++i;
            if (i < n && isDigit(s[i]))
                ++i;
            else if (i + 1 < n && (s[i] == '+' || s[i] == '-') && isDigit(s[i + 1]))
                i += 2;
            else
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// atof of the bytes up to the first byte 0, as a float (the tests run in the
// "C" locale).
inline float atofFloat(const std::string& s)
{
    return static_cast<float>(std::strtod(s.c_str(), nullptr));
}

// One node as the reader's interface shows it: the type before and after its
// first use, the name, and what asString and asFloat give.
struct Node {
    int declared = Null;
    int type = Null;
    std::string name;
    std::string text;
    float value = 0;
    std::vector<size_t> children; // indexes into Tree::nodes
};

struct Tree {
    std::vector<Node> nodes; // nodes[0] is the root
};

// A child record from its key text (first byte not yet removed) and value
// text, interpreted at once; a container's text is left in `text` to split.
inline Node makeNode(std::string_view key, std::string_view value)
{
    Node node;
    if (!key.empty())
        node.name = decode(key.substr(1));
    const auto null = [&node] {
        node.declared = node.type = Null;
        node.text = "null";
        return node;
    };
    if (value.empty())
        return node;
    const char first = value.front(), last = value.back();
    node.text = std::string(value);
    if (first == '"') {
        if (last != '"')
            return null();
        node.declared = node.type = String;
        if (value.size() < 2) { // a String until it is read
            node.type = Null;
            node.text = "null";
            return node;
        }
        node.text = decode(value.substr(1, value.size() - 2));
        node.value = atofFloat(node.text);
    } else if (first == 't' || first == 'T' || first == 'f' || first == 'F') {
        if (value != "true" && value != "false")
            return null();
        node.declared = node.type = Bool;
        node.value = first == 't' ? 1.0f : 0.0f;
    } else if (first == 'n' || first == 'N') {
        return null(); // "null" itself or a failed literal
    } else if (first == '[' || first == '{') {
        if (last != (first == '[' ? ']' : '}'))
            return null();
        node.declared = node.type = first == '[' ? Array : Object;
    } else {
        if (!isNumeric(value))
            return null();
        node.declared = node.type = Number;
        node.value = atofFloat(node.text);
    }
    return node;
}

// Splits the container at `index`, appending its children to the tree; on
// failure the node becomes Null with text "null".
inline void split(Tree& tree, size_t index)
{
    const std::string t = tree.nodes[index].text;
    const size_t n = t.size();
    std::vector<Node> children;
    bool ok = true;
    if (tree.nodes[index].type == Array) {
        ok = n >= 2 && t[0] == '[' && t[n - 1] == ']';
        for (size_t start = 1; ok && n > 2;) {
            const size_t comma = findNext(t, ',', start);
            const std::string element = t.substr(start, (comma == kNone ? n - 1 : comma) - start);
            if (findNext(element, ':', 0) != kNone)
                ok = false;
            if (ok)
                children.push_back(makeNode("", element));
            if (comma == kNone)
                break;
            start = comma + 1;
        }
    } else {
        ok = n >= 2 && t[0] == '{' && t[n - 1] == '}';
        size_t start = 1;
        size_t colon = ok && n > 2 ? findNext(t, ':', 1) : kNone;
        if (n > 2 && colon == kNone)
            ok = false;
        while (ok && n > 2) {
            const std::string key =
                colon > start + 1 ? t.substr(start, colon - 1 - start) : std::string();
            const size_t comma = findNext(t, ',', colon);
            children.push_back(
                makeNode(key, t.substr(colon + 1, (comma == kNone ? n - 1 : comma) - colon - 1)));
            if (comma == kNone)
                break;
            start = comma + 1;
            colon = findNext(t, ':', start);
            if (colon == kNone)
                ok = false;
        }
    }
    Node& node = tree.nodes[index];
    if (!ok) {
        node.type = Null;
        node.text = "null";
        return;
    }
    node.text.clear();
    for (Node& child : children) {
        tree.nodes[index].children.push_back(tree.nodes.size());
        tree.nodes.push_back(std::move(child));
    }
}

// The whole tree of a text, every container split (iteratively).
inline Tree read(std::string_view input)
{
    Tree tree;
    const std::string c = compact(input);
    const bool bracketed = !c.empty() && ((c.front() == '[' && c.back() == ']') ||
                                          (c.front() == '{' && c.back() == '}'));
    Node root;
    if (bracketed) {
        root.declared = root.type = c.front() == '[' ? Array : Object;
        root.text = c;
    }
    tree.nodes.push_back(root);
    for (size_t i = 0; i < tree.nodes.size(); ++i)
        if (tree.nodes[i].type == Array || tree.nodes[i].type == Object)
            split(tree, i);
    return tree;
}

// The tree as lines: depth, declared type (when asked), type, [name], text,
// the float's bits, and #size for a container. With
// `asArray`, the root as asArray shows it once read: an array as it is, an
// object's members without names, anything else an empty array.
inline std::string dump(const Tree& tree, bool declared, bool asArray = false)
{
    const int rootType = tree.nodes[0].type;
    if (asArray && rootType != Array && rootType != Object)
        return "0 4 []  0 #0\n";
    std::string out;
    std::vector<std::pair<size_t, int>> stack{{0, 0}};
    while (!stack.empty()) {
        const auto [index, depth] = stack.back();
        stack.pop_back();
        const Node& node = tree.nodes[index];
        const bool container = node.type == Array || node.type == Object;
        const bool renamed = asArray && rootType == Object && depth <= 1;
        out += std::to_string(depth) + " ";
        if (declared)
            out += std::to_string(node.declared) + " ";
        uint32_t bits;
        std::memcpy(&bits, &node.value, sizeof bits);
        out += std::to_string(renamed && depth == 0 ? int(Array) : node.type) + " [" +
               (renamed && depth == 1 ? "" : node.name) + "] " + node.text + " " +
               std::to_string(bits);
        if (container) {
            out += " #" + std::to_string(node.children.size());
            for (auto c = node.children.rbegin(); c != node.children.rend(); ++c)
                stack.emplace_back(*c, depth + 1);
        }
        out += "\n";
    }
    return out;
}

// The changes that tests make through the reader's slots, made here: in
// every container, slot 0 is assigned a new Bool and slot 1 is moved from
// (a null handle then, read as Null with text ""); the rest are left.
inline void modify(Tree& tree)
{
    for (Node& node : tree.nodes) {
        if (node.children.size() > 0)
            tree.nodes[node.children[0]] = Node{Bool, Bool, "", "", 0, {}};
        if (node.children.size() > 1)
            tree.nodes[node.children[1]] = Node{};
    }
}

} // namespace jsonref
