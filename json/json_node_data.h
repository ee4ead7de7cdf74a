#pragma once

// Records behind JsonNode handles, and the storage they are cut from.
// Internal to json/: loaders use json_node.h.
//
// The representation. A JsonNode is one pointer to a reference-counted
// JsonNodeData record. Records read from a file never copy its bytes: the
// compacted text lives once in a reference-counted JsonText, and a record's
// `text` and `name` point into it. When a container is first used it is
// split: one JsonBlock is made for all its children, holding the slot array
// that iterators walk (one handle per child) followed by the child records
// themselves, and slot i starts out pointing at record i. Scalars are typed
// and numbers converted when their record is made; strings are decoded and
// containers split on first use. A block lives while its container holds its
// slots or a handle anywhere holds one of its records; its records need no
// reference to the text of their own, the block holds one for them all.

#include "json/json_node.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kJsonNoBracket = 0xFFFFFFFFu;

// One structural `[` or `{` of a compacted text (outside strings), in text
// order. `end` is where skipping the level it opens stops (its closer,
// counting only its own bracket kind), or kJsonNoBracket when that skip fails
// (never closed, or a string holding a byte 0 on the way). `next` is the
// index of the first opener after `end`, where a scan of the enclosing level
// resumes.
struct JsonBracket {
    std::uint32_t end;
    std::uint32_t next;
};

// A run of memory that the blocks cut from one text are carved from: blocks
// come and go by the hundred thousand when a large file is read, and a bump
// pointer costs far less than a heap call each. Freed when its last block is.
struct JsonChunk {
    static constexpr std::size_t kBytes = 64 * 1024;

    std::uint32_t live;  // blocks carved from this chunk and not yet freed
    std::size_t used;
    std::size_t capacity;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

// Bytes shared by records: a whole compacted file text with its bracket
// index, or one decoded string or name. They never change once written, so a
// deep copy shares them and still behaves as an independent copy.
struct JsonText {
    std::uint32_t refs;
    std::size_t size;
    std::vector<JsonBracket> brackets;  // empty when the text is not indexed
    JsonChunk* chunk = nullptr;         // the chunk new blocks are carved from

    // The bytes are preceded and followed by kPadding zero bytes, so that
    // the number reader may load 8 bytes ending at any position of the text
    // and the scans 64 bytes starting at any.
    static constexpr std::size_t kPadding = 64;
    char* bytes() { return reinterpret_cast<char*>(this + 1) + kPadding; }
    // The text whose bytes begin at `bytes`.
    static JsonText* of(const char* bytes) {
        return reinterpret_cast<JsonText*>(const_cast<char*>(bytes) - kPadding) - 1;
    }

    // A text of `size` bytes (unwritten) and a terminating 0, count 1.
    static JsonText* allocate(std::size_t size);
    static void retain(JsonText* text) {
        if (text) ++text->refs;
    }
    static void release(JsonText* text);

    // Memory for a block carved from this text's chunks, and its return.
    void* carve(std::size_t bytes, JsonChunk*& from);
    void giveBack(JsonChunk* from);
};

struct JsonBlock;

struct JsonNodeData {
    // Bits of `owns`: the bytes of `text` (or `name`) are the whole of a
    // JsonText of their own, which this record holds one reference to.
    static constexpr std::uint8_t kOwnText = 1;
    static constexpr std::uint8_t kOwnName = 2;
    // `nameSize` of a name too long for it: the name is owned, and its size
    // is its JsonText's.
    static constexpr std::uint32_t kLongName = 0xFFFFFFFFu;

    JsonType type;
    bool parsed;  // strings decoded, containers split (or turned Null)
    std::uint8_t owns;
    std::uint32_t refCount;
    union {
        float value;             // Number, Bool; 0 for the others
        std::uint32_t bracket;   // Array, Object until split: index entry of the opener
    };
    std::uint32_t nameSize;
    const char* name;
    union {
        const char* text;      // everything but a split container
        JsonBlock* children;   // a split container (null when it has none)
    };
    std::size_t textSize;      // 0 for a split container
    JsonBlock* home;           // the block whose record area holds this record

