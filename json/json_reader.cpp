// The reader of the game's JSON dialect: after the whole text is compacted
// (json_compact.cpp), each record is interpreted lazily, one level at a time.

#include "json/json_reader.h"

#include "json/json_node.h"
#include "json/json_node_data.h"
#include "json/json_reader_detail.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

bool gJsonAccelerated = true;

namespace {

constexpr std::size_t kNoPos = kJsonNoPosition;

// ---------------------------------------------------------------------------
// Scanning one level

// Bytes a top-level scan has to look at; everything else is passed over.
struct StructuralBytes {
    bool of[256];
    constexpr StructuralBytes() : of() {
        for (unsigned char c : {',', ':', '"', '[', ']', '{', '}'}) of[c] = true;
    }
};

constexpr StructuralBytes kStructural;

#if JSON_SSE2
// Bit i set when byte i is one a top-level scan stops at: " , : [ ] { }.
inline unsigned structuralMask(__m128i v) {
    __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
    __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x22)), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x2C))),
                               _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x3A)),
                                            _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7B)),
                                                         _mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7D)))));
    return unsigned(_mm_movemask_epi8(any));
}
#endif

// Position of the quote that closes the string opened at `pos`, or kNoPos.
inline std::size_t skipString(const char* t, std::size_t n, std::size_t pos) {
    for (++pos; pos < n; ++pos) {
        char c = t[pos];
        if (c == '"') return pos;
        if (c == '\0') return kNoPos;
    }
    return kNoPos;
}

// Walks a bracketed level byte by byte, counting only its own bracket kind.
std::size_t walkLevel(const char* t, std::size_t n, std::size_t pos) {
    const char open = t[pos];
    const char close = open == '[' ? ']' : '}';
    std::size_t depth = 0;
    for (; pos < n; ++pos) {
        char c = t[pos];
        if (c == open) {
            ++depth;
        } else if (c == close) {
            if (--depth == 0) return pos;
        } else if (c == '"') {
            pos = skipString(t, n, pos);
            if (pos == kNoPos) return kNoPos;
        } else if (c == '\0') {
            return kNoPos;
        }
    }
    return kNoPos;
}

// One record's text while it is being split. `cursor` is the bracket index
// entry expected for the next structural opener met at this level;
// kJsonNoBracket once the index cannot be used.
struct Scan {
    const char* t;
    std::size_t n;
    const JsonBracket* index = nullptr;
    std::uint32_t indexSize = 0;
    std::size_t base = 0;  // offset of t in the indexed text
    std::uint32_t cursor = kJsonNoBracket;

    std::size_t skipLevel(std::size_t pos) {
        if (cursor < indexSize) {
            const JsonBracket& b = index[cursor];
            if (b.pos == base + pos) {
                if (b.end == kJsonNoBracket || b.end - base >= n) return kNoPos;
                cursor = b.next;
                return b.end - base;
            }
        }
        cursor = kJsonNoBracket;
        return walkLevel(t, n, pos);
    }

    // First position from `pos` holding a byte a top-level scan stops at, or n.
    std::size_t skipValueBytes(std::size_t pos) const {
        const unsigned char* u = reinterpret_cast<const unsigned char*>(t);
#if JSON_SSE2
        while (pos + 16 <= n) {
            unsigned mask = structuralMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u + pos)));
            if (mask) return pos + unsigned(__builtin_ctz(mask));
            pos += 16;
        }
#endif
        while (pos < n && !kStructural.of[u[pos]]) ++pos;
        return pos;
    }

    // Whether `cursor` is the index entry of a structural opener at `pos`.
    std::uint32_t bracketAt(std::size_t pos, std::uint32_t at) const {
        return at < indexSize && index[at].pos == base + pos ? at : kJsonNoBracket;
    }

    // findNextTopLevel over this text. With TrackColon, also reports whether
    // a top-level `:` was passed on the way.
    template <bool TrackColon>
    std::size_t next(char wanted, std::size_t pos, bool* sawColon = nullptr) {
        const unsigned char* u = reinterpret_cast<const unsigned char*>(t);
        for (;; ++pos) {
            if (pos >= n) return kNoPos;
            if (!kStructural.of[u[pos]]) {
                // A run of value bytes (a number, a literal): skip it whole.
                pos = skipValueBytes(pos);
                if (pos >= n) return kNoPos;
            }
            const char c = t[pos];
            if (c == wanted) return pos;
            switch (c) {
                case ']':
                case '}':
                    return kNoPos;
                case '"':
                    pos = skipString(t, n, pos);
                    if (pos == kNoPos) return kNoPos;
                    break;
                case '[':
                case '{':
                    pos = skipLevel(pos);
                    if (pos == kNoPos) return kNoPos;
                    break;
                case ':':
                    if constexpr (TrackColon) *sawColon = true;
                    break;
                default:
                    break;
            }
        }
    }
};

