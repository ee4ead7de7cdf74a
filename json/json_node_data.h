#pragma once

// Records behind JsonNode handles. Internal to json/: loaders use json_node.h.
//
// Text is never copied per child. A compacted file text lives in one
// reference-counted JsonText; every record cut from it holds a view into it
// and a reference. Decoded strings and names that contained escapes get a
// JsonText of their own. JsonText bytes never change once written, so a deep
// copy can share them and still behave as an independent copy.
//
// The children of a split container live in one JsonBlock: a slot array of
// handles (what a JsonIterator walks) and, per child, a JsonPiece that says
// where the child's value and name lie in the container's text. A child
// becomes a full JsonNodeData record only when something needs one (it is
// copied, shared, split, or given a new state); until then its slot holds a
// tagged pointer to its piece and the scalar reads are answered from the
// text directly. Nothing observable depends on when that happens: a piece
// reads exactly as the record made from it would.

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

// Memory for the children blocks cut from one text. Blocks are made and
// freed by the hundred thousand when a big file is read; carving them from
// chunks and freeing a chunk when its last block goes costs far less than one
// heap call per block. Chunks are aligned to kBytes, so the chunk of any
// block is found from the block's address.
struct JsonChunk {
    static constexpr std::size_t kBytes = 64 * 1024;

    std::uint32_t live;  // blocks carved from this chunk and not yet freed
    std::size_t used;
    std::size_t capacity;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }
    static JsonChunk* of(const void* memory) {
        return reinterpret_cast<JsonChunk*>(reinterpret_cast<std::uintptr_t>(memory) & ~(kBytes - 1));
    }
};

struct JsonText {
    std::uint32_t refs;
    std::size_t size;
    // Empty when the text is not indexed (decoded strings, or texts too large
    // for 32-bit positions); scans then walk every byte.
    std::vector<JsonBracket> brackets;
    JsonChunk* chunk = nullptr;  // chunk that new blocks are carved from

    ~JsonText();

    // The bytes are preceded and followed by kPadding zero bytes, so that the
    // number reader may load 8 bytes ending at any position of the text and
    // the splitter 16 bytes starting at any.
    static constexpr std::size_t kPadding = 16;
    char* bytes() { return reinterpret_cast<char*>(this + 1) + kPadding; }

    // Memory for one block of the children of a record over this text.
    void* allocateBlockMemory(std::size_t bytes);
    void freeBlockMemory(void* memory);

    // A text of `size` bytes plus a terminating 0, reference count 1.
    static JsonText* allocate(std::size_t size);
    static void retain(JsonText* text) {
        if (text) ++text->refs;
    }
    static void release(JsonText* text) {
        if (text && --text->refs == 0) destroy(text);
    }
    static void destroy(JsonText* text);
};

struct JsonBlock;

// The children of a container: one block of slots, or none while there are
// no children.
struct JsonChildren {
    JsonBlock* block = nullptr;

    inline std::uint32_t count() const;
    inline JsonNode* items() const;  // a JsonIterator walks these slots
};

// A child not yet made into a record. Its name, when it has one, is the
// `nameSize` bytes that end two bytes before `value` (the closing quote and
// the colon lie between). A container piece is split in place when first
// used, and its children then hang off the piece itself; the piece becomes a
// record only when it has to be shared or copied.
struct JsonPiece {
    // Longer values and names than these fields hold make records at once.
    static constexpr std::size_t kMaxValueSize = 0xFFFFFFFFu;
    static constexpr std::size_t kMaxNameSize = 0xFFFFu;

    const char* value;
    JsonChildren children;  // Array, Object once split
    std::uint32_t valueSize;
    std::uint32_t index;  // position in its block
    union {
        std::uint32_t bracket;  // Array, Object: index entry of the opening bracket
        float number;           // Number, once converted
    };
    std::uint16_t nameSize;
    JsonType type;
    // Number: the shape has been checked and `number` converted. Array,
    // Object: the text has been split into `children`.
    bool checked;

    const char* name() const { return value - 2 - nameSize; }
};

// 32 bytes with 8-byte pointers; smaller where pointers are 4 bytes (WebAssembly).
static_assert(sizeof(void*) != 8 || sizeof(JsonPiece) == 32);

struct JsonNodeData {
    JsonType type = JsonType::Null;
    bool parsed = false;
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
    JsonBlock* block = nullptr;  // block whose record area holds this record

    JsonNodeData() : text("") {}

    bool isContainer() const { return type == JsonType::Array || type == JsonType::Object; }

