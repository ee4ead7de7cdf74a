// The reader of the game's JSON dialect: once the whole text is compacted
// (json_compact.cpp), each container is split lazily, one level at a time,
// into child records that point into the text.

#include "json/json_reader.h"

#include "json/json_node.h"
#include "json/json_node_data.h"
#include "json/json_reader_detail.h"

#include <new>
#include <vector>

namespace {

constexpr std::size_t kNoPos = kJsonNoPosition;

thread_local std::size_t tScannedBytes = 0;

// ---------------------------------------------------------------------------
// Scanning one level

// The bytes a scan stops at outside strings: separators and brackets.
struct StopBytes {
    bool of[256];
    constexpr StopBytes() : of() {
        for (unsigned char c : {',', ':', '[', ']', '{', '}'}) of[c] = true;
    }
};

constexpr StopBytes kStops;

// Walks a bracketed level byte by byte, counting only its own bracket kind
// and skipping strings (a byte 0 in one ends the walk): how a nested level
// is passed in a text without a bracket index.
std::size_t walkLevel(const char* t, std::size_t n, std::size_t pos) {
    const char open = t[pos];
    const char close = open == '[' ? ']' : '}';
    std::size_t depth = 0;
    for (; pos < n; ++pos) {
        const char c = t[pos];
        if (c == open) {
            ++depth;
        } else if (c == close) {
            if (--depth == 0) return pos;
        } else if (c == '"') {
            for (++pos; pos < n && t[pos] != '"'; ++pos)
                if (t[pos] == '\0') return kNoPos;
            if (pos == n) return kNoPos;
        } else if (c == '\0') {
            return kNoPos;
        }
    }
    return kNoPos;
}

// One record's text while it is split: findNextTopLevel, resumable. The
// scan looks at 64 bytes at a time through bit masks: a string is a run
// between two quotes (escaped quotes are no quotes in a compacted text), and
// what the scan stops at is a separator or bracket outside strings, or a
// byte 0 inside one (a string holding one ends every search). A nested level
// is jumped with its bracket index entry: `cursor` is the entry of the next
// opener this level meets, since a scan meets the openers of its level in
// text order and each jump passes every opener inside the level it jumps.
struct Scan {
    const char* t;
    std::size_t n;
    const JsonBracket* index = nullptr;  // null: levels are walked
    std::size_t base = 0;                // offset of t in the indexed text
    std::uint32_t cursor = kJsonNoBracket;
    std::size_t jumped = 0;              // bytes passed over through the index
    std::size_t window;                  // where the 64 bytes of `stops` begin
    std::uint64_t stops = 0;
    bool endsInString = false;           // a string is open after the window

    explicit Scan(const JsonNodeData& record) : t(record.text), n(record.textSize), window(n + 64) {
        JsonText* store = record.store();
        if (store && !store->brackets.empty()) {
            index = store->brackets.data();
            base = std::size_t(t - store->bytes());
            cursor = record.bracket + 1;
        }
    }

    // Fills `stops` for the 64 bytes from `from`, a string being open there
    // or not. The loads may pass n: the text lies in a JsonText, followed by
    // more of it or by its padding.
    void load(std::size_t from, bool inString) {
        window = from;
        std::uint64_t quotes = 0, stopBytes = 0, zeros = 0;
#if JSON_SSE2
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + from + 16 * k));
            const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));  // [ ] onto { }
            const __m128i stop = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')), _mm_cmpeq_epi8(v, _mm_set1_epi8(':'))),
                _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8('{')), _mm_cmpeq_epi8(folded, _mm_set1_epi8('}'))));
            const int shift = 16 * k;
            quotes |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('"'))))) << shift;
            stopBytes |= std::uint64_t(unsigned(_mm_movemask_epi8(stop))) << shift;
            zeros |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())))) << shift;
        }
#else
        for (int i = 0; i < 64; ++i) {
            const unsigned char c = static_cast<unsigned char>(t[from + i]);
            quotes |= std::uint64_t(c == '"') << i;
            stopBytes |= std::uint64_t(kStops.of[c]) << i;
            zeros |= std::uint64_t(c == 0) << i;
        }