// A container's text about to be split, and the block of children it gives.
struct SplitJob {
    const char* text;
    std::size_t textSize;
    JsonText* store;
    std::uint32_t bracket;
    JsonBlock* children = nullptr;
};

inline Scan scanOf(const SplitJob& d) {
    Scan s{d.text, d.textSize};
    JsonText* store = d.store;
    if (store && !store->brackets.empty() && d.bracket != kJsonNoBracket) {
        s.index = store->brackets.data();
        s.indexSize = static_cast<std::uint32_t>(store->brackets.size());
        s.base = std::size_t(d.text - store->bytes());
        s.cursor = d.bracket + 1;
    }
    return s;
}

// ---------------------------------------------------------------------------
// Escapes and numbers

// Decodes `n` bytes of `s` into `out` (room for n bytes); returns the length.
std::size_t decodeEscapesInto(const char* s, std::size_t n, char* out) {
    char* w = out;
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c != '\\') {
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (i + 1 >= n) break;  // a trailing backslash is dropped
        unsigned char e = static_cast<unsigned char>(s[i + 1]);
        std::size_t rest = n - (i + 2);  // bytes after the escape letter
        switch (e) {
            case 1: *w++ = '"'; i += 2; break;
            case 'b': *w++ = '\b'; i += 2; break;
            case 'f': *w++ = '\f'; i += 2; break;
            case 'n': *w++ = '\n'; i += 2; break;
            case 'r': *w++ = '\r'; i += 2; break;
            case 't': *w++ = '\t'; i += 2; break;
            case 'v': *w++ = '\v'; i += 2; break;
            case 'u':
                if (rest >= 4) {
                    // Only the last two of the four digits make the byte.
                    *w++ = static_cast<char>((hexDigitValue(s[i + 4]) << 4) | hexDigitValue(s[i + 5]));
                    i += 6;
                } else {
                    *w++ = '\0';
                    i += 2;
                }
                break;
            case 'x':
                if (rest >= 2) {
                    *w++ = static_cast<char>((hexDigitValue(s[i + 2]) << 4) | hexDigitValue(s[i + 3]));
                    i += 4;
                } else {
                    *w++ = '\0';
                    i += 2;
                }
                break;
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7':
                if (rest >= 2) {
                    unsigned a = static_cast<unsigned char>(e - 48);
                    unsigned b = static_cast<unsigned char>(s[i + 2] - 48);
                    unsigned d = static_cast<unsigned char>(s[i + 3] - 48);
                    *w++ = static_cast<char>(((a << 6) | (b << 3) | d) & 0xFF);
                    i += 4;
                } else {
                    *w++ = '\0';
                    i += 2;
                }
                break;
            default:  // `/`, `\`, `'` and every other byte stand for themselves
                *w++ = static_cast<char>(e);
                i += 2;
                break;
        }
    }
    return std::size_t(w - out);
}

// A JsonText holding the decoded bytes, reference count 1.
JsonText* decodedText(const char* s, std::size_t n) {
    JsonText* text = JsonText::allocate(n);
    text->size = decodeEscapesInto(s, n, text->bytes());
    text->bytes()[text->size] = '\0';
    return text;
}

// ---------------------------------------------------------------------------
// Splitting containers into pieces

// Pieces found while a container is split, before its block exists. Small
// containers stay in the inline buffer; large ones spill to a vector kept per
// thread so that its memory is reused.
class PieceList {
public:
    JsonPiece& add() {
        if (size_ < kInline) return inline_[size_++];
        return spill();
    }
    std::size_t size() const { return size_; }
    const JsonPiece* data() const { return size_ <= kInline ? inline_ : spilled_->data(); }

private:
    static constexpr std::size_t kInline = 8;

