#include "json/json_node.h"

#include "json/json_node_data.h"
#include "json/json_reader_detail.h"

#include <cstring>
#include <functional>
#include <new>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Storage

JsonText* JsonText::allocate(size_t size)
{
    if (size > static_cast<size_t>(-1) / 2)
        throw std::bad_alloc();
    void* memory = ::operator new(sizeof(JsonText) + kPadding + size + 1 + kPadding);
    JsonText* text = new (memory) JsonText{1, size, {}, nullptr};
    std::memset(text->bytes() - kPadding, 0, kPadding);
    std::memset(text->bytes() + size, 0, 1 + kPadding);
    return text;
}

void JsonText::release(JsonText* text)
{
    if (!text || --text->refs != 0)
        return;
    // Every block holds a reference, so no block is left in the chunk.
    ::operator delete(text->chunk);
    text->~JsonText();
    ::operator delete(text);
}

void* JsonText::carve(size_t bytes, JsonChunk*& from)
{
    const auto newChunk = [](size_t capacity) {
        return new (::operator new(sizeof(JsonChunk) + capacity)) JsonChunk{0, 0, capacity};
    };
    bytes = (bytes + 15) & ~size_t(15);
    if (bytes > JsonChunk::kBytes / 8) {
        from = newChunk(bytes); // a chunk of its own, freed with the block
    } else {
        if (!chunk || chunk->capacity - chunk->used < bytes) {
            JsonChunk* fresh = newChunk(JsonChunk::kBytes - sizeof(JsonChunk));
            if (chunk && chunk->live == 0)
                ::operator delete(chunk);
            chunk = fresh;
        }
        from = chunk;
    }
    void* memory = from->bytes() + from->used;
    from->used += bytes;
    ++from->live;
    return memory;
}

void JsonText::giveBack(JsonChunk* from)
{
    if (--from->live != 0)
        return;
    if (from == chunk)
        from->used = 0; // the current chunk is emptied for reuse
    else
        ::operator delete(from);
}

JsonBlock* JsonBlock::allocate(size_t count, JsonText* store, bool nullSlots)
{
    if (count >= 0x3FFFFFFFu)
        throw std::bad_alloc(); // `count` has 30 bits
    const size_t bytes = sizeof(JsonBlock) + count * (sizeof(JsonNode) + sizeof(JsonNodeData));
    JsonChunk* chunk = nullptr;
    void* memory = store ? store->carve(bytes, chunk) : ::operator new(bytes);
    JsonBlock* block = new (memory) JsonBlock{1, uint32_t(count), 0, 0, store, chunk, nullptr};
    JsonText::retain(store);
    if (nullSlots)
        std::memset(static_cast<void*>(block->slots()), 0, count * sizeof(JsonNode));
    return block;
}

JsonNodeData* JsonBlock::newLoneRecord(JsonText* store, bool withTail, size_t tailName)
{
    // The tail takes the place of the slot, which a record of its own never
    // uses.
    if (tailName > static_cast<size_t>(-1) / 2)
        throw std::bad_alloc();
    const size_t tail = withTail ? sizeof(JsonTail) + tailName : 0;
    JsonBlock* block =
        allocate(1 + (tail + sizeof(JsonNodeData) - 1) / sizeof(JsonNodeData), store);
    block->count = 1;
    block->live = 0;
    JsonNodeData* record = block->newRecord(0);
    record->tail = withTail;
    return record;
}

void JsonBlock::drop()
{
    if (--live != 0)
        return;
    JsonText* text = store;
    if (chunk)
        text->giveBack(chunk);
    else
        ::operator delete(this);
    JsonText::release(text);
}

