#pragma once

// Records behind JsonNode handles. Internal to json/: loaders use json_node.h.
//
// Text is never copied per child. A compacted file text lives in one
// reference-counted JsonText; every record cut from it holds a view into it
// and a reference, so a child "owns its piece of text" without a copy. Decoded
// strings and names that contained escapes get a JsonText of their own. All
// JsonText bytes are immutable once written, which is what lets a deep copy
// share them and still behave as an independent copy.
//
// The records of one container's children are built together in one JsonBlock
// together with the container's slot array; the block is freed when its last
// record has died and the slot array has been released.

#include "json/json_node.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

inline constexpr std::uint32_t kJsonNoBracket = 0xFFFFFFFFu;

// One structural `[` or `{` of a compacted text (outside strings), in text
// order. `end` is where a bracket skip that starts at `pos` stops (its
// matching closer, counting only its own bracket kind), or kJsonNoBracket
// when that skip fails (no closer, or a string holding a byte 0 on the way).
// `next` is the index of the first structural opener after `end`.
struct JsonBracket {
    std::uint32_t pos;
    std::uint32_t end;
    std::uint32_t next;
};

struct JsonText {
    std::uint32_t refs;
    std::size_t size;
    // Empty when the text is not indexed (decoded strings, or texts too large
    // for 32-bit positions); scans then walk every byte.
    std::vector<JsonBracket> brackets;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }

    // A text of `size` bytes plus a terminating 0, reference count 1.
    static JsonText* allocate(std::size_t size);
    static void retain(JsonText* text) {
        if (text) ++text->refs;
    }
    static void release(JsonText* text);
};

struct JsonBlock;

struct JsonChildren {
    // The child handles themselves; a JsonIterator points into this array.
    JsonNode* items = nullptr;
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;
    // Block that holds `items` (and the children's records), or null when
    // `items` was allocated alone.
    JsonBlock* itemsBlock = nullptr;
};

struct JsonNodeData {
    JsonType type = JsonType::Null;
    bool parsed = false;
    // Created as Array or Object: the children container exists (it stays if
    // the record later turns Null).
    bool hasChildren = false;
    std::uint32_t refCount = 1;
    float value = 0.0f;
    // Index into textStore->brackets of this container's opening bracket.
    std::uint32_t bracket = kJsonNoBracket;

    union {
        const char* text;
        JsonNodeData* nextDead;  // link of the release worklist once dying
    };
    std::size_t textSize = 0;
    JsonText* textStore = nullptr;  // keeps `text` alive; null for literals

    const char* name = "";
    std::size_t nameSize = 0;
    JsonText* nameStore = nullptr;

    JsonChildren children;
    JsonBlock* block = nullptr;  // block holding this record, or null

    JsonNodeData() : text("") {}

    bool isContainer() const { return type == JsonType::Array || type == JsonType::Object; }

    // Interprets the text once (see json_reader.cpp); a failure leaves the
    // record parsed and Null.
    void fetch() {
        if (!parsed) interpret();
    }
    void interpret();
    void makeNull();

    void setText(const char* bytes, std::size_t size, JsonText* store);
    void setName(const char* bytes, std::size_t size, JsonText* store);

    // A new root record from a whole compacted text (takes over `store`).
    static JsonNodeData* fromText(JsonText* store);
    // Fills this (freshly constructed) record from a key and a value cut from
    // `store`; `bracket` is the index of the value's opening bracket, if any.
    void fromNameAndValue(JsonText* store, const char* key, std::size_t keySize,
                          const char* valueText, std::size_t valueSize, std::uint32_t valueBracket);

    // Builds `count` children in one block; `init(record, i)` fills record i.
    // If `init` throws, the records made so far are destroyed and the block
    // freed; the container is left unchanged.
    template <class Init>
    void buildChildren(std::uint32_t count, Init&& init);

    // Deep copy, independent at every depth; iterative.
    static JsonNodeData* deepCopy(const JsonNodeData* source);
    // Drops one reference; frees the record (and, iteratively, its subtree)
    // when it was the last.
    static void release(JsonNodeData* data);

    static JsonNode handleOf(JsonNodeData* data) { return JsonNode(data); }
    static JsonNodeData* dataOf(const JsonNode& node) { return node.data_; }
    static JsonNodeData*& dataOf(JsonNode& node) { return node.data_; }
};

// Raw memory for `count` records followed by their `count` slots.
struct JsonBlock {
    std::uint32_t live;  // records alive + 1 while the slot array is in use

    static JsonBlock* allocate(std::uint32_t count);
    JsonNodeData* records();
    JsonNode* slots(std::uint32_t count);
    void drop();
};

template <class Init>
void JsonNodeData::buildChildren(std::uint32_t count, Init&& init) {
    if (count == 0) return;
    JsonBlock* block = JsonBlock::allocate(count);
    JsonNodeData* records = block->records();
    JsonNode* slots = block->slots(count);
    std::uint32_t made = 0;
    try {
        for (; made < count; ++made) {
            JsonNodeData* record = new (records + made) JsonNodeData();
            record->block = block;
            init(*record, made);
        }
    } catch (...) {
        // Records made so far hold only text references; destroy them as a
        // group. The one being built when `init` threw is included.
        for (std::uint32_t i = 0; i <= made && i < count; ++i) {
            JsonText::release(records[i].textStore);
            JsonText::release(records[i].nameStore);
        }
        ::operator delete(block);
        throw;
    }
    for (std::uint32_t i = 0; i < count; ++i) new (slots + i) JsonNode(handleOf(records + i));
    block->live = count + 1;
    children.items = slots;
    children.count = count;
    children.capacity = count;
    children.itemsBlock = block;
}