    // Interprets the text once (json_reader.cpp); a failure leaves the record
    // parsed and Null.
    void fetch() {
        if (!parsed) interpret();
    }
    void interpret();
    void makeNull();

    void setText(const char* bytes, std::size_t size, JsonText* store);
    void clearText() {
        JsonText::release(textStore);
        text = "";
        textSize = 0;
        textStore = nullptr;
    }
    void setName(const char* bytes, std::size_t size, JsonText* store);

    // A new root record from a whole compacted text (takes over `store`).
    static JsonNodeData* fromText(JsonText* store);
    // Fills this fresh record as the child named by `name` (escapes not yet
    // decoded) with the value text `valueText`, both cut from `store`;
    // `valueBracket` is the index entry of a container value's bracket.
    void fromNameAndValue(JsonText* store, const char* name, std::size_t nameSize, const char* valueText,
                          std::size_t valueSize, std::uint32_t valueBracket);

    // Deep copy, independent at every depth; iterative.
    static JsonNodeData* deepCopy(const JsonNodeData* source);
    // Drops one reference; frees the record (and, iteratively, its subtree)
    // when it was the last.
    static void release(JsonNodeData* data);

    static JsonNodeData*& dataOf(JsonNode& node) { return node.data_; }
    static JsonNodeData* dataOf(const JsonNode& node) { return node.data_; }
};

// Children of one container: header, `count` pieces, `count` slots, and a
// record area of `count` records allocated when the first child becomes a
// record. Freed when the slot array has been released and every record made
// in it has died.
struct JsonBlock {
    std::uint32_t live;  // 1 while the slot array is in use, + records alive
    std::uint32_t count : 31;
    // Whether any slot has held anything but an unsplit piece: a split piece,
    // a record. Releasing a block that never had one only frees it.
    std::uint32_t nested : 1;
    JsonText* store;           // the text the pieces point into (one reference)
    JsonNodeData* recordArea;  // null until a child becomes a record
    JsonBlock* nextDead;       // link of the release worklist

    // A block of `count` children over `store` (retained); `live` is 1. The
    // slots are null handles, or left for the caller to construct.
    static JsonBlock* allocate(std::uint32_t count, JsonText* store, bool nullSlots = true);
    JsonPiece* pieces() { return reinterpret_cast<JsonPiece*>(this + 1); }
    JsonNode* slots() { return reinterpret_cast<JsonNode*>(pieces() + count); }
    void drop();

    // Record made for child i: constructed in the record area, owned by the
    // caller's reference (count 1).
    JsonNodeData* newRecord(std::uint32_t i);

    // Releases a block no container holds any more: its slots' children,
    // iteratively, and its slot array.
    static void release(JsonBlock* block);

    static JsonBlock* of(JsonPiece* piece) {
        return reinterpret_cast<JsonBlock*>(piece - piece->index) - 1;
    }
};

static_assert(sizeof(JsonBlock) % alignof(JsonPiece) == 0);

inline std::uint32_t JsonChildren::count() const { return block ? block->count : 0; }
inline JsonNode* JsonChildren::items() const { return block ? block->slots() : nullptr; }

// Tagged slot values: a slot whose handle has not been made into a record
// points at its piece with the low bit set.
inline bool isPieceHandle(const JsonNodeData* data) {
    return (reinterpret_cast<std::uintptr_t>(data) & 1u) != 0;
}
inline JsonPiece* pieceOf(const JsonNodeData* data) {
    return reinterpret_cast<JsonPiece*>(reinterpret_cast<std::uintptr_t>(data) & ~std::uintptr_t(1));
}
inline JsonNodeData* pieceHandle(JsonPiece* piece) {
    return reinterpret_cast<JsonNodeData*>(reinterpret_cast<std::uintptr_t>(piece) | 1u);
}

// Makes child `piece` a record (json_node.cpp). The slot keeps pointing at it,
// and a split piece hands its children over.
JsonNodeData* recordFromPiece(JsonPiece* piece);

// Reads of a piece without making it a record (json_reader.cpp). A piece whose
// text turns out invalid on its first read becomes Null, as a record would.
JsonType pieceType(JsonPiece& piece);
float pieceFloat(JsonPiece& piece);
std::string pieceString(JsonPiece& piece);
// Splits a container piece on first use; false when it turned Null.
bool fetchPiece(JsonPiece& piece);
// Fills a fresh record from a piece (json_reader.cpp).
void fillFromPiece(JsonNodeData& record, JsonPiece& piece, JsonText* store);