namespace {

// Copies everything but the children into a blank record; a decoded string
// is shared, not copied. Whether the copy is plain: no decoded bytes, and no
// children to come.
bool copyFields(JsonNodeData& to, const JsonNodeData& from)
{
    const uint32_t index = to.index;
    if (from.tail) {
        JsonTail* tail = reinterpret_cast<JsonTail*>(&to + 1);
        *tail = *reinterpret_cast<const JsonTail*>(&from + 1);
        std::memcpy(tail->name(), reinterpret_cast<const JsonTail*>(&from + 1) + 1, tail->nameSize);
    }
    to = from;
    to.refCount = 1;
    to.index = index;
    if (from.decoded)
        JsonText::retain(from.decodedText);
    if (from.isSplit())
        to.children = nullptr; // filled by the caller
    return !from.decoded && !from.isSplit();
}

// A blank record for a copy of `source`: in `block` when it can go there,
// else in a block of its own (a value assigned from another text, a child
// with a tail).
JsonNodeData* copySpace(const JsonNodeData* source, JsonBlock* block, uint32_t i)
{
    if (block && !source->tail && source->store() == block->store)
        return block->newRecord(i);
    return JsonBlock::newLoneRecord(
        source->store(), source->tail,
        source->tail ? reinterpret_cast<const JsonTail*>(source + 1)->nameSize : 0);
}

// A block no container holds any more: a plain one is freed at once, others
// join the worklist. Freeing plain blocks here, not from the list, lets their
// cache misses overlap: a list of blocks is a chain of dependent loads.
void retire(JsonBlock* block, JsonBlock*& dead)
{
    if (block->plain) {
        block->live = 1; // its records die with their slots
        block->drop();
    } else {
        block->nextDead = dead;
        dead = block;
    }
}

// Frees a record whose count has reached 0, but for its place in its home
// block; its children are retired.
void destroy(JsonNodeData* record, JsonBlock*& dead)
{
    if (record->decoded)
        JsonText::release(record->decodedText);
    if (JsonBlock* children = record->childBlock())
        retire(children, dead);
}

// Releases the slots of every block on the worklist, and the blocks; a tree
// of any depth is freed without recursion.
void releaseBlocks(JsonBlock* dead)
{
    while (dead) {
        JsonBlock* block = dead;
        dead = block->nextDead;
        JsonNode* slots = block->slots();
        uint32_t died = 0; // records of this block
        for (uint32_t i = 0; i < block->count; ++i) {
            JsonNodeData* child = JsonNodeData::dataOf(slots[i]);
            if (!child || --child->refCount != 0)
                continue;
            destroy(child, dead);
            if (child->home() == block)
                ++died;
            else
                child->home()->drop();
        }
        block->live -= died;
        block->drop();
    }
}

} // namespace

void JsonNodeData::release(JsonNodeData* data)
{
    if (!data || --data->refCount != 0)
        return;
    JsonBlock* dead = nullptr;
    destroy(data, dead);
    data->home()->drop();
    releaseBlocks(dead);
}

void JsonBlock::release(JsonBlock* block)
{
    JsonBlock* dead = nullptr;
    retire(block, dead);
    releaseBlocks(dead);
}

JsonNodeData* JsonNodeData::deepCopy(const JsonNodeData* source)
{
    JsonNodeData* root = copySpace(source, nullptr, 0);
    // Blocks still to be copied and where their copies go; a worklist
    // instead of recursion keeps any depth safe.
    std::vector<std::pair<JsonBlock*, JsonBlock**>> pending;
    try {
        copyFields(*root, *source);
        if (JsonBlock* children = source->childBlock())
            pending.emplace_back(children, &root->children);
        while (!pending.empty()) {
            auto [from, to] = pending.back();
            pending.pop_back();
            const uint32_t count = from->count;
            JsonBlock* block = JsonBlock::allocate(count, from->store);
            *to = block; // from here on, releasing the root frees it
            const JsonNode* sourceSlots = from->slots();
            JsonNode* slots = block->slots();
            bool plain = true;
            if (from->plain) { // records owning nothing, one in each slot: copied as they are
                std::memcpy(static_cast<void*>(block->records()), from->records(),
                            count * sizeof(JsonNodeData));
                for (uint32_t i = 0; i < count; ++i)
                    dataOf(slots[i]) = block->records() + i;
                block->live += count;
                block->plain = 1;
                continue;
            }
            for (uint32_t i = 0; i < count; ++i) {
                const JsonNodeData* child = dataOf(sourceSlots[i]);
                if (!child) {
                    plain = false;
                    continue;
                }
                JsonNodeData* copy = copySpace(child, block, i);
                dataOf(slots[i]) = copy;
                plain &= copyFields(*copy, *child) && copy->home() == block;
                if (JsonBlock* children = child->childBlock())
                    pending.emplace_back(children, &copy->children);
            }
            block->plain = plain;
        }
    } catch (...) {
        release(root);
        throw;
    }
    return root;
}