    bool isContainer() const { return type == JsonType::Array || type == JsonType::Object; }
    bool isSplit() const { return parsed && isContainer(); }
    JsonBlock* childBlock() const { return isSplit() ? children : nullptr; }
    std::string_view nameView() const;
    // The text the record's borrowed bytes lie in; null for records made
    // without one.
    JsonText* store() const;

    // Interprets a string or container on first use (json_reader.cpp); a
    // failure leaves the record parsed and Null.
    void fetch() {
        if (!parsed) interpret();
    }
    void interpret();
    // Type Null, text "null", parsed. Only for records that own no text.
    void makeNull();
    void setName(const char* bytes, std::size_t size, bool owned);
    void setOwnedText(JsonText* text);

    // The root record of a whole compacted text that begins with a bracket.
    static JsonNodeData* fromText(JsonText* store);
    // Deep copy, independent at every depth; iterative.
    static JsonNodeData* deepCopy(const JsonNodeData* source);
    // Drops one reference; at the last, frees the record and, iteratively,
    // everything only it held.
    static void release(JsonNodeData* data);

    static JsonNodeData*& dataOf(JsonNode& node) { return node.data_; }
    static JsonNodeData* dataOf(const JsonNode& node) { return node.data_; }
};

static_assert(sizeof(JsonNodeData) == 48);

// The children of one container: header, `count` slots, `count` records.
// Also used with one record and no slots in use, for a record made on its
// own (a root, a copy's root, a new value).
struct JsonBlock {
    std::uint32_t live;   // 1 while a container holds the slots, + records alive
    std::uint32_t count : 31;
    // Every slot still holds its own record, held by that slot alone, owning
    // no bytes and not split: releasing the slots frees the block at once,
    // without reading them. Anything that shares, moves, replaces or fills a
    // record of the block clears it.
    std::uint32_t plain : 1;
    JsonText* store;      // one reference; null for records made without a text
    JsonChunk* chunk;     // where the memory came from; null: a heap call of its own
    JsonBlock* nextDead;  // link of the release worklist

    JsonNode* slots() { return reinterpret_cast<JsonNode*>(this + 1); }
    JsonNodeData* records() { return reinterpret_cast<JsonNodeData*>(slots() + count); }

    // A block for `count` children over `store` (retained); `live` is 1, the
    // slots are null handles or left for the caller to construct.
    static JsonBlock* allocate(std::size_t count, JsonText* store, bool nullSlots = true);
    // A record of its own over `store`: reference count 1, type Null, no
    // name or text, parsed.
    static JsonNodeData* newLoneRecord(JsonText* store);
    // Record i of the area, blank as above; the slot is left to the caller.
    inline JsonNodeData* newRecord(std::uint32_t i);
    // Drops one of `live`; at 0 the memory goes and the text is released.
    void drop();
    // Releases the slots of a block no container holds any more.
    static void release(JsonBlock* block);
};

static_assert(sizeof(JsonBlock) % alignof(JsonNodeData) == 0);

inline JsonText* JsonNodeData::store() const { return home->store; }

inline JsonNodeData* JsonBlock::newRecord(std::uint32_t i) {
    JsonNodeData* record = records() + i;
    record->type = JsonType::Null;
    record->parsed = true;
    record->owns = 0;
    record->refCount = 1;
    record->value = 0.0f;
    record->nameSize = 0;
    record->name = "";
    record->text = "";
    record->textSize = 0;
    record->home = this;
    ++live;
    return record;
}

inline std::string_view JsonNodeData::nameView() const {
    if (nameSize == kLongName) return std::string_view(name, JsonText::of(name)->size);
    return std::string_view(name, nameSize);
}
