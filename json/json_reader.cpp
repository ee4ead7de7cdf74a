// The reader of the game's JSON dialect: once the whole text is compacted
// (json_compact.cpp), each container is split lazily, one level at a time,
// into child records that point into the text.

#include "json/json_reader.h"

#include "json/json_node.h"
#include "json/json_node_data.h"
#include "json/json_reader_detail.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr size_t kNoPos = kJsonNoPosition;

thread_local size_t tScannedBytes = 0;

// ---------------------------------------------------------------------------
// Scanning one level

// Walks a bracketed level byte by byte, counting only its own bracket kind
// and skipping strings (a byte 0 in one ends the walk): how a nested level
// is passed in a text without a bracket index.
size_t walkLevel(const char* t, size_t n, size_t pos)
{
    const char open = t[pos];
    const char close = open == '[' ? ']' : '}';
    size_t depth = 0;
    for (; pos < n && t[pos] != '\0'; ++pos) {
        if (t[pos] == open) {
            ++depth;
        } else if (t[pos] == close) {
            if (--depth == 0)
                return pos;
        } else if (t[pos] == '"') {
            for (++pos; pos < n && t[pos] != '"'; ++pos)
                if (t[pos] == '\0')
                    return kNoPos;
        }
    }
    return kNoPos;
}

// One record's text while it is split: findNextTopLevel, resumable, 64 bytes
// at a time through bit masks. A string runs between two quotes (a compacted
// text has no escaped quotes); what matters is the colons, commas and
// brackets outside strings and a byte 0 inside one (it ends every search). A
// nested level is jumped through the bracket index: `cursor` is the entry of
// the next opener of this level, met in text order, as each jump passes all
// the openers inside the level it jumps.
struct Scan {
    const char* t;
    size_t n;
    const JsonBracket* index = nullptr; // null: levels are walked
    size_t base = 0;                    // offset of t in the indexed text
    uint32_t cursor = kJsonNoBracket;
    size_t jumped = 0; // bytes passed over through the index
    // The 64 bytes from `window`: colons and commas outside strings, and the
    // rest that a search stops at (brackets, a byte 0 in a string, the end).
    size_t window;
    uint64_t colons = 0, commas = 0, others = 0;
    bool endsInString = false; // a string is open after the window

    // `size` bytes at `text`, their levels walked until useIndex.
    Scan(const char* text, size_t size) : t(text), n(size), window(n + 64) { }

    // Jumps levels through the index of `store`, if it has one, in which the
    // text's opener is entry `bracket`.
    void useIndex(JsonText* store, uint32_t bracket)
    {
        if (!store || store->brackets.empty())
            return;
        index = store->brackets.data();
        base = size_t(t - store->bytes());
        cursor = bracket + 1;
    }

    // Fills the masks for the 64 bytes from `from`, a string being open
    // there or not. The loads may pass n: the text lies in a JsonText,
    // followed by more of it or by its padding.
    [[gnu::always_inline]] void load(size_t from, bool inString)
    {
        window = from;
        uint64_t quotes = 0, colonBytes = 0, commaBytes = 0, brackets = 0, zeros = 0;
#if JSON_SSE2
        // Only the vectors that hold bytes of the text.
        for (size_t k = 0; k < 64 && from + k < n; k += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + from + k));
            const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20)); // [ ] onto { }
            auto bits = [k](__m128i m) { return uint64_t(unsigned(_mm_movemask_epi8(m))) << k; };
            quotes |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
            colonBytes |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(':')));
            commaBytes |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')));
            brackets |= bits(_mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8('{')),
                                          _mm_cmpeq_epi8(folded, _mm_set1_epi8('}'))));
            zeros |= bits(_mm_cmpeq_epi8(v, _mm_setzero_si128()));
        }