    JsonPiece& spill() {
        if (size_ == kInline) {
            thread_local std::vector<JsonPiece> pieces;
            pieces.assign(inline_, inline_ + kInline);
            spilled_ = &pieces;
        }
        ++size_;
        return spilled_->emplace_back();
    }

    JsonPiece inline_[kInline];
    std::size_t size_ = 0;
    std::vector<JsonPiece>* spilled_ = nullptr;
};

// A child whose name holds escapes, or whose name or value is longer than a
// piece can say: it is made a record as soon as its block exists.
struct OddChild {
    std::uint32_t index;
    const char* name;
    std::size_t nameSize;
    const char* value;
    std::size_t valueSize;
    std::uint32_t bracket;
};

bool holdsBackslash(const char* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (s[i] == '\\') return true;
    return false;
}

// Types a value text the way a record made from it is typed (first and last
// byte, exact literals). Number shapes are checked when first read.
// `scan` and `cursor` locate the bracket index entry of a container value.
inline void classifyValue(JsonPiece& piece, const char* value, std::size_t size, const Scan& scan,
                          std::size_t pos, std::uint32_t cursor) {
    piece.value = value;
    piece.valueSize = std::uint32_t(size);  // longer values are made records
    piece.bracket = kJsonNoBracket;
    piece.checked = false;
    piece.type = JsonType::Null;
    if (size == 0) return;
    const char first = value[0];
    const char last = value[size - 1];
    switch (first) {
        case '"':
            if (last == '"') piece.type = JsonType::String;
            return;
        case 't':
            if (size == 4 && std::memcmp(value, "true", 4) == 0) piece.type = JsonType::Bool;
            return;
        case 'f':
            if (size == 5 && std::memcmp(value, "false", 5) == 0) piece.type = JsonType::Bool;
            return;
        case 'n':
        case 'N':
        case 'T':
        case 'F':
            return;  // "null" itself, or a failed literal: both read as null
        case '[':
            if (last == ']') piece.type = JsonType::Array;
            piece.bracket = scan.bracketAt(pos, cursor);
            return;
        case '{':
            if (last == '}') piece.type = JsonType::Object;
            piece.bracket = scan.bracketAt(pos, cursor);
            return;
        default:
            // Plain decimals are converted here, while the bytes are at hand;
            // other shapes are checked on first read.
            piece.type = JsonType::Number;
            if (gJsonAccelerated && plainDecimalToFloat(value, size, piece.number)) piece.checked = true;
            return;
    }
}

// Gives `d` its children: one block over d's text holding the pieces.
void adoptPieces(SplitJob& d, const PieceList& pieces, const std::vector<OddChild>& oddChildren) {
    if (pieces.size() > 0x7FFFFFFFu) throw std::bad_alloc();  // a block counts in 31 bits
    const std::uint32_t count = static_cast<std::uint32_t>(pieces.size());
    JsonBlock* block = JsonBlock::allocate(count, d.store, false);
    const JsonPiece* from = pieces.data();
    JsonPiece* to = block->pieces();
    JsonNode* slots = block->slots();
    for (std::uint32_t i = 0; i < count; ++i) {
        to[i] = from[i];
        to[i].index = i;
        to[i].children = JsonChildren();
        new (slots + i) JsonNode();
        JsonNodeData::dataOf(slots[i]) = pieceHandle(to + i);
    }
    d.children = block;
    if (oddChildren.empty()) return;
    try {
        for (const OddChild& odd : oddChildren) {
            JsonNodeData* record = block->newRecord(odd.index);
            JsonNodeData::dataOf(slots[odd.index]) = record;
            record->fromNameAndValue(d.store, odd.name, odd.nameSize, odd.value, odd.valueSize, odd.bracket);
        }
    } catch (...) {
        d.children = nullptr;
        JsonBlock::release(block);
        throw;
    }
}