// ---------------------------------------------------------------------------
// Handles

JsonNode::JsonNode(JsonType type) : data_(JsonBlock::newLoneRecord(nullptr))
{
    data_->type = type;
    if (data_->isContainer())
        data_->children = nullptr;
}

namespace {

// The record is shared, moved or replaced: its block is no longer plain.
inline JsonNodeData* touched(JsonNodeData* data)
{
    if (data)
        data->home()->plain = 0;
    return data;
}

// The children of the container behind a handle, fetched first; null for a
// null handle, a scalar, an empty container and one that failed to split.
JsonBlock* childrenOf(JsonNodeData* data)
{
    if (!data || !data->isContainer())
        return nullptr;
    data->fetch();
    return data->childBlock();
}

// The first slot of the container behind `data` whose child's name `equal`
// accepts, or the end; a null iterator for a scalar.
template <class Equal>
JsonConstIterator findName(JsonNodeData* data, Equal&& equal)
{
    JsonBlock* children = childrenOf(data);
    if (!children)
        return JsonConstIterator();
    JsonNode* slot = children->slots();
    JsonNode* const last = slot + children->count;
    for (; slot != last; ++slot) {
        const JsonNodeData* child = JsonNodeData::dataOf(*slot);
        if (equal(child ? child->nameView() : std::string_view()))
            break;
    }
    return JsonConstIterator(slot);
}

// Whether `slot` is a child slot of the container behind `data` or of one
// below it: assigning `data` there would make a tree that holds itself. A slot
// that can be assigned to lies in a block a modifying iterator was handed out
// for, reached from the top through such blocks alone (a handle of its own
// onto a shared record detaches before it hands one out), so the walk follows
// only those; reading never makes it longer.
bool isSlotWithin(const JsonNode* slot, const JsonNodeData* data)
{
    JsonBlock* children = data ? data->childBlock() : nullptr;
    if (!children || !children->handedOut)
        return false;
    const std::less<const JsonNode*> before;
    std::vector<JsonBlock*> pending{children};
    while (!pending.empty()) {
        JsonBlock* block = pending.back();
        pending.pop_back();
        JsonNode* const first = block->slots();
        JsonNode* const last = first + block->count;
        if (!before(slot, first) && before(slot, last))
            return true;
        for (JsonNode* s = first; s != last; ++s)
            if (const JsonNodeData* child = JsonNodeData::dataOf(*s))
                if (JsonBlock* below = child->childBlock(); below && below->handedOut)
                    pending.push_back(below);
    }
    return false;
}

} // namespace

JsonNode::JsonNode(const JsonNode& other) : data_(touched(other.data_))
{
    if (data_)
        ++data_->refCount;
}

JsonNode::JsonNode(JsonNode&& other) noexcept : data_(touched(std::exchange(other.data_, nullptr)))
{
}

JsonNode& JsonNode::operator=(const JsonNode& other)
{
    JsonNodeData* data = other.data_;
    if (data == data_)
        return *this;
    if (isSlotWithin(this, data)) {
        // Into a slot of its own tree: the slot takes a copy of the value as it
        // is now (the old child included), never a link to an ancestor.
        JsonNodeData::release(touched(std::exchange(data_, JsonNodeData::deepCopy(data))));
        return *this;
    }
    if (touched(data))
        ++data->refCount;
    JsonNodeData::release(touched(std::exchange(data_, data)));
    return *this;
}

JsonNode& JsonNode::operator=(JsonNode&& other)
{
    // Moving a tree into one of its own slots would free the slot with the
    // tree, or keep the tree alive through itself: it is copied instead.
    if (other.data_ != data_ && isSlotWithin(this, other.data_))
        return *this = std::as_const(other);
    if (this != &other)
        JsonNodeData::release(
            touched(std::exchange(data_, touched(std::exchange(other.data_, nullptr)))));
    return *this;
}

