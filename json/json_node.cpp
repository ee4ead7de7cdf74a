#include "json/json_node.h"

#include "json/json_node_data.h"
#include "json/json_reader.h"

#include <cstring>
#include <new>
#include <utility>

// ---------------------------------------------------------------------------
// Storage

JsonText* JsonText::allocate(std::size_t size) {
    if (size > static_cast<std::size_t>(-1) - sizeof(JsonText) - 2 * kPadding - 1) throw std::bad_alloc();
    void* memory = ::operator new(sizeof(JsonText) + kPadding + size + 1 + kPadding);
    JsonText* text = new (memory) JsonText{1, size, {}};
    std::memset(text->bytes() - kPadding, 0, kPadding);
    std::memset(text->bytes() + size, 0, 1 + kPadding);
    return text;
}

void JsonText::destroy(JsonText* text) {
    text->~JsonText();
    ::operator delete(text);
}

namespace {

constexpr std::align_val_t kChunkAlignment{JsonChunk::kBytes};

JsonChunk* newChunk(std::size_t capacity) {
    JsonChunk* chunk = static_cast<JsonChunk*>(::operator new(sizeof(JsonChunk) + capacity, kChunkAlignment));
    chunk->live = 0;
    chunk->used = 0;
    chunk->capacity = capacity;
    return chunk;
}

void deleteChunk(JsonChunk* chunk) { ::operator delete(chunk, kChunkAlignment); }

}  // namespace

JsonText::~JsonText() {
    if (chunk) deleteChunk(chunk);
}

void* JsonText::allocateBlockMemory(std::size_t bytes) {
    bytes = (bytes + 15) & ~std::size_t(15);
    if (bytes > JsonChunk::kBytes / 8) {
        JsonChunk* own = newChunk(bytes);  // a chunk of its own, freed with the block
        own->live = 1;
        return own->bytes();
    }
    if (!chunk || chunk->capacity - chunk->used < bytes) {
        JsonChunk* fresh = newChunk(JsonChunk::kBytes - sizeof(JsonChunk));
        if (chunk && chunk->live == 0) deleteChunk(chunk);
        chunk = fresh;
    }
    void* memory = chunk->bytes() + chunk->used;
    chunk->used += bytes;
    ++chunk->live;
    return memory;
}

void JsonText::freeBlockMemory(void* memory) {
    JsonChunk* owner = JsonChunk::of(memory);
    if (--owner->live != 0) return;
    if (owner == chunk)
        owner->used = 0;  // the current chunk is emptied for reuse
    else
        deleteChunk(owner);
}

JsonBlock* JsonBlock::allocate(std::uint32_t count, JsonText* store, bool nullSlots) {
    void* memory =
        store->allocateBlockMemory(sizeof(JsonBlock) + std::size_t(count) * (sizeof(JsonPiece) + sizeof(JsonNode)));
    JsonBlock* block = static_cast<JsonBlock*>(memory);
    block->live = 1;
    block->count = count;
    block->nested = 0;
    block->store = store;
    block->recordArea = nullptr;
    block->nextDead = nullptr;
    JsonText::retain(store);
    if (nullSlots) {
        JsonNode* slots = block->slots();
        for (std::uint32_t i = 0; i < count; ++i) new (slots + i) JsonNode();
    }
    return block;
}

void JsonBlock::drop() {
    if (--live != 0) return;
    JsonText* text = store;
    if (recordArea) text->freeBlockMemory(recordArea);
    text->freeBlockMemory(this);
    JsonText::release(text);
}

JsonNodeData* JsonBlock::newRecord(std::uint32_t i) {
    if (!recordArea)
        recordArea = static_cast<JsonNodeData*>(store->allocateBlockMemory(std::size_t(count) * sizeof(JsonNodeData)));
    JsonNodeData* record = new (recordArea + i) JsonNodeData();
    record->block = this;
    ++live;
    nested = 1;
    return record;
}

JsonNodeData* recordFromPiece(JsonPiece* piece) {
    JsonBlock* block = JsonBlock::of(piece);
    JsonNodeData* record = block->newRecord(piece->index);
    fillFromPiece(*record, *piece, block->store);
    JsonNodeData::dataOf(block->slots()[piece->index]) = record;
    return record;
}