bool splitArrayText(SplitJob& d) {
    const char* t = d.text;
    const std::size_t n = d.textSize;
    if (n < 2 || t[0] != '[' || t[n - 1] != ']') return false;
    if (n > 2) {
        PieceList pieces;
        std::vector<OddChild> oddChildren;
        Scan scan = scanOf(d);
        std::size_t start = 1;
        for (;;) {
            const std::uint32_t cursorAtStart = scan.cursor;
            // One walk finds the element's end and whether it holds a
            // top-level `:`; a separate walk over the element would visit
            // the same top-level bytes up to the same place.
            bool sawColon = false;
            const std::size_t comma = scan.next<true>(',', start, &sawColon);
            if (sawColon) return false;
            const std::size_t stop = comma == kNoPos ? n - 1 : comma;
            JsonPiece& piece = pieces.add();
            piece.nameSize = 0;
            classifyValue(piece, t + start, stop - start, scan, start, cursorAtStart);
            if (stop - start > JsonPiece::kMaxValueSize)
                oddChildren.push_back({std::uint32_t(pieces.size() - 1), nullptr, 0, t + start, stop - start,
                                       scan.bracketAt(start, cursorAtStart)});
            if (comma == kNoPos) break;
            start = comma + 1;
        }
        adoptPieces(d, pieces, oddChildren);
    }
    return true;
}

enum FlatSplit { kNotFlat, kSplit, kFailed };

#if JSON_SSE2
// Splits an object of at most 64 bytes with no bracket inside it outside
// strings and no byte 0 (the usual small record of named numbers) from bit
// masks of its structural bytes. With those conditions the first unquoted
// colon or comma after a position is exactly what the top-level search finds
// there. Returns kNotFlat, having done nothing, for any other object.
int splitFlatObject(SplitJob& d) {
    const char* t = d.text;
    const std::size_t n = d.textSize;
    if (n > 64 || !d.store) return kNotFlat;
    std::uint64_t quotes = 0, colons = 0, commas = 0, special = 0;
    // Loads stop within 15 bytes after the text: inside its JsonText padding.
    for (std::size_t k = 0; k < n; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + k));
        auto bits = [&](__m128i m) { return std::uint64_t(unsigned(_mm_movemask_epi8(m))) << k; };
        const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));  // [ ] onto { }
        quotes |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
        colons |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(':')));
        commas |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')));
        special |= bits(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(v, _mm_setzero_si128())),
            _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7B)), _mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7D)))));
    }
    const std::uint64_t valid = n == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << n) - 1;
    const std::uint64_t interior = valid & ~std::uint64_t(1) & ~(std::uint64_t(1) << (n - 1));
    // Brackets inside, escapes (in names they need decoding) and bytes 0 are
    // left to the general split, wherever they are.
    if (special & interior) return kNotFlat;
    std::uint64_t inside = quotes & valid;
    inside ^= inside << 1;
    inside ^= inside << 2;
    inside ^= inside << 4;
    inside ^= inside << 8;
    inside ^= inside << 16;
    inside ^= inside << 32;
    const std::uint64_t outside = ~(inside | quotes) & valid;
    colons &= outside;
    commas &= outside;

    // A member needs a colon and a comma, so at most 32 fit.
    std::uint8_t colonAt[32], stopAt[32];
    std::uint32_t count = 0;
    std::size_t start = 1;
    for (;;) {
        const std::uint64_t colonAfter = colons & (~std::uint64_t(0) << start);
        if (!colonAfter) return kFailed;
        const std::size_t colon = std::size_t(__builtin_ctzll(colonAfter));  // at most n - 2
        const std::uint64_t commaAfter = commas & (~std::uint64_t(0) << (colon + 1));
        const std::size_t stop = commaAfter ? std::size_t(__builtin_ctzll(commaAfter)) : n - 1;
        colonAt[count] = std::uint8_t(colon);
        stopAt[count] = std::uint8_t(stop);
        ++count;
        if (!commaAfter) break;
        start = stop + 1;
    }

    JsonBlock* block = JsonBlock::allocate(count, d.store, false);
    JsonPiece* pieces = block->pieces();
    JsonNode* slots = block->slots();
    const Scan noIndex{t, n};
    start = 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t colon = colonAt[i];
        const std::size_t stop = stopAt[i];
        JsonPiece& piece = pieces[i];
        classifyValue(piece, t + colon + 1, stop - colon - 1, noIndex, colon + 1, kJsonNoBracket);
        // Key: from the member start to the byte before the colon, without
        // its first byte.
        piece.nameSize = colon > start + 2 ? std::uint16_t(colon - 2 - start) : 0;
        piece.index = i;
        piece.children = JsonChildren();
        new (slots + i) JsonNode();
        JsonNodeData::dataOf(slots[i]) = pieceHandle(&piece);
        start = stop + 1;
    }
    d.children = block;
    return kSplit;
}
#endif

