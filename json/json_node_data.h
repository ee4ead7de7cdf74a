#pragma once

// Records behind JsonNode handles, and the storage they are cut from.
// Internal to json/: loaders use json_node.h.
//
// The representation. A JsonNode is one pointer to a reference-counted
// JsonNodeData record of 32 bytes. Records read from a file never copy its
// bytes: the compacted text lives once in a reference-counted JsonText, a
// record's `text` points at its value there and never moves, and its name is
// the bytes just before (`"name":value`). When a container is first used it
// is split: one JsonBlock is made for all its children, holding their records
// followed by the slot array that iterators walk, and slot i starts out
// pointing at record i. Scalars are typed and numbers converted when their
// record is made; strings are decoded and containers split on first use,
// the result going to the record's last field. A block lives while its
// container holds its slots or a handle anywhere holds one of its records;
// the block holds the text for all of them. A child whose name has escapes,
// or whose name or text is too long for the record's fields, gets a block of
// its own, with the name and the sizes right after the record.

#include "json/json_node.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

inline constexpr uint32_t kJsonNoBracket = 0xFFFFFFFFu;

// One `[` or `{` outside strings of a compacted text, in text order: `end`,
// where skipping its level stops (its closer, counting its own kind only), or
// kJsonNoBracket when the skip fails (no closer, or a string holding a byte 0
// on the way); `next`, the index of the first opener after `end`.
struct JsonBracket {
    uint32_t end;
    uint32_t next;
};

// Memory that the blocks over one text are carved from: they come and go by
// the hundred thousand, and a bump pointer costs far less than a heap call.
struct JsonChunk {
    static constexpr size_t kBytes = 64 * 1024;

    uint32_t live; // blocks carved from this chunk and not yet freed
    size_t used;
    size_t capacity;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

// Bytes shared by records: a whole compacted file text with its bracket
// index, or one decoded string. They never change once written, so a deep
// copy shares them and still behaves as an independent copy.
struct JsonText {
    uint32_t refs;
    size_t size;
    std::vector<JsonBracket> brackets; // empty when the text is not indexed
    JsonChunk* chunk = nullptr;        // the chunk new blocks are carved from
    bool backslashes = false; // whether the bytes hold one (only then can a name need decoding)

    // kPadding zero bytes before and after the bytes: the number reader loads
    // 8 bytes ending anywhere in the text, the scans 64 starting anywhere.
    static constexpr size_t kPadding = 64;
    char* bytes() { return reinterpret_cast<char*>(this + 1) + kPadding; }

    // A text of `size` bytes (unwritten) and a terminating 0, count 1.
    static JsonText* allocate(size_t size);
    static void retain(JsonText* text)
    {
        if (text)
            ++text->refs;
    }
    static void release(JsonText* text);

    // Memory for a block carved from this text's chunks, and its return.
    void* carve(size_t bytes, JsonChunk*& from);
    void giveBack(JsonChunk* from);
};

struct JsonBlock;

struct JsonNodeData {
    JsonType type;
    bool parsed : 1;  // strings decoded, containers split (or turned Null)
    bool decoded : 1; // a String whose escapes were decoded into `decodedText`
    bool tail : 1;    // the name and the text size are in the JsonTail that follows
    uint16_t nameSize;
    uint32_t refCount;
    const char* text; // the value's compacted text, as read
    uint32_t textSize;
    uint32_t index; // place in its block's record area
    union {
        float value;           // Number, Bool; 0 for the others
        uint32_t bracket;      // Array, Object until split: index entry of the opener
        JsonBlock* children;   // Array, Object once split (null when there are none)
        JsonText* decodedText; // String with `decoded`
    };

    bool isContainer() const { return type == JsonType::Array || type == JsonType::Object; }
    bool isSplit() const { return parsed && isContainer(); }
    JsonBlock* childBlock() const { return isSplit() ? children : nullptr; }
    JsonBlock* home() const;
    // The text the record's value lies in; null for records made without one.
    JsonText* store() const;
    std::string_view nameView() const;
    size_t textLength() const;
    // What asString gives once the record is interpreted.
    std::string_view stringView() const;