// ---------------------------------------------------------------------------
// Records

void JsonNodeData::setText(const char* bytes, std::size_t size, JsonText* store) {
    JsonText::retain(store);
    JsonText::release(textStore);
    text = bytes;
    textSize = size;
    textStore = store;
}

void JsonNodeData::setName(const char* bytes, std::size_t size, JsonText* store) {
    JsonText::retain(store);
    JsonText::release(nameStore);
    name = bytes;
    nameSize = size;
    nameStore = store;
}

void JsonNodeData::makeNull() {
    type = JsonType::Null;
    setText("null", 4, nullptr);
    parsed = true;
}

namespace {

// Copies everything but the children; the copy shares the immutable texts.
void copyFields(JsonNodeData& to, const JsonNodeData& from) {
    to.type = from.type;
    to.parsed = from.parsed;
    to.value = from.value;
    to.bracket = from.bracket;
    to.setText(from.text, from.textSize, from.textStore);
    to.setName(from.name, from.nameSize, from.nameStore);
}

void releaseHandle(JsonNodeData* data) {
    if (data && !isPieceHandle(data)) JsonNodeData::release(data);
}

bool isContainerType(JsonType type) { return type == JsonType::Array || type == JsonType::Object; }

// Frees dead records and released blocks without recursion: a record that
// dies hands its children block over, and a released block hands over the
// records its slots held last and the children of its split pieces.
void releaseAll(JsonNodeData* deadRecords, JsonBlock* deadBlocks) {
    for (;;) {
        if (deadRecords) {
            JsonNodeData* record = deadRecords;
            deadRecords = record->nextDead;
            if (JsonBlock* children = record->children.block) {
                children->nextDead = deadBlocks;
                deadBlocks = children;
            }
            JsonText::release(record->textStore);
            JsonText::release(record->nameStore);
            JsonBlock* home = record->block;
            record->~JsonNodeData();
            if (home)
                home->drop();
            else
                ::operator delete(record);
        } else if (deadBlocks) {
            JsonBlock* block = deadBlocks;
            deadBlocks = block->nextDead;
            if (!block->nested) {
                block->drop();
                continue;
            }
            JsonNode* slots = block->slots();
            for (std::uint32_t i = 0; i < block->count; ++i) {
                JsonNodeData* child = JsonNodeData::dataOf(slots[i]);
                if (!child) continue;
                if (isPieceHandle(child)) {
                    if (JsonBlock* grandchildren = pieceOf(child)->children.block) {
                        __builtin_prefetch(grandchildren);
                        grandchildren->nextDead = deadBlocks;
                        deadBlocks = grandchildren;
                    }
                } else if (--child->refCount == 0) {
                    child->nextDead = deadRecords;
                    deadRecords = child;
                }
            }
            block->drop();
        } else {
            return;
        }
    }
}

}  // namespace

void JsonNodeData::release(JsonNodeData* data) {
    if (!data || --data->refCount != 0) return;
    data->nextDead = nullptr;
    releaseAll(data, nullptr);
}

void JsonBlock::release(JsonBlock* block) {
    if (!block) return;
    block->nextDead = nullptr;
    releaseAll(nullptr, block);
}

