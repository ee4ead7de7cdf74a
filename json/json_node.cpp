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

constexpr std::size_t kChunkBytes = 64 * 1024;

JsonChunk* newChunk(std::size_t capacity) {
    JsonChunk* chunk = static_cast<JsonChunk*>(::operator new(sizeof(JsonChunk) + capacity));
    chunk->live = 0;
    chunk->used = 0;
    chunk->capacity = capacity;
    return chunk;
}

}  // namespace

JsonText::~JsonText() { ::operator delete(chunk); }

void* JsonText::allocateBlockMemory(std::size_t bytes, JsonChunk*& owner) {
    bytes = (bytes + 15) & ~std::size_t(15);
    if (bytes > kChunkBytes / 8) {
        owner = newChunk(bytes);  // a chunk of its own, freed with the block
        owner->live = 1;
        return owner->bytes();
    }
    if (!chunk || chunk->capacity - chunk->used < bytes) {
        JsonChunk* fresh = newChunk(kChunkBytes);
        if (chunk && chunk->live == 0) ::operator delete(chunk);
        chunk = fresh;
    }
    void* memory = chunk->bytes() + chunk->used;
    chunk->used += bytes;
    ++chunk->live;
    owner = chunk;
    return memory;
}

void JsonText::freeBlockMemory(JsonChunk* owner) {
    if (--owner->live != 0) return;
    if (owner == chunk)
        owner->used = 0;  // the current chunk is emptied for reuse
    else
        ::operator delete(owner);
}

JsonBlock* JsonBlock::allocate(std::uint32_t count, JsonText* store, bool nullSlots) {
    JsonChunk* chunk;
    void* memory = store->allocateBlockMemory(
        sizeof(JsonBlock) + std::size_t(count) * (sizeof(JsonPiece) + sizeof(JsonNode)), chunk);
    JsonBlock* block = static_cast<JsonBlock*>(memory);
    block->live = 1;
    block->count = count;
    block->store = store;
    block->chunk = chunk;
    block->recordArea = nullptr;
    block->recordAreaChunk = nullptr;
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
    if (recordAreaChunk) text->freeBlockMemory(recordAreaChunk);
    text->freeBlockMemory(chunk);
    JsonText::release(text);
}

JsonNodeData* JsonBlock::newRecord(std::uint32_t i) {
    if (!recordArea)
        recordArea = static_cast<JsonNodeData*>(
            store->allocateBlockMemory(std::size_t(count) * sizeof(JsonNodeData), recordAreaChunk));
    JsonNodeData* record = new (recordArea + i) JsonNodeData();
    record->block = this;
    ++live;
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

// Frees one dead record's own storage and its slot array. Children whose last
// reference this drops are pushed onto `dead` instead of being freed here, so
// that no depth of nesting ever recurses.
void destroyOne(JsonNodeData* data, JsonNodeData*& dead) {
    JsonChildren& children = data->children;
    for (std::uint32_t i = 0; i < children.count; ++i) {
        JsonNodeData* child = JsonNodeData::dataOf(children.items[i]);
        if (!child || isPieceHandle(child)) continue;
        if (--child->refCount == 0) {
            child->nextDead = dead;
            dead = child;
        }
    }
    if (children.block) children.block->drop();
    JsonText::release(data->textStore);
    JsonText::release(data->nameStore);
    JsonBlock* block = data->block;
    data->~JsonNodeData();
    if (block)
        block->drop();
    else
        ::operator delete(data);
}

// Copies everything but the children; the copy shares the immutable texts.
void copyFields(JsonNodeData& to, const JsonNodeData& from) {
    to.type = from.type;
    to.parsed = from.parsed;
    to.hasChildren = from.hasChildren;
    to.value = from.value;
    to.bracket = from.bracket;
    to.setText(from.text, from.textSize, from.textStore);
    to.setName(from.name, from.nameSize, from.nameStore);
}

void releaseHandle(JsonNodeData* data) {
    if (data && !isPieceHandle(data)) JsonNodeData::release(data);
}

// The fetched container behind a record, or null for scalars and for a
// container whose text failed to split.
JsonNodeData* fetchedContainer(JsonNodeData* data) {
    if (!data || !data->isContainer()) return nullptr;
    data->fetch();
    return data->isContainer() ? data : nullptr;
}

bool isContainerType(JsonType type) { return type == JsonType::Array || type == JsonType::Object; }

}  // namespace

void JsonNodeData::release(JsonNodeData* data) {
    if (!data || --data->refCount != 0) return;
    data->nextDead = nullptr;
    JsonNodeData* dead = data;
    while (dead) {
        JsonNodeData* current = dead;
        dead = current->nextDead;
        destroyOne(current, dead);
    }
}

void JsonNodeData::dropChildren() {
    for (std::uint32_t i = 0; i < children.count; ++i) releaseHandle(std::exchange(dataOf(children.items[i]), nullptr));
    if (children.block) children.block->drop();
    children = JsonChildren();
}

