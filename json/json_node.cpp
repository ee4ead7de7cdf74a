#include "json/json_node.h"

#include "json/json_node_data.h"
#include "json/json_reader.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

// ---------------------------------------------------------------------------
// Storage

JsonText* JsonText::allocate(std::size_t size) {
    if (size > static_cast<std::size_t>(-1) - sizeof(JsonText) - 1) throw std::bad_alloc();
    void* memory = ::operator new(sizeof(JsonText) + size + 1);
    JsonText* text = new (memory) JsonText{1, size, {}};
    text->bytes()[size] = '\0';
    return text;
}

void JsonText::release(JsonText* text) {
    if (!text || --text->refs != 0) return;
    text->~JsonText();
    ::operator delete(text);
}

namespace {

constexpr std::size_t roundUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

constexpr std::size_t kBlockHeader = roundUp(sizeof(JsonBlock), alignof(JsonNodeData));

}  // namespace

JsonBlock* JsonBlock::allocate(std::uint32_t count) {
    static_assert(sizeof(JsonNodeData) % alignof(JsonNode) == 0);
    std::size_t bytes = kBlockHeader + std::size_t(count) * (sizeof(JsonNodeData) + sizeof(JsonNode));
    JsonBlock* block = static_cast<JsonBlock*>(::operator new(bytes));
    block->live = 0;
    return block;
}

JsonNodeData* JsonBlock::records() {
    return reinterpret_cast<JsonNodeData*>(reinterpret_cast<char*>(this) + kBlockHeader);
}

JsonNode* JsonBlock::slots(std::uint32_t count) {
    return reinterpret_cast<JsonNode*>(reinterpret_cast<char*>(this) + kBlockHeader +
                                       std::size_t(count) * sizeof(JsonNodeData));
}

void JsonBlock::drop() {
    if (--live == 0) ::operator delete(this);
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

JsonNodeData* newRecord() { return new JsonNodeData(); }

// Frees one dead record's own storage and its slot array. Children whose last
// reference this drops are pushed onto `dead` instead of being freed here, so
// that no depth of nesting ever recurses.
void destroyOne(JsonNodeData* data, JsonNodeData*& dead) {
    JsonChildren& children = data->children;
    for (std::uint32_t i = 0; i < children.count; ++i) {
        JsonNodeData*& child = JsonNodeData::dataOf(children.items[i]);
        JsonNodeData* c = child;
        child = nullptr;
        if (c && --c->refCount == 0) {
            c->nextDead = dead;
            dead = c;
        }
    }
    if (children.items) {
        if (children.itemsBlock)
            children.itemsBlock->drop();
        else
            std::free(children.items);
    }
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

JsonNodeData* JsonNodeData::deepCopy(const JsonNodeData* source) {
    JsonNodeData* root = newRecord();
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
            to->buildChildren(src.count, [&](JsonNodeData& child, std::uint32_t i) {
                copyFields(child, *dataOf(src.items[i]));
            });
            for (std::uint32_t i = 0; i < src.count; ++i) {
                if (dataOf(src.items[i])->children.count != 0)
                    pending.emplace_back(dataOf(src.items[i]), dataOf(to->children.items[i]));
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

JsonNode::JsonNode(JsonType type) : data_(newRecord()) {
    data_->type = type;
    data_->parsed = true;
    data_->hasChildren = data_->isContainer();
}

JsonNode::JsonNode(const JsonNode& other) : data_(other.data_) {
    if (data_) ++data_->refCount;
}

JsonNode& JsonNode::operator=(const JsonNode& other) {
    if (data_ == other.data_) return *this;
    if (other.data_) ++other.data_->refCount;
    JsonNodeData::release(std::exchange(data_, other.data_));
    return *this;
}

JsonNode& JsonNode::operator=(JsonNode&& other) noexcept {
    if (this != &other) JsonNodeData::release(std::exchange(data_, std::exchange(other.data_, nullptr)));
    return *this;
}

JsonNode::~JsonNode() { JsonNodeData::release(data_); }

void JsonNode::makeUnique() {
    if (!data_ || data_->refCount <= 1) return;
    JsonNodeData* copy = JsonNodeData::deepCopy(data_);
    --data_->refCount;
    data_ = copy;
}

JsonType JsonNode::type() const { return data_ ? data_->type : JsonType::Null; }

std::string JsonNode::name() const {
    return data_ ? std::string(data_->name, data_->nameSize) : std::string();
}

namespace {

// The fetched container behind a handle, or null for scalars, for a null
// handle and for a container whose text failed to split.
JsonNodeData* fetchedContainer(JsonNodeData* data) {
    if (!data || !data->isContainer()) return nullptr;
    data->fetch();
    return data->isContainer() ? data : nullptr;
}

}  // namespace

std::size_t JsonNode::size() const {
    JsonNodeData* data = fetchedContainer(data_);
    return data ? data->children.count : 0;
}

JsonIterator JsonNode::begin() const {
    JsonNodeData* data = fetchedContainer(data_);
    return JsonIterator(data ? data->children.items : nullptr);
}

JsonIterator JsonNode::end() const {
    JsonNodeData* data = fetchedContainer(data_);
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

JsonIterator JsonNode::find(std::string_view wanted) const {
    JsonNodeData* data = fetchedContainer(data_);
    if (!data) return JsonIterator();
    JsonNode* slot = data->children.items;
    JsonNode* last = slot + data->children.count;
    for (; slot != last; ++slot) {
        const JsonNodeData* child = slot->data_;
        if (child->nameSize == wanted.size() &&
            std::string_view(child->name, child->nameSize) == wanted)
            break;
    }
    return JsonIterator(slot);
}

float JsonNode::asFloat() const {
    if (!data_) return 0.0f;
    data_->fetch();
    switch (data_->type) {
        case JsonType::Null:
            return 0.0f;
        case JsonType::String:
            data_->value = jsonTextToFloat(std::string_view(data_->text, data_->textSize));
            return data_->value;
        default:
            return data_->value;
    }
}

std::int64_t JsonNode::asInt() const {
    float value = asFloat();
    // Outside this range (and for NaN) the conversion is undefined in C++;
    // x86 yields the "integer indefinite" value, which is kept here.
    if (!(value >= -9223372036854775808.0f && value < 9223372036854775808.0f))
        return INT64_MIN;
    return static_cast<std::int64_t>(value);
}

std::string JsonNode::asString() const {
    if (!data_) return std::string();
    data_->fetch();
    return std::string(data_->text, data_->textSize);
}

JsonNode JsonNode::asArray() const {
    JsonType t = type();
    if (t == JsonType::Array) return *this;
    if (t != JsonType::Object) return JsonNode(JsonType::Array);
    data_->fetch();
    // An object whose text failed to split is Null now and converts as one.
    if (data_->type != JsonType::Object) return JsonNode(JsonType::Array);
    JsonNode copy(*this);
    copy.makeUnique();
    copy.data_->type = JsonType::Array;
    JsonChildren& children = copy.data_->children;
    for (std::uint32_t i = 0; i < children.count; ++i) {
        children.items[i].makeUnique();
        children.items[i].data_->setName("", 0, nullptr);
    }
    return copy;
}