JsonNodeData* JsonNodeData::deepCopy(const JsonNodeData* source) {
    JsonNodeData* root = new JsonNodeData();
    // Children blocks still to be copied and where their copies go; a
    // worklist instead of recursion keeps any depth safe.
    std::vector<std::pair<JsonBlock*, JsonChildren*>> pending;
    try {
        copyFields(*root, *source);
        if (source->children.block) pending.emplace_back(source->children.block, &root->children);
        while (!pending.empty()) {
            auto [from, to] = pending.back();
            pending.pop_back();
            const std::uint32_t count = from->count;
            JsonBlock* block = JsonBlock::allocate(count, from->store, false);
            JsonPiece* pieces = block->pieces();
            const JsonPiece* sourcePieces = from->pieces();
            JsonNode* slots = block->slots();
            const JsonNode* sourceSlots = from->slots();
            // Pieces and slots first, so that the block can be released as
            // soon as it is attached.
            for (std::uint32_t i = 0; i < count; ++i) {
                pieces[i] = sourcePieces[i];
                pieces[i].children = JsonChildren();
                const JsonNodeData* child = dataOf(sourceSlots[i]);
                new (slots + i) JsonNode(isPieceHandle(child) ? pieceHandle(pieces + i) : nullptr);
                if (!child) block->nested = 1;  // an emptied slot may be assigned to later
            }
            to->block = block;  // from here on, releasing the root frees it
            for (std::uint32_t i = 0; i < count; ++i) {
                const JsonNodeData* child = dataOf(sourceSlots[i]);
                if (!child) continue;
                if (isPieceHandle(child)) {
                    if (JsonBlock* grandchildren = pieceOf(child)->children.block) {
                        block->nested = 1;
                        pending.emplace_back(grandchildren, &pieces[i].children);
                    }
                    continue;
                }
                JsonNodeData* copy = block->newRecord(i);
                dataOf(slots[i]) = copy;
                copyFields(*copy, *child);
                if (child->children.block) pending.emplace_back(child->children.block, &copy->children);
            }
        }
    } catch (...) {
        release(root);
        throw;
    }
    return root;
}

// ---------------------------------------------------------------------------
// Handles

JsonNode::JsonNode(JsonType type) : data_(new JsonNodeData()) {
    data_->type = type;
    data_->parsed = true;
}

JsonNode::JsonNode(const JsonNode& other) : data_(other.record()) {
    if (data_) ++data_->refCount;
}

JsonNode::JsonNode(JsonNode&& other) {
    if (isPieceHandle(other.data_)) {
        // A container slot keeps its child: moving from it shares instead.
        data_ = other.record();
        ++data_->refCount;
    } else {
        data_ = std::exchange(other.data_, nullptr);
    }
}

namespace {

// Assigning to a slot that still holds a piece: its block now holds a record.
void markAssigned(JsonNodeData* old) {
    if (isPieceHandle(old)) JsonBlock::of(pieceOf(old))->nested = 1;
}

}  // namespace

JsonNode& JsonNode::operator=(const JsonNode& other) {
    JsonNodeData* data = other.record();
    if (data == data_) return *this;
    if (data) ++data->refCount;
    markAssigned(data_);
    releaseHandle(std::exchange(data_, data));
    return *this;
}

JsonNode& JsonNode::operator=(JsonNode&& other) {
    if (this == &other) return *this;
    if (isPieceHandle(other.data_)) return *this = static_cast<const JsonNode&>(other);
    markAssigned(data_);
    releaseHandle(std::exchange(data_, std::exchange(other.data_, nullptr)));
    return *this;
}

JsonNode::~JsonNode() { releaseHandle(data_); }

JsonNodeData* JsonNode::record() const {
    if (isPieceHandle(data_)) data_ = recordFromPiece(pieceOf(data_));
    return data_;
}

void JsonNode::makeUnique() {
    if (!data_ || isPieceHandle(data_) || data_->refCount <= 1) return;
    JsonNodeData* copy = JsonNodeData::deepCopy(data_);
    --data_->refCount;
    data_ = copy;
}

JsonType JsonNode::type() const {
    if (!data_) return JsonType::Null;
    if (isPieceHandle(data_)) return pieceType(*pieceOf(data_));
    return data_->type;
}

std::string JsonNode::name() const {
    if (!data_) return std::string();
    if (isPieceHandle(data_)) {
        const JsonPiece* piece = pieceOf(data_);
        return std::string(piece->name(), piece->nameSize);
    }
    return std::string(data_->name, data_->nameSize);
}

namespace {

// The children of the container behind a handle, fetched first; null for a
// null handle, a scalar, and a container whose text failed to split. A slot
// whose child is still a piece is split in place and stays a piece.
const JsonChildren* containerOf(JsonNodeData* data) {
    if (!data) return nullptr;
    if (isPieceHandle(data)) {
        JsonPiece* piece = pieceOf(data);
        if (!isContainerType(piece->type) || (!piece->checked && !fetchPiece(*piece))) return nullptr;
        return &piece->children;
    }
    if (!data->isContainer()) return nullptr;
    data->fetch();
    return data->isContainer() ? &data->children : nullptr;
}

}  // namespace