JsonNodeData* JsonNodeData::deepCopy(const JsonNodeData* source) {
    JsonNodeData* root = new JsonNodeData();
    // Pairs whose children still have to be copied; a worklist instead of
    // recursion keeps any depth safe.
    std::vector<std::pair<const JsonNodeData*, JsonNodeData*>> pending;
    try {
        copyFields(*root, *source);
        pending.emplace_back(source, root);
        while (!pending.empty()) {
            auto [from, to] = pending.back();
            pending.pop_back();
            const JsonChildren& src = from->children;
            if (src.count == 0) continue;
            JsonBlock* block = JsonBlock::allocate(src.count, src.block->store);
            std::memcpy(static_cast<void*>(block->pieces()), src.block->pieces(), src.count * sizeof(JsonPiece));
            to->children = {block->slots(), src.count, src.count, block};
            JsonNode* slots = block->slots();
            for (std::uint32_t i = 0; i < src.count; ++i) {
                const JsonNodeData* child = dataOf(src.items[i]);
                if (!child) continue;
                if (isPieceHandle(child)) {
                    dataOf(slots[i]) = pieceHandle(block->pieces() + i);
                    continue;
                }
                JsonNodeData* copy = block->newRecord(i);
                dataOf(slots[i]) = copy;
                copyFields(*copy, *child);
                if (child->children.count != 0) pending.emplace_back(child, copy);
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
    data_->hasChildren = data_->isContainer();
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

JsonNode& JsonNode::operator=(const JsonNode& other) {
    JsonNodeData* data = other.record();
    if (data == data_) return *this;
    if (data) ++data->refCount;
    releaseHandle(std::exchange(data_, data));
    return *this;
}

JsonNode& JsonNode::operator=(JsonNode&& other) {
    if (this == &other) return *this;
    if (isPieceHandle(other.data_)) return *this = static_cast<const JsonNode&>(other);
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

std::size_t JsonNode::size() const {
    if (!data_ || (isPieceHandle(data_) && !isContainerType(pieceOf(data_)->type))) return 0;
    JsonNodeData* data = fetchedContainer(record());
    return data ? data->children.count : 0;
}

JsonIterator JsonNode::begin() const {
    if (!data_ || (isPieceHandle(data_) && !isContainerType(pieceOf(data_)->type))) return JsonIterator();
    JsonNodeData* data = fetchedContainer(record());
    return JsonIterator(data ? data->children.items : nullptr);
}

JsonIterator JsonNode::end() const {
    if (!data_ || (isPieceHandle(data_) && !isContainerType(pieceOf(data_)->type))) return JsonIterator();
    JsonNodeData* data = fetchedContainer(record());
    return JsonIterator(data ? data->children.items + data->children.count : nullptr);
}

JsonIterator JsonNode::begin() {
    makeUnique();
    return std::as_const(*this).begin();
}

JsonIterator JsonNode::end() {
    makeUnique();
    return std::as_const(*this).end();
}

JsonIterator JsonNode::find(const char* wanted) const {
    if (!wanted) wanted = "";
    if (!data_ || (isPieceHandle(data_) && !isContainerType(pieceOf(data_)->type))) return JsonIterator();
    JsonNodeData* data = fetchedContainer(record());
    if (!data) return JsonIterator();
    JsonNode* slot = data->children.items;
    JsonNode* const last = slot + data->children.count;
    for (; slot != last; ++slot) {
        const JsonNodeData* child = slot->data_;
        const char* name = "";
        std::size_t nameSize = 0;
        if (isPieceHandle(child)) {
            const JsonPiece* piece = pieceOf(child);
            nameSize = piece->nameSize;
            name = piece->name();
        } else if (child) {
            name = child->name;
            nameSize = child->nameSize;
        }
        // Equal when the names agree byte for byte and `wanted` ends there;
        // the walk stops at the end of `wanted`, so it reads nothing past it.
        std::size_t i = 0;
        while (i < nameSize && wanted[i] == name[i] && wanted[i] != '\0') ++i;
        if (i == nameSize && wanted[i] == '\0') break;
    }
    return JsonIterator(slot);
}

JsonIterator JsonNode::find(std::string_view wanted) const {
    if (!data_ || (isPieceHandle(data_) && !isContainerType(pieceOf(data_)->type))) return JsonIterator();
    JsonNodeData* data = fetchedContainer(record());
    if (!data) return JsonIterator();
    JsonNode* slot = data->children.items;
    JsonNode* last = slot + data->children.count;
    const std::size_t size = wanted.size();
    for (; slot != last; ++slot) {
        const JsonNodeData* child = slot->data_;
        const char* name;
        std::size_t nameSize;
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
    }
    JsonNodeData* data = record();
    data->fetch();
    return std::string(data->text, data->textSize);
}

JsonNode JsonNode::asArray() const {
    JsonType t = type();
    if (t == JsonType::Array) return *this;
    if (t != JsonType::Object) return JsonNode(JsonType::Array);
    JsonNodeData* data = record();
    data->fetch();
    // An object whose text failed to split is Null now and converts as one.
    if (data->type != JsonType::Object) return JsonNode(JsonType::Array);
    JsonNode copy(*this);
    copy.makeUnique();
    copy.data_->type = JsonType::Array;
    JsonChildren& children = copy.data_->children;
    for (std::uint32_t i = 0; i < children.count; ++i) {
        JsonNodeData* child = children.items[i].data_;
        if (isPieceHandle(child)) {
            pieceOf(child)->nameSize = 0;
        } else if (child) {
            children.items[i].makeUnique();
            children.items[i].data_->setName("", 0, nullptr);
        }
    }
    return copy;
}