JsonNode::~JsonNode()
{
    JsonNodeData::release(data_);
}

void JsonNode::makeUnique()
{
    if (!data_ || data_->refCount <= 1)
        return;
    JsonNodeData* copy = JsonNodeData::deepCopy(data_);
    --data_->refCount;
    data_ = copy;
}

JsonType JsonNode::type() const
{
    return data_ ? data_->type : JsonType::Null;
}

std::string JsonNode::name() const
{
    return data_ ? std::string(data_->nameView()) : std::string();
}

size_t JsonNode::size() const
{
    const JsonBlock* children = childrenOf(data_);
    return children ? children->count : 0;
}

JsonConstIterator JsonNode::begin() const
{
    JsonBlock* children = childrenOf(data_);
    return JsonConstIterator(children ? children->slots() : nullptr);
}

JsonConstIterator JsonNode::end() const
{
    JsonBlock* children = childrenOf(data_);
    return JsonConstIterator(children ? children->slots() + children->count : nullptr);
}

namespace {

// The children of a handle about to hand out a modifying iterator over them.
JsonBlock* handOut(JsonNode& node)
{
    node.makeUnique();
    JsonBlock* children = childrenOf(JsonNodeData::dataOf(node));
    if (children)
        children->handedOut = 1;
    return children;
}

} // namespace

JsonIterator JsonNode::begin()
{
    JsonBlock* children = handOut(*this);
    return JsonIterator(children ? children->slots() : nullptr);
}

JsonIterator JsonNode::end()
{
    JsonBlock* children = handOut(*this);
    return JsonIterator(children ? children->slots() + children->count : nullptr);
}

JsonConstIterator JsonNode::find(const char* wanted) const
{
    if (!wanted)
        wanted = "";
    // Equal when the names agree byte for byte and `wanted` ends there; the
    // walk stops at the end of `wanted`, so it reads nothing past it.
    return findName(data_, [wanted](std::string_view name) {
        size_t i = 0;
        while (i < name.size() && wanted[i] == name[i] && wanted[i] != '\0')
            ++i;
        return i == name.size() && wanted[i] == '\0';
    });
}

JsonConstIterator JsonNode::find(std::string_view wanted) const
{
    return findName(data_, [wanted](std::string_view name) { return name == wanted; });
}

float JsonNode::asFloat() const
{
    if (!data_)
        return 0.0f;
    data_->fetch();
    switch (data_->type) {
    case JsonType::
        String: // the decoded bytes, or those after the opening quote up to the closing one
        return cNumberToFloat(data_->stringView());
    case JsonType::Number:
    case JsonType::Bool: return data_->value;
    default: return 0.0f;
    }
}

int64_t JsonNode::asInt() const
{
    const float value = asFloat();
    // Outside this range (and for NaN) the conversion is undefined in C++;
    // x86 yields the "integer indefinite" value, which is kept here.
    if (!(value >= -9223372036854775808.0f && value < 9223372036854775808.0f))
        return INT64_MIN;
    return static_cast<int64_t>(value);
}

std::string JsonNode::asString() const
{
    if (!data_)
        return std::string();
    data_->fetch();
    return std::string(data_->stringView());
}

JsonNode JsonNode::asArray() const
{
    const JsonType t = type();
    if (t == JsonType::Array)
        return *this;
    // An object whose text fails to split is Null then, and converts as one.
    if (t != JsonType::Object || (data_->fetch(), data_->type != JsonType::Object))
        return JsonNode(JsonType::Array);
    JsonNode copy(*this);
    copy.makeUnique(); // always a deep copy: this handle shares the record too
    copy.data_->type = JsonType::Array;
    if (JsonBlock* children = copy.data_->childBlock()) {
        for (uint32_t i = 0; i < children->count; ++i)
            if (JsonNodeData* child = children->slots()[i].data_) {
                child->nameSize = 0;
                if (child->tail)
                    reinterpret_cast<JsonTail*>(child + 1)->nameSize = 0;
            }
    }
    return copy;
}