std::size_t JsonNode::size() const {
    const JsonChildren* children = containerOf(data_);
    return children ? children->count() : 0;
}

JsonIterator JsonNode::begin() const {
    const JsonChildren* children = containerOf(data_);
    return JsonIterator(children ? children->items() : nullptr);
}

JsonIterator JsonNode::end() const {
    const JsonChildren* children = containerOf(data_);
    return JsonIterator(children ? children->items() + children->count() : nullptr);
}

JsonIterator JsonNode::begin() {
    makeUnique();
    return std::as_const(*this).begin();
}

JsonIterator JsonNode::end() {
    makeUnique();
    return std::as_const(*this).end();
}

namespace {

// The name of the child in a slot, without making it a record.
inline void slotName(const JsonNodeData* child, const char*& name, std::size_t& nameSize) {
    if (isPieceHandle(child)) {
        const JsonPiece* piece = pieceOf(child);
        name = piece->name();
        nameSize = piece->nameSize;
    } else if (child) {
        name = child->name;
        nameSize = child->nameSize;
    } else {
        name = "";
        nameSize = 0;
    }
}

}  // namespace

JsonIterator JsonNode::find(const char* wanted) const {
    if (!wanted) wanted = "";
    const JsonChildren* children = containerOf(data_);
    if (!children) return JsonIterator();
    JsonNode* slot = children->items();
    JsonNode* const last = slot + children->count();
    for (; slot != last; ++slot) {
        const char* name;
        std::size_t nameSize;
        slotName(slot->data_, name, nameSize);
        // Equal when the names agree byte for byte and `wanted` ends there;
        // the walk stops at the end of `wanted`, so it reads nothing past it.
        std::size_t i = 0;
        while (i < nameSize && wanted[i] == name[i] && wanted[i] != '\0') ++i;
        if (i == nameSize && wanted[i] == '\0') break;
    }
    return JsonIterator(slot);
}

JsonIterator JsonNode::find(std::string_view wanted) const {
    const JsonChildren* children = containerOf(data_);
    if (!children) return JsonIterator();
    JsonNode* slot = children->items();
    JsonNode* const last = slot + children->count();
    const std::size_t size = wanted.size();
    for (; slot != last; ++slot) {
        const char* name;
        std::size_t nameSize;
        slotName(slot->data_, name, nameSize);
        if (nameSize == size && (size == 0 || (name[0] == wanted[0] && std::memcmp(name, wanted.data(), size) == 0)))
            break;
    }
    return JsonIterator(slot);
}

std::string JsonNode::asString() const {
    if (!data_) return std::string();
    if (isPieceHandle(data_)) {
        JsonPiece* piece = pieceOf(data_);
        if (!isContainerType(piece->type)) return pieceString(*piece);
        if (!fetchPiece(*piece)) return "null";
        return std::string();  // a split container's text is emptied
    }
    data_->fetch();
    return std::string(data_->text, data_->textSize);
}

JsonNode JsonNode::asArray() const {
    JsonType t = type();
    if (t == JsonType::Array) return *this;
    if (t != JsonType::Object) return JsonNode(JsonType::Array);
    // An object whose text fails to split is Null then and converts as one.
    if (!containerOf(data_)) return JsonNode(JsonType::Array);
    JsonNode copy(*this);
    copy.makeUnique();
    copy.data_->type = JsonType::Array;
    JsonNode* items = copy.data_->children.items();
    for (std::uint32_t i = 0, n = copy.data_->children.count(); i < n; ++i) {
        JsonNodeData* child = items[i].data_;
        if (isPieceHandle(child)) {
            pieceOf(child)->nameSize = 0;
        } else if (child) {
            items[i].makeUnique();
            items[i].data_->setName("", 0, nullptr);
        }
    }
    return copy;
}