#else
        for (int i = 0; i < 64; ++i) {
            const char c = t[from + i];
            quotes |= uint64_t(c == '"') << i;
            colonBytes |= uint64_t(c == ':') << i;
            commaBytes |= uint64_t(c == ',') << i;
            brackets |= uint64_t(c == '[' || c == ']' || c == '{' || c == '}') << i;
            zeros |= uint64_t(c == '\0') << i;
        }
#endif
        const uint64_t inside = insideStrings(quotes, inString);
        const uint64_t outside = ~(inside | quotes);
        colons = colonBytes & outside;
        commas = commaBytes & outside;
        others = (brackets & outside) | (zeros & inside);
        if (n - from < 64) {
            const uint64_t end = uint64_t(1) << (n - from);
            colons &= end - 1;
            commas &= end - 1;
            others = (others & (end - 1)) | end;
        }
        endsInString = inside >> 63;
    }

    // How many parts to reserve, so that they are not moved as they grow: a
    // level whose first child is a flat container is taken for a list of such
    // (the large containers of data files), one part for each opener inside
    // it, at most one per 16 bytes.
    size_t expectedParts() const
    {
        const uint32_t after = index ? index[cursor - 1].next : 0; // this level's own entry
        if (cursor >= after || index[cursor].next != cursor + 1)
            return 0;
        return std::min<size_t>(after - cursor, n / 16);
    }

    // The end of the level opened at `pos`, or kNoPos.
    size_t skipLevel(size_t pos)
    {
        if (!index)
            return walkLevel(t, n, pos);
        const JsonBracket& bracket = index[cursor];
        cursor = bracket.next;
        // A level that closes only after this text does not close in it.
        if (bracket.end == kJsonNoBracket || bracket.end - base >= n)
            return kNoPos;
        jumped += bracket.end - base - pos;
        return bracket.end - base;
    }

    // Position of the first top-level `Wanted` (a colon or a comma) from
    // `pos`, a position outside strings; kNoPos when a closer, the end, or a
    // string or level that does not end comes first. With `sawColon`, also
    // tells whether a top-level colon came before.
    template <char Wanted>
    [[gnu::always_inline]] size_t next(size_t pos, bool* sawColon = nullptr)
    {
        for (;;) {
            if (pos - window >= 64) { // past the window: often settled by the byte there
                if (pos >= n)
                    return kNoPos;
                const char c = t[pos];
                if (c == Wanted)
                    return pos;
                if (c == '[' || c == '{') {
                    pos = skipLevel(pos);
                    if (pos == kNoPos)
                        return kNoPos;
                    ++pos;
                    continue;
                }
                load(pos, false);
            }
            const unsigned shift = unsigned(pos - window);
            const uint64_t wanted = (Wanted == ',' ? commas : colons) >> shift;
            const uint64_t stops = wanted | (others >> shift);
            const uint64_t first = stops & (0 - stops); // lowest set bit, or 0
            if (sawColon && (colons >> shift) & (first - 1))
                *sawColon = true;
            if (!first) {
                pos = window + 64; // within the text: the end would have been a stop
                load(pos, endsInString);
                continue;
            }
            const size_t at = pos + unsigned(__builtin_ctzll(first));
            if (wanted & first)
                return at;
            // A bracket, a byte 0 in a string, or the end.
            if (at >= n || (t[at] != '[' && t[at] != '{'))
                return kNoPos;
            pos = skipLevel(at);
            if (pos == kNoPos)
                return kNoPos;
            ++pos;
        }
    }
};

// ---------------------------------------------------------------------------
// Escapes