#endif
        // Prefix XOR of the quotes: set from an opening quote up to, not
        // including, its closing quote.
        std::uint64_t inside = quotes;
        for (int shift = 1; shift < 64; shift *= 2) inside ^= inside << shift;
        if (inString) inside = ~inside;
        stops = (stopBytes & ~(inside | quotes)) | (zeros & inside);
        endsInString = inside >> 63;
    }

    // The first stop at or after `pos` (a position outside strings), or n.
    std::size_t nextStop(std::size_t pos) {
        for (;;) {
            if (pos - window < 64) {
                if (const std::uint64_t bits = stops >> (pos - window)) {
                    pos += unsigned(__builtin_ctzll(bits));
                    return pos < n ? pos : n;
                }
                pos = window + 64;
                if (pos >= n) return n;
                load(pos, endsInString);
            } else {
                // Past the window, after a jump: often a separator right away.
                if (pos >= n || kStops.of[static_cast<unsigned char>(t[pos])]) return pos < n ? pos : n;
                load(pos, false);
            }
        }
    }

    // The end of the level opened at `pos`, or kNoPos.
    std::size_t skipLevel(std::size_t pos) {
        if (!index) return walkLevel(t, n, pos);
        const JsonBracket& bracket = index[cursor];
        cursor = bracket.next;
        // A level that closes only after this text does not close in it.
        if (bracket.end == kJsonNoBracket || bracket.end - base >= n) return kNoPos;
        jumped += bracket.end - base - pos;
        return bracket.end - base;
    }

    // Position of the first top-level `wanted` from `pos`, or kNoPos when a
    // closer, the end, or a string or level that does not end comes first.
    // With TrackColon, also tells whether a top-level `:` was passed.
    template <bool TrackColon>
    std::size_t next(char wanted, std::size_t pos, bool* sawColon = nullptr) {
        for (;; ++pos) {
            pos = nextStop(pos);
            if (pos >= n) return kNoPos;
            const char c = t[pos];
            if (c == wanted) return pos;
            switch (c) {
                case ',':
                    break;
                case ':':
                    if constexpr (TrackColon) *sawColon = true;
                    break;
                case '[':
                case '{':
                    pos = skipLevel(pos);
                    if (pos == kNoPos) return kNoPos;
                    break;
                default:  // a closer, or a byte 0 in a string
                    return kNoPos;
            }
        }
    }
};

// ---------------------------------------------------------------------------
// Escapes

// Decodes `n` bytes of `s` into `out` (room for n bytes); returns the length.
std::size_t decodeEscapesInto(const char* s, std::size_t n, char* out) {
    char* w = out;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c != '\\') {
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (i + 1 >= n) break;  // a trailing backslash is dropped
        const unsigned char e = static_cast<unsigned char>(s[i + 1]);
        const std::size_t rest = n - (i + 2);  // bytes after the escape letter
        i += 2;
        switch (e) {
            case 1: *w++ = '"'; break;
            case 'b': *w++ = '\b'; break;
            case 'f': *w++ = '\f'; break;
            case 'n': *w++ = '\n'; break;
            case 'r': *w++ = '\r'; break;
            case 't': *w++ = '\t'; break;
            case 'v': *w++ = '\v'; break;
            case 'u':  // only the last two of the four digits make the byte
                *w++ = rest >= 4 ? static_cast<char>((hexDigitValue(s[i + 2]) << 4) | hexDigitValue(s[i + 3])) : '\0';
                i += rest >= 4 ? 4 : 0;
                break;
            case 'x':
                *w++ = rest >= 2 ? static_cast<char>((hexDigitValue(s[i]) << 4) | hexDigitValue(s[i + 1])) : '\0';
                i += rest >= 2 ? 2 : 0;
                break;
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7':
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
            default:  // `/`, `\`, `'` and every other byte stand for themselves
                *w++ = static_cast<char>(e);
                break;
        }
    }
    return std::size_t(w - out);
}

bool holdsBackslash(const char* s, std::size_t n) { return std::memchr(s, '\\', n) != nullptr; }

// A JsonText of its own holding the decoded bytes, reference count 1.
JsonText* decodedText(const char* s, std::size_t n) {
    JsonText* text = JsonText::allocate(n);
    text->size = decodeEscapesInto(s, n, text->bytes());
    text->bytes()[text->size] = '\0';
    return text;
}

// ---------------------------------------------------------------------------
// Children