    // Interprets a string or container on first use (json_reader.cpp); a
    // failure leaves the record parsed and Null.
    void fetch()
    {
        if (!parsed)
            interpret();
    }
    void interpret();
    void makeNull()
    {
        type = JsonType::Null;
        parsed = true;
    }

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

static_assert(sizeof(void*) != 8 || sizeof(JsonNodeData) == 32); // smaller with 4-byte pointers

// What follows a record with `tail`, in its block of its own: the sizes its
// fields cannot hold, then the name's bytes.
struct JsonTail {
    size_t textSize;
    size_t nameSize;
    char* name() { return reinterpret_cast<char*>(this + 1); }
};

// The children of one container: header, `count` records, `count` slots.
// Also used with one record and no slots, for a record made on its own (a
// root, a copy's root, a new value, a child with a tail).
struct JsonBlock {
    uint32_t live; // 1 while a container holds the slots, + records alive
    uint32_t count : 30;
    // Every slot holds its own record, held by the slot alone, owning nothing
    // and not split: the block is freed without reading them, and copied byte
    // for byte. Sharing, moving, replacing or filling a record clears it.
    uint32_t plain : 1;
    // A modifying iterator over the slots was handed out, so a slot may be
    // assigned to. A slot deeper down can only be reached that way through
    // its parent's slot, so assignment looks for its target below handed-out
    // blocks only. Never cleared; a copy starts without it.
    uint32_t handedOut : 1;
    JsonText* store;     // one reference; null for records made without a text
    JsonChunk* chunk;    // where the memory came from; null: a heap call of its own
    JsonBlock* nextDead; // link of the release worklist

    JsonNodeData* records() { return reinterpret_cast<JsonNodeData*>(this + 1); }
    JsonNode* slots() { return reinterpret_cast<JsonNode*>(records() + count); }

    // A block for `count` children over `store` (retained); `live` is 1, the
    // slots are null handles or left for the caller to construct.
    static JsonBlock* allocate(size_t count, JsonText* store, bool nullSlots = true);
    // A record of its own over `store`, with room for a name of `tailName`
    // bytes in a tail when `withTail`: reference count 1, type Null, no name
    // or text, parsed.
    static JsonNodeData* newLoneRecord(JsonText* store, bool withTail = false, size_t tailName = 0);
    // Record i of the area, blank as above; the slot is left to the caller.
    inline JsonNodeData* newRecord(uint32_t i);
    // Drops one of `live`; at 0 the memory goes and the text is released.
    void drop();
    // Releases the slots of a block no container holds any more.
    static void release(JsonBlock* block);
};

static_assert(sizeof(JsonBlock) % alignof(JsonNodeData) == 0);

inline JsonBlock* JsonNodeData::home() const
{
    return reinterpret_cast<JsonBlock*>(const_cast<JsonNodeData*>(this - index)) - 1;
}

inline JsonText* JsonNodeData::store() const
{
    return home()->store;
}

inline JsonNodeData* JsonBlock::newRecord(uint32_t i)
{
    JsonNodeData* record = new (records() + i) JsonNodeData{}; // all zero: Null, value 0
    record->parsed = true;
    record->refCount = 1;
    record->text = "";
    record->index = i;
    ++live;
    return record;
}

inline size_t JsonNodeData::textLength() const
{
    return tail ? reinterpret_cast<const JsonTail*>(this + 1)->textSize : textSize;
}

inline std::string_view JsonNodeData::nameView() const
{
    if (!tail)
        return nameSize ? std::string_view(text - 2 - nameSize, nameSize) : std::string_view();
    JsonTail* t = reinterpret_cast<JsonTail*>(const_cast<JsonNodeData*>(this + 1));
    return std::string_view(t->name(), t->nameSize);
}

inline std::string_view JsonNodeData::stringView() const
{
    switch (type) {
    case JsonType::Null: // "null" for a written or failed value, empty for an empty one
        return textLength() ? std::string_view("null") : std::string_view();
    case JsonType::String: // its bytes within the quotes, or without escapes
        if (decoded)
            return std::string_view(decodedText->bytes(), decodedText->size);
        return textLength() >= 2 ? std::string_view(text + 1, textLength() - 2)
                                 : std::string_view();
    case JsonType::Number:
    case JsonType::Bool: return std::string_view(text, textLength());
    default: // a split container's text is emptied
        return std::string_view();
    }
}