bool splitObjectText(SplitJob& d) {
    const char* t = d.text;
    const std::size_t n = d.textSize;
    if (n < 2 || t[0] != '{' || t[n - 1] != '}') return false;
#if JSON_SSE2
    if (n > 2 && gJsonAccelerated) {
        const int flat = splitFlatObject(d);
        if (flat != kNotFlat) return flat == kSplit;
    }
#endif
    if (n > 2) {
        PieceList pieces;
        std::vector<OddChild> oddChildren;
        Scan scan = scanOf(d);
        std::size_t start = 1;
        for (;;) {
            // The usual member, "key":value, takes the short ways below; they
            // give what the full top-level search gives, and fall back to it
            // for anything else.
            std::size_t colon = kNoPos;
            bool backslash = false;
            if (t[start] == '"') {
                std::size_t q = start + 1;
                for (; q < n && t[q] != '"' && t[q] != '\0'; ++q) backslash |= t[q] == '\\';
                if (q + 1 < n && t[q] == '"' && t[q + 1] == ':') colon = q + 1;
            }
            if (colon == kNoPos) {
                colon = scan.next<false>(':', start);
                if (colon == kNoPos) return false;
                backslash = true;  // unknown: checked below
            }
            const std::uint32_t cursorAtValue = scan.cursor;
            std::size_t comma = kNoPos;
            std::size_t v = colon + 1;
            const unsigned char* u = reinterpret_cast<const unsigned char*>(t);
            if (v < n && !kStructural.of[u[v]]) {
                v = scan.skipValueBytes(v);
                if (v < n && t[v] == ',')
                    comma = v;
                else if (!(v < n && (t[v] == '}' || t[v] == ']')))
                    comma = scan.next<false>(',', colon);
            } else {
                comma = scan.next<false>(',', colon);
            }
            const std::size_t stop = comma == kNoPos ? n - 1 : comma;
            JsonPiece& piece = pieces.add();
            classifyValue(piece, t + colon + 1, stop - colon - 1, scan, colon + 1, cursorAtValue);
            // The key text runs from the member start to the byte before the
            // colon (so a closing quote is left out); its first byte, the
            // opening quote when there is one, is dropped.
            const std::size_t keySize = colon > start + 1 ? colon - 1 - start : 0;
            const std::size_t nameSize = keySize > 0 ? keySize - 1 : 0;
            const char* name = t + start + 1;
            piece.nameSize = static_cast<std::uint16_t>(nameSize);
            if (nameSize > JsonPiece::kMaxNameSize || stop - colon - 1 > JsonPiece::kMaxValueSize ||
                (backslash && holdsBackslash(name, nameSize)))
                oddChildren.push_back({std::uint32_t(pieces.size() - 1), name, nameSize, t + colon + 1,
                                       stop - colon - 1, scan.bracketAt(colon + 1, cursorAtValue)});
            if (comma == kNoPos) break;
            start = comma + 1;
        }
        adoptPieces(d, pieces, oddChildren);
    }
    return true;
}

// The shapes plainDecimalToFloat leaves out: the full check and conversion.
[[gnu::noinline]] void checkOtherNumber(JsonPiece& piece) {
    if (isNumericText(std::string_view(piece.value, piece.valueSize))) {
        piece.number = numberTextToFloat(piece.value, piece.valueSize);
        piece.checked = true;
    } else {
        piece.type = JsonType::Null;
    }
}

// Checks a Number piece's shape on its first read; a failed check makes it
// Null, as fetching the record would.
inline void checkNumber(JsonPiece& piece) {
    if (piece.checked) return;
    if (gJsonAccelerated && plainDecimalToFloat(piece.value, piece.valueSize, piece.number))
        piece.checked = true;
    else
        checkOtherNumber(piece);
}

// The decoded bytes of a String piece; a String text too short to hold both
// quotes makes the piece Null.
bool decodeStringPiece(JsonPiece& piece, std::string& out) {
    if (piece.valueSize < 2) {
        piece.type = JsonType::Null;
        return false;
    }
    out = decodeEscapes(std::string_view(piece.value + 1, piece.valueSize - 2));
    return true;
}

}  // namespace

JsonType pieceType(JsonPiece& piece) {
    if (piece.type == JsonType::Number) checkNumber(piece);
    return piece.type;
}