// One child found while a container is split, before its block exists. A
// name, when there is one, is the `nameSize` bytes that end two bytes before
// the value (the closing quote and the colon lie between).
struct Part {
    const char* value;
    std::size_t valueSize;
    std::size_t nameSize;
    std::uint32_t bracket;  // index entry of a container value's opener
};

// The parts of one container: a few in place, more in a vector.
class Parts {
public:
    void add(const Part& part) {
        if (size_ < kInline) {
            inline_[size_++] = part;
            return;
        }
        if (size_ == kInline) spilled_.assign(inline_, inline_ + kInline);
        spilled_.push_back(part);
        ++size_;
    }
    std::size_t size() const { return size_; }
    const Part& operator[](std::size_t i) const { return size_ <= kInline ? inline_[i] : spilled_[i]; }

private:
    static constexpr std::size_t kInline = 16;
    Part inline_[kInline];
    std::vector<Part> spilled_;
    std::size_t size_ = 0;
};

// Fills record i of `block` as the child that `part` describes, and points
// slot i at it. Scalars are complete when made: literals typed, numbers
// checked and converted; strings and containers wait for their first use. The
// record is sound after every step, so a failed allocation leaves it to the
// block's release.
void makeChild(JsonBlock* block, std::uint32_t i, const Part& part) {
    JsonNodeData* r = block->newRecord(i);
    new (block->slots() + i) JsonNode();
    JsonNodeData::dataOf(block->slots()[i]) = r;
    if (const std::size_t size = part.nameSize) {
        const char* name = part.value - 2 - size;
        bool escaped = false;
        for (std::size_t k = 0; k < size; ++k) escaped |= name[k] == '\\';
        if (escaped || size >= JsonNodeData::kLongName) {
            JsonText* owned = escaped ? decodedText(name, size) : JsonText::allocate(size);
            if (!escaped) std::memcpy(owned->bytes(), name, size);
            r->setName(owned->bytes(), owned->size, true);
            block->plain = 0;
        } else {
            r->name = name;
            r->nameSize = std::uint32_t(size);
        }
    }
    const std::size_t n = part.valueSize;
    if (n == 0) return;  // a parsed Null with an empty text
    const char* v = part.value;
    const char last = v[n - 1];
    float number;
    switch (v[0]) {
        case '"':
            if (last != '"') return r->makeNull();
            r->type = JsonType::String;
            r->parsed = false;
            break;
        case 't':
        case 'f':
            if (std::string_view(v, n) != "true" && std::string_view(v, n) != "false") return r->makeNull();
            r->type = JsonType::Bool;
            r->value = v[0] == 't' ? 1.0f : 0.0f;
            break;
        case '[':
        case '{':
            if (last != (v[0] == '[' ? ']' : '}')) return r->makeNull();
            r->type = v[0] == '[' ? JsonType::Array : JsonType::Object;
            r->parsed = false;
            r->bracket = part.bracket;
            break;
        default:  // "null", a failed literal or a failed number all read as null
            if (!readNumber(v, n, number)) return r->makeNull();
            r->type = JsonType::Number;
            r->value = number;
            break;
    }
    r->text = v;
    r->textSize = n;
}

// Gives a container its children: one block over its text. Null for none.
JsonBlock* adopt(const JsonNodeData& container, const Parts& parts) {
    if (parts.size() == 0) return nullptr;
    JsonBlock* block = JsonBlock::allocate(parts.size(), container.store(), false);
    block->plain = 1;
    std::uint32_t i = 0;
    try {
        for (; i < parts.size(); ++i) makeChild(block, i, parts[i]);
    } catch (...) {
        for (++i; i < parts.size(); ++i) new (block->slots() + i) JsonNode();
        JsonBlock::release(block);
        throw;
    }
    return block;
}

// The children of an Array record's text, element by element; false when the
// text is no array or an element holds a top-level `:`.
bool splitArray(const JsonNodeData& record, Parts& parts) {
    Scan scan(record);
    const char* t = scan.t;
    const std::size_t n = scan.n;
    if (n < 2 || t[0] != '[' || t[n - 1] != ']') return false;
    if (n == 2) return true;
    std::size_t start = 1;
    for (;;) {
        const std::uint32_t bracket = scan.cursor;
        bool sawColon = false;
        const std::size_t comma = scan.next<true>(',', start, &sawColon);
        if (sawColon) return false;
        const std::size_t stop = comma == kNoPos ? n - 1 : comma;
        parts.add({t + start, stop - start, 0, bracket});
        if (comma == kNoPos) break;
        start = comma + 1;
    }
    tScannedBytes += n - scan.jumped;
    return true;
}