// Decodes `n` bytes of `s` into `out` (room for n bytes); returns the length.
size_t decodeEscapesInto(const char* s, size_t n, char* out)
{
    char* w = out;
    size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c != '\\') {
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (i + 1 >= n)
            break; // a trailing backslash is dropped
        const unsigned char e = static_cast<unsigned char>(s[i + 1]);
        const size_t rest = n - (i + 2); // bytes after the escape letter
        i += 2;
        static constexpr char kLetters[] = "\x01"
                                           "bfnrtv",
                              kBytes[] = "\"\b\f\n\r\t\v";
        switch (e) {
        case 1:
        case 'b':
        case 'f':
        case 'n':
        case 'r':
        case 't':
        case 'v': *w++ = kBytes[std::strchr(kLetters, e) - kLetters]; break;
        case 'u': // only the last two of the four digits make the byte
            *w++ = rest >= 4
                       ? static_cast<char>((hexDigitValue(s[i + 2]) << 4) | hexDigitValue(s[i + 3]))
                       : '\0';
            i += rest >= 4 ? 4 : 0;
            break;
        case 'x':
            *w++ = rest >= 2
                       ? static_cast<char>((hexDigitValue(s[i]) << 4) | hexDigitValue(s[i + 1]))
                       : '\0';
            i += rest >= 2 ? 2 : 0;
            break;
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
            if (rest >= 2) {
                const unsigned a = static_cast<unsigned char>(e - 48);
                const unsigned b = static_cast<unsigned char>(s[i] - 48);
                const unsigned d = static_cast<unsigned char>(s[i + 1] - 48);
                *w++ = static_cast<char>(((a << 6) | (b << 3) | d) & 0xFF);
                i += 2;
            } else {
                *w++ = '\0';
            }
            break;
        default: // `/`, `\`, `'` and every other byte stand for themselves
            *w++ = static_cast<char>(e);
            break;
        }
    }
    return size_t(w - out);
}

// A JsonText of its own holding the decoded bytes.
JsonText* decodeToText(const char* s, size_t n)
{
    JsonText* text = JsonText::allocate(n);
    text->size = decodeEscapesInto(s, n, text->bytes());
    text->bytes()[text->size] = '\0';
    return text;
}

// ---------------------------------------------------------------------------
// Children

// One child found while a container is split. A name, when there is one,
// is the `nameSize` bytes that end two bytes before the value (the closing
// quote and the colon lie between).
struct Part {
    const char* value;
    size_t valueSize;
    size_t nameSize;
    uint32_t bracket; // index entry of a container value's opener
};

// A record of its own, with a tail, for a child whose name has escapes or
// whose name or text is too long for a record's fields.
JsonNodeData* loneChild(JsonBlock* home, const char* name, size_t nameSize, size_t n)
{
    const std::string decoded = decodeEscapes(std::string_view(name, nameSize));
    JsonNodeData* record = JsonBlock::newLoneRecord(home->store, true, decoded.size());
    JsonTail* tail = reinterpret_cast<JsonTail*>(record + 1);
    *tail = {n, decoded.size()};
    std::memcpy(tail->name(), decoded.data(), decoded.size());
    home->plain = 0;
    return record;
}

// Makes record i of `home` (or a lone one) the child that `part` describes and
// points slot i at it. Scalars are complete when made: literals typed,
// numbers checked and converted; strings and containers wait for their first
// use. The record is written whole at the end, straight from registers. Only
// a lone record allocates, before anything is stored, so a failure leaves the
// block as it was. A name is looked at for escapes only when `names`.
[[gnu::always_inline]] inline void makeChild(JsonBlock* home, JsonNode* slots, uint32_t i,
                                             const Part& part, bool names)
{
    const char* v = part.value;
    const size_t n = part.valueSize;
    JsonType type = JsonType::Null;
    bool parsed = true;
    float value = 0.0f;
    if (n > 0) {
        const char last = v[n - 1];
        switch (v[0]) {
        case '"':
            if (last == '"')
                type = JsonType::String, parsed = false;
            break;
        case 't':
        case 'f':
            if (std::string_view(v, n) == "true" || std::string_view(v, n) == "false")
                type = JsonType::Bool, value = v[0] == 't' ? 1.0f : 0.0f;
            break;
        case '[':
        case '{':
            if (last == (v[0] == '[' ? ']' : '}'))
                type = v[0] == '[' ? JsonType::Array : JsonType::Object, parsed = false;
            break;
        default: // "null", a failed literal or a failed number all read as null
            if (readNumber(v, n, value))
                type = JsonType::Number;
            break;
        }
    }
    const char* name = v - 2 - part.nameSize;
    bool escaped = false;
    for (size_t k = 0; names && k < part.nameSize; ++k)
        escaped |= name[k] == '\\';
    JsonNodeData* record = home->records() + i;
    const bool lone = escaped || part.nameSize > 0xFFFF || n > 0xFFFFFFFF;
    if (lone) [[unlikely]]
        record = loneChild(home, name, part.nameSize, n);
    else
        ++home->live;
    *record = {type, parsed, false, false, uint16_t(part.nameSize), 1, v, uint32_t(n), i, {value}};
    if (lone) [[unlikely]]
        record->tail = true, record->index = 0;
    if (!parsed)
        record->bracket = part.bracket;
    new (slots + i) JsonNode();
    JsonNodeData::dataOf(slots[i]) = record;
}