float pieceFloat(JsonPiece& piece) {
    switch (piece.type) {
        case JsonType::Bool:
            return piece.value[0] == 't' ? 1.0f : 0.0f;
        case JsonType::Number:
            checkNumber(piece);
            return piece.type == JsonType::Number ? piece.number : 0.0f;
        case JsonType::String: {
            std::string decoded;
            return decodeStringPiece(piece, decoded) ? jsonTextToFloat(decoded) : 0.0f;
        }
        default:
            return 0.0f;
    }
}

std::string pieceString(JsonPiece& piece) {
    switch (piece.type) {
        case JsonType::Number:
            checkNumber(piece);
            if (piece.type != JsonType::Number) return "null";
            [[fallthrough]];
        case JsonType::Bool:
            return std::string(piece.value, piece.valueSize);
        case JsonType::String: {
            std::string decoded;
            return decodeStringPiece(piece, decoded) ? decoded : std::string("null");
        }
        default:  // Null: "null" for a written or failed value, empty for an empty one
            return piece.valueSize ? std::string("null") : std::string();
    }
}

bool fetchPiece(JsonPiece& piece) {
    if (piece.checked) return true;
    if (piece.type != JsonType::Array && piece.type != JsonType::Object) return false;
    SplitJob job{piece.value, piece.valueSize, JsonBlock::of(&piece)->store, piece.bracket};
    if (!(piece.type == JsonType::Array ? splitArrayText(job) : splitObjectText(job))) {
        piece.type = JsonType::Null;
        return false;
    }
    piece.children.block = job.children;
    piece.checked = true;
    JsonBlock::of(&piece)->nested = 1;
    return true;
}

float JsonNode::asFloat() const {
    if (!data_) return 0.0f;
    if (isPieceHandle(data_)) {
        JsonPiece& piece = *pieceOf(data_);
        if (piece.type == JsonType::Number) {
            checkNumber(piece);
            return piece.type == JsonType::Number ? piece.number : 0.0f;
        }
        if (piece.type != JsonType::Array && piece.type != JsonType::Object) return pieceFloat(piece);
        fetchPiece(piece);  // a container reads as 0, split or not
        return 0.0f;
    }
    JsonNodeData* data = data_;
    data->fetch();
    switch (data->type) {
        case JsonType::Null:
            return 0.0f;
        case JsonType::String:
            data->value = jsonTextToFloat(std::string_view(data->text, data->textSize));
            return data->value;
        default:
            return data->value;
    }
}

std::int64_t JsonNode::asInt() const {
    const float value = asFloat();
    // Outside this range (and for NaN) the conversion is undefined in C++;
    // x86 yields the "integer indefinite" value, which is kept here.
    if (!(value >= -9223372036854775808.0f && value < 9223372036854775808.0f)) return INT64_MIN;
    return static_cast<std::int64_t>(value);
}

void fillFromPiece(JsonNodeData& record, JsonPiece& piece, JsonText* store) {
    // The record is fresh: empty texts, no stores.
    if (piece.nameSize) {
        record.name = piece.name();
        record.nameSize = piece.nameSize;
        record.nameStore = store;
        JsonText::retain(store);
    }
    record.type = pieceType(piece);
    switch (record.type) {
        case JsonType::Null:
            record.parsed = true;
            if (piece.valueSize) {
                record.text = "null";
                record.textSize = 4;
            }
            return;
        case JsonType::Bool:
            record.parsed = true;
            record.value = piece.value[0] == 't' ? 1.0f : 0.0f;
            break;
        case JsonType::Number:
            record.parsed = true;
            record.value = piece.number;
            break;
        case JsonType::String:
            break;
        case JsonType::Array:
        case JsonType::Object:
            if (piece.checked) {
                // Split already: the record takes the children over.
                record.parsed = true;
                record.children = piece.children;
                piece.children = JsonChildren();
                return;
            }
            record.bracket = piece.bracket;
            break;
    }
    record.text = piece.value;
    record.textSize = piece.valueSize;
    record.textStore = store;
    JsonText::retain(store);
}

// ---------------------------------------------------------------------------
// Records made by the reader