// The children of an Object record's text, member by member; false when the
// text is no object or a member has no top-level `:`. A key is the text
// between the member's first byte and the byte before its colon, so a quoted
// key loses its quotes.
bool splitObject(const JsonNodeData& record, Parts& parts) {
    Scan scan(record);
    const char* t = scan.t;
    const std::size_t n = scan.n;
    if (n < 2 || t[0] != '{' || t[n - 1] != '}') return false;
    if (n == 2) return true;
    std::size_t start = 1;
    for (;;) {
        const std::size_t colon = scan.next<false>(':', start);
        if (colon == kNoPos) return false;
        const std::uint32_t bracket = scan.cursor;
        const std::size_t comma = scan.next<false>(',', colon + 1);
        const std::size_t stop = comma == kNoPos ? n - 1 : comma;
        const std::size_t keySize = colon > start + 1 ? colon - 1 - start : 0;
        parts.add({t + colon + 1, stop - colon - 1, keySize > 0 ? keySize - 1 : 0, bracket});
        if (comma == kNoPos) break;
        start = comma + 1;
    }
    tScannedBytes += n - scan.jumped;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records made and interpreted by the reader

JsonNodeData* JsonNodeData::fromText(JsonText* store) {
    JsonNodeData* root = JsonBlock::newLoneRecord(store);
    root->type = store->bytes()[0] == '[' ? JsonType::Array : JsonType::Object;
    root->parsed = false;
    root->text = store->bytes();
    root->textSize = store->size;
    root->bracket = 0;  // the first opener of the text, when it is indexed
    return root;
}

void JsonNodeData::interpret() {
    if (type == JsonType::String) {
        if (textSize < 2 || text[0] != '"' || text[textSize - 1] != '"') return makeNull();
        if (holdsBackslash(text + 1, textSize - 2)) {
            setOwnedText(decodedText(text + 1, textSize - 2));
            home->plain = 0;
        } else {
            ++text;
            textSize -= 2;
        }
        parsed = true;
    } else if (isContainer()) {
        Parts parts;
        if (!(type == JsonType::Array ? splitArray(*this, parts) : splitObject(*this, parts))) return makeNull();
        children = adopt(*this, parts);
        textSize = 0;
        parsed = true;
        home->plain = 0;
    } else {
        makeNull();  // Null, Bool and Number records are made parsed
    }
}

JsonNode JsonNode::parse(std::string_view input) {
    JsonText* text = compactToText(input);
    const char* b = text->bytes();
    const std::size_t n = text->size;
    if (!(n > 0 && ((b[0] == '[' && b[n - 1] == ']') || (b[0] == '{' && b[n - 1] == '}')))) {
        JsonText::release(text);
        return JsonNode(JsonType::Null);
    }
    JsonNodeData* root = nullptr;
    try {
        root = JsonNodeData::fromText(text);  // takes a reference of its own
    } catch (...) {
        JsonText::release(text);
        throw;
    }
    JsonText::release(text);
    return JsonNode(root);
}

// ---------------------------------------------------------------------------
// Helpers exposed for tests

std::size_t findNextTopLevel(std::string_view text, char wanted, std::size_t start) {
    // The scans read texts that lie in a JsonText and have no index.
    JsonNode holder(JsonType::String);
    JsonNodeData* record = JsonNodeData::dataOf(holder);
    JsonText* copy = JsonText::allocate(text.size());
    std::memcpy(copy->bytes(), text.data(), text.size());
    record->setOwnedText(copy);
    return Scan(*record).next<false>(wanted, start);
}

std::string decodeEscapes(std::string_view text) {
    std::string out(text.size(), '\0');
    out.resize(decodeEscapesInto(text.data(), text.size(), out.data()));
    return out;
}

std::uint8_t hexDigitValue(unsigned char c) {
    const std::uint8_t d = static_cast<std::uint8_t>(c - 48);
    if (d > 48) return static_cast<std::uint8_t>(d - 39);
    if (d > 9) return static_cast<std::uint8_t>(d - 7);
    return d;
}

std::size_t jsonScannedBytes() { return tScannedBytes; }