// The block of `count` children of `container`, child i as partOf(i) says.
template <class PartOf>
JsonBlock* adopt(const JsonNodeData& container, size_t count, PartOf&& partOf)
{
    if (count == 0)
        return nullptr;
    JsonBlock* block = JsonBlock::allocate(count, container.store(), false);
    block->plain = 1;
    const bool names = block->store && block->store->backslashes; // else no name has escapes
    uint32_t i = 0;
    try {
        for (JsonNode* const slots = block->slots(); i < count; ++i)
            makeChild(block, slots, i, partOf(i), names);
    } catch (...) {
        for (; i < count; ++i)
            new (block->slots() + i) JsonNode();
        JsonBlock::release(block);
        throw;
    }
    return block;
}

// Splits a container record's text into `children`; false when the text is
// no such container, an array element holds a top-level `:` or an object
// member has none. A key is the text between the member's first byte and the
// byte before its colon, so a quoted key loses its quotes.
template <bool Array>
bool splitText(const JsonNodeData& record, JsonBlock*& children)
{
    Scan scan(record.text, record.textLength());
    const char* t = scan.t;
    const size_t n = scan.n;
    if (n < 2 || t[0] != (Array ? '[' : '{') || t[n - 1] != (Array ? ']' : '}'))
        return false;
    children = nullptr;
    if (n == 2)
        return true;
    tScannedBytes += n;
    // The usual small container: its inside in one window, without brackets
    // or strings holding a byte 0. Its colons and commas then follow straight
    // from the masks: bit i stands for position 1 + i.
    if (n <= 65) {
        scan.load(1, false);
        const uint64_t inside = (uint64_t(1) << (n - 2)) - 1;
        if (!(scan.others & inside)) {
            uint8_t colonAt[64], stopAt[64];
            size_t count = 0;
            for (unsigned start = 0;;) {
                const uint64_t colons = scan.colons & (~uint64_t(0) << start);
                if (Array ? colons != 0 : colons == 0)
                    return false;
                // An element starts after the position before it, a value after its colon.
                const unsigned value = Array ? start : unsigned(__builtin_ctzll(colons)) + 1;
                const uint64_t commas = scan.commas & (~uint64_t(0) << value);
                const unsigned stop = commas ? unsigned(__builtin_ctzll(commas)) : unsigned(n - 2);
                colonAt[count] = uint8_t(value);
                stopAt[count++] = uint8_t(stop + 1);
                if (!commas)
                    break;
                start = stop + 1;
            }
            children = adopt(record, count, [&](size_t i) {
                const size_t start = i ? stopAt[i - 1] + 1 : 1, colon = colonAt[i],
                             stop = stopAt[i];
                const size_t keySize = colon > start + 1 ? colon - 1 - start : 0;
                return Part{t + colon + 1, stop - colon - 1, keySize > 0 ? keySize - 1 : 0,
                            kJsonNoBracket};
            });
            return true;
        }
    }
    scan.useIndex(record.store(), record.bracket); // the small container above needs none
    std::vector<Part> parts;
    parts.reserve(scan.expectedParts());
    for (size_t start = 1;;) {
        size_t colon = start - 1, keySize = 0;
        if (!Array) {
            colon = scan.next<':'>(start);
            if (colon == kNoPos)
                return false;
            keySize = colon > start + 1 ? colon - 1 - start : 0;
        }
        const uint32_t bracket = scan.cursor;
        bool sawColon = false;
        const size_t comma = scan.next<','>(colon + 1, Array ? &sawColon : nullptr);
        if (Array && sawColon)
            return false;
        const size_t stop = comma == kNoPos ? n - 1 : comma;
        parts.push_back({t + colon + 1, stop - colon - 1, keySize > 0 ? keySize - 1 : 0, bracket});
        if (comma == kNoPos)
            break;
        start = comma + 1;
    }
    tScannedBytes -= scan.jumped;
    children = adopt(record, parts.size(), [&parts](size_t i) { return parts[i]; });
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Records made and interpreted by the reader

JsonNodeData* JsonNodeData::fromText(JsonText* store)
{
    JsonNodeData* root = JsonBlock::newLoneRecord(store, store->size > 0xFFFFFFFF);
    if (root->tail)
        *reinterpret_cast<JsonTail*>(root + 1) = {store->size, 0};
    root->textSize = uint32_t(store->size); // unread with a tail
    root->type = store->bytes()[0] == '[' ? JsonType::Array : JsonType::Object;
    root->parsed = false;
    root->text = store->bytes();
    root->bracket = 0; // the first opener of the text, when it is indexed
    return root;
}

void JsonNodeData::interpret()
{
    const size_t size = textLength();
    if (type == JsonType::String) {
        if (size < 2 || text[0] != '"' || text[size - 1] != '"')
            return makeNull();
        if (std::memchr(text + 1, '\\', size - 2)) {
            decodedText = decodeToText(text + 1, size - 2);
            decoded = true;
            home()->plain = 0;
        }
        parsed = true;
    } else if (isContainer()) {
        JsonBlock* block;
        if (!(type == JsonType::Array ? splitText<true>(*this, block)
                                      : splitText<false>(*this, block)))
            return makeNull();
        children = block;
        parsed = true;
        home()->plain = 0;
    } else {
        makeNull(); // Null, Bool and Number records are made parsed
    }
}

JsonNode JsonNode::parse(std::string_view input)
{
    struct Held {
        JsonText* text;
        ~Held() { JsonText::release(text); }
    } held{compactToText(input)}; // the root takes a reference of its own
    const char* b = held.text->bytes();
    const size_t n = held.text->size;
    if (!(n > 0 && ((b[0] == '[' && b[n - 1] == ']') || (b[0] == '{' && b[n - 1] == '}'))))
        return JsonNode(JsonType::Null);
    return JsonNode(JsonNodeData::fromText(held.text));
}

// ---------------------------------------------------------------------------
// Helpers exposed for tests

size_t findNextTopLevel(std::string_view text, char wanted, size_t start)
{
    // The scans read texts that lie in a JsonText.
    JsonText* copy = JsonText::allocate(text.size());
    std::memcpy(copy->bytes(), text.data(), text.size());
    Scan scan(copy->bytes(), text.size());
    const size_t found = wanted == ':'   ? scan.next<':'>(start)
                         : wanted == ',' ? scan.next<','>(start)
                                         : kNoPos;
    JsonText::release(copy);
    return found;
}

std::string decodeEscapes(std::string_view text)
{
    std::string out(text.size(), '\0');
    out.resize(decodeEscapesInto(text.data(), text.size(), out.data()));
    return out;
}

uint8_t hexDigitValue(unsigned char c)
{
    const uint8_t d = static_cast<uint8_t>(c - 48);
    if (d > 48)
        return static_cast<uint8_t>(d - 39);
    if (d > 9)
        return static_cast<uint8_t>(d - 7);
    return d;
}

size_t jsonScannedBytes()
{
    return tScannedBytes;
}
