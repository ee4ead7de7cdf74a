#pragma once

// The JSON value of the game's data files: a shared, copy-on-write, lazily
// interpreted node.
//
// A `JsonNode` is a handle: one pointer to a reference-counted `JsonNodeData`
// record. Copying a handle shares the record. A record made from text keeps
// that text and interprets it one level deep only when something first asks
// for its size, children, a member or a value; the interpretation is stored
// in the shared record, so every handle sharing it sees the result.
//
// The reader never reports malformed text: whatever does not fit the grammar
// becomes a Null node (size 0, empty iteration, reads as 0) and the rest of
// the tree stays usable. Only allocation failure escapes, as std::bad_alloc.
//
// Nodes are single-threaded: reference counts are plain integers and the
// read-only operations mutate shared records when they interpret them.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

enum class JsonType : uint8_t {
    Null = 0,   // null, and every value that failed to parse
    String = 1, // byte string
    Number = 2, // held as a 32-bit float
    Bool = 3,
    Array = 4,  // ordered children without names
    Object = 5, // ordered children with names (duplicates kept, in text order)
};

struct JsonNodeData;
class JsonNode;

// Points at one child slot of a container. Node is JsonNode for iteration that
// may modify (the ordinary begin and end, which detach the handle first) and
// const JsonNode for read-only access (find, cbegin, cend, and begin and end of
// a const handle), which works on records other handles may share and so gives
// no way to write into them. A modifying iterator converts to a read-only one,
// and the two compare. The iterator of a scalar (and of a container that failed
// to parse) is null, so begin() == end() for it. Stays valid while the handle
// it came from is not detached to a copy.
template <class Node>
class JsonSlotIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = JsonNode;
    using difference_type = std::ptrdiff_t;
    using pointer = Node*;
    using reference = Node&;

    JsonSlotIterator() = default;
    explicit JsonSlotIterator(Node* slot) : slot_(slot) { }
    template <class Other, class = std::enable_if_t<std::is_convertible_v<Other*, Node*>>>
    JsonSlotIterator(const JsonSlotIterator<Other>& other) : slot_(other.slot())
    {
    }

    Node& operator*() const { return *slot_; }
    Node* operator->() const { return slot_; }
    JsonSlotIterator& operator++()
    {
        ++slot_;
        return *this;
    }
    JsonSlotIterator operator++(int)
    {
        JsonSlotIterator before = *this;
        ++slot_;
        return before;
    }
    Node* slot() const { return slot_; }
    friend bool operator==(JsonSlotIterator a, JsonSlotIterator b) { return a.slot_ == b.slot_; }

private:
    Node* slot_ = nullptr;
};

using JsonIterator = JsonSlotIterator<JsonNode>;
using JsonConstIterator = JsonSlotIterator<const JsonNode>;

class JsonNode {
public:
    // A null handle; it behaves as a Null value in every query.
    JsonNode() = default;
    // A new, already interpreted record of that type: empty name and text,
    // value 0; an empty container for Array and Object.
    explicit JsonNode(JsonType type);
    JsonNode(const JsonNode& other);
    // Moving takes the record and leaves the source a null handle, from any
    // handle alike: a container slot moved from reads as Null (text "") and
    // still counts as a child until a value is assigned to it.
    JsonNode(JsonNode&& other) noexcept;
    // Assigning into a container slot replaces that child; the old one is
    // released like any other handle's record.
    JsonNode& operator=(const JsonNode& other);
    // A value assigned into a slot of its own tree (a container into one of its
    // children, at any depth) is copied as it was before the assignment, so a
    // tree never holds itself; moving it there copies too and leaves the
    // source as it was.
    JsonNode& operator=(JsonNode&& other);
    // Releasing is iterative: a tree of any depth is freed without recursion.
    ~JsonNode();

    // Root node of a whole JSON text (comments, relaxed numbers and escapes
    // allowed): an uninterpreted Array or Object, or a Null when the text,
    // once white space and comments are removed, is not one bracketed value.
    // Reads only the given bytes; never throws anything but std::bad_alloc.
    static JsonNode parse(std::string_view text);

    // The stored type; does not interpret the text (a container that will
    // fail to split still reports its container type until first used).
    JsonType type() const;
    // Key under which this node stands in its parent object; empty for array
    // elements, the root and elements made by asArray.
    std::string name() const;
    // Number of children; 0 for scalars.
    size_t size() const;

    // Modifying iteration: detaches this handle first (makeUnique), so a
    // shared container is deep-copied once and later calls cost nothing.
    JsonIterator begin();
    JsonIterator end();
    // Read-only iteration over the shared record; never copies.
    JsonConstIterator begin() const;
    JsonConstIterator end() const;
    JsonConstIterator cbegin() const { return begin(); }
    JsonConstIterator cend() const { return end(); }

    // First child whose name equals `name` byte for byte (case-sensitive).
    // When none matches, returns the end position (the value of cend());
    // compare with cend(), or with end() on a handle no one else shares.
    // Never copies.
    JsonConstIterator find(std::string_view name) const;
    // The same for a zero-terminated name (a null pointer is the empty name).
    JsonConstIterator find(const char* name) const;

    // Number: its value. String: the C conversion of its text (0 when it is
    // not a number). Bool: 1 or 0. Null and containers: 0.
    float asFloat() const;
    // asFloat truncated toward zero. NaN and values beyond the 64-bit range
    // give INT64_MIN, the result of the x86 conversion instruction.
    int64_t asInt() const;
    // String: the decoded bytes. Number: its source text. Bool: "true" or
    // "false". Null: "null", or empty for an empty value. Containers: empty
    // (a container whose text fails to split is Null: "null").
    std::string asString() const;
    // Array: a handle sharing this record. Object: an independent Array copy
    // of its members in order, names cleared (this object is unchanged).
    // Any scalar: a new empty Array.
    JsonNode asArray() const;

    // Copy-on-write detach: when the record is shared, this handle is pointed
    // at a deep copy of it, independent at every depth.
    void makeUnique();

private:
    friend struct JsonNodeData;
    explicit JsonNode(JsonNodeData* data) : data_(data) { }

    JsonNodeData* data_ = nullptr;
};