JsonNodeData* JsonNodeData::fromText(JsonText* store) {
    JsonNodeData* d = new JsonNodeData();
    d->text = store->bytes();
    d->textSize = store->size;
    d->textStore = store;
    const char first = store->size ? store->bytes()[0] : '\0';
    if (first == '[' || first == '{') {
        d->type = first == '[' ? JsonType::Array : JsonType::Object;
        if (!store->brackets.empty() && store->brackets[0].pos == 0) d->bracket = 0;
    } else {
        d->makeNull();
    }
    return d;
}

void JsonNodeData::fromNameAndValue(JsonText* store, const char* nameBytes, std::size_t size, const char* valueText,
                                    std::size_t valueSize, std::uint32_t valueBracket) {
    if (size > 0) {
        if (holdsBackslash(nameBytes, size)) {
            JsonText* decoded = decodedText(nameBytes, size);
            setName(decoded->bytes(), decoded->size, decoded);
            JsonText::release(decoded);
        } else {
            setName(nameBytes, size, store);
        }
    }
    if (valueSize == 0) {
        type = JsonType::Null;
        parsed = true;
        return;
    }
    setText(valueText, valueSize, store);
    const char first = valueText[0];
    const char last = valueText[valueSize - 1];
    const std::string_view whole(valueText, valueSize);
    switch (first) {
        case '"':
            if (last != '"') return makeNull();
            type = JsonType::String;
            return;
        case 't':
        case 'f':
            if (whole != "true" && whole != "false") return makeNull();
            type = JsonType::Bool;
            value = first == 't' ? 1.0f : 0.0f;
            parsed = true;
            return;
        case '[':
        case '{':
            if (last != (first == '[' ? ']' : '}')) return makeNull();
            type = first == '[' ? JsonType::Array : JsonType::Object;
            bracket = valueBracket;
            return;
        default:
            // "null", a failed literal or a failed number: all read as null.
            if (!isNumericText(whole)) return makeNull();
            type = JsonType::Number;
            return;
    }
}

void JsonNodeData::interpret() {
    switch (type) {
        case JsonType::String: {
            if (textSize < 2 || text[0] != '"' || text[textSize - 1] != '"') return makeNull();
            const char* inner = text + 1;
            const std::size_t innerSize = textSize - 2;
            if (holdsBackslash(inner, innerSize)) {
                JsonText* decoded = decodedText(inner, innerSize);
                setText(decoded->bytes(), decoded->size, decoded);
                JsonText::release(decoded);
            } else {
                text = inner;
                textSize = innerSize;
            }
            break;
        }
        case JsonType::Number:
            if (!isNumericText(std::string_view(text, textSize))) return makeNull();
            value = numberTextToFloat(text, textSize);
            break;
        case JsonType::Array:
        case JsonType::Object: {
            SplitJob job{text, textSize, textStore, bracket};
            if (!(type == JsonType::Array ? splitArrayText(job) : splitObjectText(job))) return makeNull();
            children.block = job.children;
            clearText();
            break;
        }
        default:
            return makeNull();
    }
    parsed = true;
}

JsonNode JsonNode::parse(std::string_view input) {
    JsonText* text = compactToText(input);
    const char* b = text->bytes();
    std::size_t n = text->size;
    bool bracketed = n > 0 && ((b[0] == '[' && b[n - 1] == ']') || (b[0] == '{' && b[n - 1] == '}'));
    if (!bracketed) {
        JsonText::release(text);
        return JsonNode(JsonType::Null);
    }
    JsonNodeData* root;
    try {
        root = JsonNodeData::fromText(text);
    } catch (...) {
        JsonText::release(text);
        throw;
    }
    return JsonNode(root);
}

// ---------------------------------------------------------------------------
// Helpers exposed for tests

std::size_t findNextTopLevel(std::string_view text, char wanted, std::size_t start) {
    Scan scan{text.data(), text.size()};
    return scan.next<false>(wanted, start);
}

std::string decodeEscapes(std::string_view text) {
    std::string out(text.size(), '\0');
    out.resize(decodeEscapesInto(text.data(), text.size(), out.data()));
    return out;
}

std::uint8_t hexDigitValue(unsigned char c) {
    std::uint8_t d = static_cast<std::uint8_t>(c - 48);
    if (d > 48) return static_cast<std::uint8_t>(d - 39);
    if (d > 9) return static_cast<std::uint8_t>(d - 7);
    return d;
}


void setJsonAccelerationEnabled(bool enabled) { gJsonAccelerated = enabled; }
