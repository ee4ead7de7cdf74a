// The reader of the game's JSON dialect: compaction of the whole text once,
// then lazy, one-level-at-a-time interpretation of each record.

#include "json/json_reader.h"

#include "json/json_node.h"
#include "json/json_node_data.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <memory>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#define JSON_SSE2 1
#else
#define JSON_SSE2 0
#endif

// A 64-byte compaction path for x86-64 CPUs with AVX2, chosen at run time.
#if JSON_SSE2 && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define JSON_AVX2 1
#define JSON_AVX2_TARGET __attribute__((target("avx2,popcnt")))
#else
#define JSON_AVX2 0
#endif

namespace {

constexpr std::size_t kNoPos = kJsonNoPosition;

bool gAccelerated = true;

bool cpuHasAvx2() {
#if JSON_AVX2
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
#else
    return false;
#endif
}

// Whether compaction takes its 64-byte path.
bool gWide = cpuHasAvx2();

// ---------------------------------------------------------------------------
// Compaction

enum ByteClass : std::uint8_t {
    kDrop = 0,   // white space outside strings
    kCopy = 1,   // ordinary printable byte
    kQuote,
    kHash,
    kSlash,
    kOpen,
    kClose,
    kStop,  // control bytes, 127 and above: the output ends
};

struct ByteClasses {
    std::uint8_t of[256];
    constexpr ByteClasses() : of() {
        for (int c = 0; c < 256; ++c) of[c] = (c >= 33 && c <= 126) ? kCopy : kStop;
        for (unsigned char c : {' ', '\t', '\n', '\r'}) of[c] = kDrop;
        of[unsigned('"')] = kQuote;
        of[unsigned('#')] = kHash;
        of[unsigned('/')] = kSlash;
        of[unsigned('[')] = of[unsigned('{')] = kOpen;
        of[unsigned(']')] = of[unsigned('}')] = kClose;
    }
};

constexpr ByteClasses kClasses;

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

inline unsigned bitCount(unsigned x) {
    x = x - ((x >> 1) & 0x55555555u);
    x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
    return (((x + (x >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

// Records the structural brackets of the text being compacted, so that scans
// can later jump over a nested level instead of walking it. The jump target of
// an opener is exactly where the byte-walking skip of findNextTopLevel would
// stop: the closer of its own kind at depth zero, counting only that kind, and
// no target at all if a string holding a byte 0 lies on the way (the walking
// skip gives up there) or the opener is never closed.
class BracketIndexer {
public:
    explicit BracketIndexer(std::vector<JsonBracket>& out) : out_(out) {}

    void open(std::size_t pos, char c) {
        int kind = c == '[' ? 0 : 1;
        stack_[kind].push_back(static_cast<std::uint32_t>(out_.size()));
        out_.push_back({static_cast<std::uint32_t>(pos), kJsonNoBracket, 0});
    }

    void close(std::size_t pos, char c) {
        int kind = c == ']' ? 0 : 1;
        std::vector<std::uint32_t>& stack = stack_[kind];
        if (stack.empty()) return;
        std::size_t depth = stack.size() - 1;
        std::uint32_t index = stack.back();
        stack.pop_back();
        bool poisoned = depth < poisonedBelow_[kind];
        if (poisonedBelow_[kind] > depth) poisonedBelow_[kind] = depth;
        if (poisoned) return;
        out_[index].end = static_cast<std::uint32_t>(pos);
        out_[index].next = static_cast<std::uint32_t>(out_.size());
    }

    // A string holding a byte 0 was closed: every open bracket loses its target.
    void poisonOpen() {
        poisonedBelow_[0] = stack_[0].size();
        poisonedBelow_[1] = stack_[1].size();
    }

private:
    std::vector<JsonBracket>& out_;
    std::vector<std::uint32_t> stack_[2];
    std::size_t poisonedBelow_[2] = {0, 0};
};

// Compacts one input into a text buffer of input size + 1 bytes. The write
// position never passes the read position, so every store lands inside the
// buffer.
template <bool Index>
class Compactor {
public:
    Compactor(std::string_view input, JsonText* text)
        : p_(reinterpret_cast<const unsigned char*>(input.data())),
          end_(p_ + input.size()),
          out_(text->bytes()),
          w_(out_),
          indexer_(text->brackets) {}

    // Returns the compacted size.
    // `wide`: the CPU has AVX2 (checked by the caller).
    std::size_t run(bool vectorised, bool wide) {
        (void)vectorised;
        (void)wide;
#if JSON_SSE2
        bool inString = false;  // a string opened in an earlier block is still open
#if JSON_AVX2
        if (vectorised && wide && !runWide(inString)) return size();
#endif
        while (vectorised && end_ - p_ >= 48) {
            if (block(inString)) continue;
            // Something the vector path leaves to the byte path: an escape,
            // a comment, a byte that ends the output, a byte 0 in a string.
            const unsigned char* blockEnd = p_ + 32;
            if (inString && !finishString()) return size();
            inString = false;
            while (p_ < blockEnd)
                if (!step()) return size();
        }
        if (inString && !finishString()) return size();
#endif
        while (p_ < end_)
            if (!step()) break;
        return size();
    }

private:
    std::size_t size() const { return std::size_t(w_ - out_); }

#if JSON_AVX2
    // The 64-byte form of the vector path, for CPUs with AVX2. False when the
    // output has ended.
    JSON_AVX2_TARGET bool runWide(bool& inString) {
        while (end_ - p_ >= 96) {
            if (wideBlock(inString)) continue;
            const unsigned char* blockEnd = p_ + 64;
            if (inString && !finishString()) return false;
            inString = false;
            while (p_ < blockEnd)
                if (!step()) return false;
        }
        return true;
    }

    // As block(), for the 64 bytes at p_ (at least 96 remain).
    JSON_AVX2_TARGET bool wideBlock(bool& inString) {
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p_));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p_ + 32));
        // One bit per byte of the 64: TEST(v) applied to both halves.
#define JSON_MASK64(TEST)                                                  \
    (std::uint64_t(std::uint32_t(_mm256_movemask_epi8(TEST(lo)))) |        \
     (std::uint64_t(std::uint32_t(_mm256_movemask_epi8(TEST(hi)))) << 32))
#define JSON_BACKSLASH(v) _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\\'))
#define JSON_QUOTE(v) _mm256_cmpeq_epi8(v, _mm256_set1_epi8('"'))
#define JSON_ZERO(v) _mm256_cmpeq_epi8(v, _mm256_setzero_si256())
// White space by its low nibble: the table holds each white byte at its
// nibble, so a byte equals its lookup exactly when it is one (bytes from 128
// up look up 0).
#define JSON_WHITE(v) _mm256_cmpeq_epi8(_mm256_shuffle_epi8(whiteTable, v), v)
// Control bytes and bytes from 128 up (signed compare), and white space.
#define JSON_LOW(v) _mm256_cmpgt_epi8(_mm256_set1_epi8(0x21), v)
#define JSON_STOP(v)                                                                   \
    _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x7F)),                       \
                    _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('#')),        \
                                    _mm256_cmpeq_epi8(v, _mm256_set1_epi8('/'))))
#define JSON_BRACKET(v)                                                                         \
    _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(0x7B)), \
                    _mm256_cmpeq_epi8(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(0x7D)))
        const __m256i whiteTable = _mm256_setr_epi8(' ', 0, 0, 0, 0, 0, 0, 0, 0, '\t', '\n', 0, 0, '\r', 0, 0,  //
                                                    ' ', 0, 0, 0, 0, 0, 0, 0, 0, '\t', '\n', 0, 0, '\r', 0, 0);
        if (JSON_MASK64(JSON_BACKSLASH)) return false;
        const std::uint64_t quotes = JSON_MASK64(JSON_QUOTE);
        const std::uint64_t white = JSON_MASK64(JSON_WHITE);
        const std::uint64_t stops = (JSON_MASK64(JSON_LOW) & ~white) | JSON_MASK64(JSON_STOP);
        std::uint64_t inside = quotes;
        inside ^= inside << 1;
        inside ^= inside << 2;
        inside ^= inside << 4;
        inside ^= inside << 8;
        inside ^= inside << 16;
        inside ^= inside << 32;
        if (inString) inside = ~inside;
        const std::uint64_t outside = ~(inside | quotes);
        if (stops & outside) return false;
        if (stops & inside && JSON_MASK64(JSON_ZERO) & inside) return false;  // a byte 0 inside a string

        const std::uint64_t dropped = white & outside;
        if constexpr (Index) {
            std::uint64_t brackets = JSON_MASK64(JSON_BRACKET) & outside;
            while (brackets) {
                const unsigned i = unsigned(__builtin_ctzll(brackets));
                brackets &= brackets - 1;
                const std::size_t pos =
                    size() + i - std::size_t(_mm_popcnt_u64(dropped & ((std::uint64_t(1) << i) - 1)));
                const char c = static_cast<char>(p_[i]);
                if (c == '[' || c == '{')
                    indexer_.open(pos, c);
                else
                    indexer_.close(pos, c);
            }
        }
        if (dropped == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w_), lo);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w_ + 32), hi);
            w_ += 64;
        } else {
            // Each kept run is copied with 32-byte stores; at least 96 input
            // bytes remain, so the loads stay inside the input.
            std::uint64_t rest = ~dropped;
            while (rest) {
                const unsigned start = unsigned(__builtin_ctzll(rest));
                const std::uint64_t shifted = rest >> start;
                const unsigned length = ~shifted == 0 ? 64 - start : unsigned(__builtin_ctzll(~shifted));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(w_),
                                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p_ + start)));
                if (length > 32)
                    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w_ + 32),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p_ + start + 32)));
                w_ += length;
                rest = start + length >= 64 ? 0 : rest & (~std::uint64_t(0) << (start + length));
            }
        }
        inString = inside >> 63;
        p_ += 64;
        return true;
#undef JSON_MASK64
#undef JSON_BACKSLASH
#undef JSON_QUOTE
#undef JSON_ZERO
#undef JSON_WHITE
#undef JSON_LOW
#undef JSON_STOP
#undef JSON_BRACKET
    }
#endif

    // Handles what starts at p_ outside any string: a run of ordinary bytes,
    // white space, a bracket, a whole string, a comment. False when the
    // output ends.
    bool step() {
        const unsigned char c = *p_;
        switch (kClasses.of[c]) {
            case kCopy:
                do *w_++ = static_cast<char>(*p_++);
                while (p_ < end_ && kClasses.of[*p_] == kCopy);
                return true;
            case kDrop:
                for (++p_; p_ < end_ && kClasses.of[*p_] == kDrop;) ++p_;
                return true;
            case kOpen:
                if constexpr (Index) indexer_.open(size(), static_cast<char>(c));
                *w_++ = static_cast<char>(*p_++);
                return true;
            case kClose:
                if constexpr (Index) indexer_.close(size(), static_cast<char>(c));
                *w_++ = static_cast<char>(*p_++);
                return true;
            case kQuote:
                *w_++ = '"';
                ++p_;
                return finishString();
            case kHash:
                skipLine();
                return true;
            case kSlash:
                if (p_ + 1 < end_ && p_[1] == '/') {
                    skipLine();
                    return true;
                }
                if (p_ + 1 < end_ && p_[1] == '*') {
                    const unsigned char* q = p_ + 2;
                    for (;;) {
                        const void* star = std::memchr(q, '*', std::size_t(end_ - q));
                        if (!star) return false;  // unterminated block comment
                        q = static_cast<const unsigned char*>(star) + 1;
                        if (q < end_ && *q == '/') break;
                    }
                    p_ = q + 1;
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

    // Comment to the end of the line, the line feed included.
    void skipLine() {
        const void* lineEnd = std::memchr(p_, '\n', std::size_t(end_ - p_));
        p_ = lineEnd ? static_cast<const unsigned char*>(lineEnd) + 1 : end_;
    }

    // Copies the rest of a string whose opening quote is written, closing
    // quote included. False when the input ends first.
    bool finishString() {
        bool holdsZero = false;
        for (;;) {
            if (p_ >= end_) return false;
            const unsigned char s = *p_;
            if (s == '"') {
                *w_++ = '"';
                ++p_;
                break;
            }
            if (s == '\\') {
                if (p_ + 1 >= end_) return false;
                const unsigned char escaped = p_[1];
                *w_++ = '\\';
                // A protected quote: later scans never see it as the end of
                // the string; decoding turns it back.
                *w_++ = escaped == '"' ? char(1) : static_cast<char>(escaped);
                holdsZero |= escaped == 0;
                p_ += 2;
                continue;
            }
            holdsZero |= s == 0;
            *w_++ = static_cast<char>(s);
            ++p_;
        }
        if constexpr (Index) {
            if (holdsZero) indexer_.poisonOpen();
        }
        return true;
    }

#if JSON_SSE2
    // Compacts the 32 bytes at p_ (at least 48 remain) unless they hold
    // something only the byte path handles; then nothing is consumed.
    bool block(bool& inString) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + 16));
        auto mask = [&](auto test) {
            return unsigned(_mm_movemask_epi8(test(lo))) | (unsigned(_mm_movemask_epi8(test(hi))) << 16);
        };
        auto equal = [](char c) { return [c](__m128i v) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }; };
        if (mask(equal('\\'))) return false;
        const unsigned quotes = mask(equal('"'));
        const unsigned white = mask([](__m128i v) {
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
                                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
        });
        // Control bytes and bytes from 128 up (signed compare), 127, # and /;
        // a byte 0 is among them.
        const unsigned stops = (mask([](__m128i v) { return _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)); }) & ~white) |
                               mask([](__m128i v) {
                                   return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)),
                                                       _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('#')),
                                                                    _mm_cmpeq_epi8(v, _mm_set1_epi8('/'))));
                               });
        // Prefix XOR of the quotes: 1 from an opening quote up to (not
        // including) its closing quote.
        unsigned inside = quotes;
        inside ^= inside << 1;
        inside ^= inside << 2;
        inside ^= inside << 4;
        inside ^= inside << 8;
        inside ^= inside << 16;
        if (inString) inside = ~inside;
        const unsigned outside = ~(inside | quotes);
        if (stops & outside) return false;
        if (stops & inside && mask(equal('\0')) & inside) return false;  // a byte 0 inside a string

        const unsigned dropped = white & outside;
        if constexpr (Index) {
            unsigned brackets = mask([](__m128i v) {
                                    const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));  // [ ] onto { }
                                    return _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7B)),
                                                        _mm_cmpeq_epi8(folded, _mm_set1_epi8(0x7D)));
                                }) &
                                outside;
            while (brackets) {
                const unsigned i = unsigned(__builtin_ctz(brackets));
                brackets &= brackets - 1;
                const unsigned droppedBefore = dropped & ((1u << i) - 1);
                const std::size_t pos = size() + i - bitCount(droppedBefore);
                const char c = static_cast<char>(p_[i]);
                if (c == '[' || c == '{')
                    indexer_.open(pos, c);
                else
                    indexer_.close(pos, c);
            }
        }
        if (dropped == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w_), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w_ + 16), hi);
            w_ += 32;
        } else {
            // Each kept run is copied with 16-byte stores; at least 48 input
            // bytes remain, so the loads stay inside the input.
            unsigned rest = ~dropped;
            while (rest) {
                const unsigned start = unsigned(__builtin_ctz(rest));
                const unsigned shifted = rest >> start;
                const unsigned length = shifted == ~0u ? 32 : unsigned(__builtin_ctz(~shifted));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(w_),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + start)));
                if (length > 16)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(w_ + 16),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + start + 16)));
                w_ += length;
                rest = length + start >= 32 ? 0 : rest & (~0u << (start + length));
            }
        }
        inString = inside >> 31;
        p_ += 32;
        return true;
    }
#endif

    const unsigned char* p_;
    const unsigned char* const end_;
    char* const out_;
    char* w_;
    BracketIndexer indexer_;
};

JsonText* compactToText(std::string_view input) {
    JsonText* text = JsonText::allocate(input.size());
    try {
        if (gAccelerated && input.size() < kJsonNoBracket)
            text->size = Compactor<true>(input, text).run(true, gWide);
        else
            text->size = Compactor<false>(input, text).run(gAccelerated, gWide);
        text->bytes()[text->size] = '\0';
    } catch (...) {
        JsonText::release(text);
        throw;
    }
    return text;
}

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

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

// atof in the "C" locale of the bytes up to the first byte 0.
float cStringToFloat(std::string_view text) {
    std::size_t len = text.find('\0');
    if (len == std::string_view::npos) len = text.size();
    char small[64];
    std::unique_ptr<char[]> large;
    char* copy = small;
    if (len >= sizeof small) {
        large.reset(new char[len + 1]);
        copy = large.get();
    }
    std::memcpy(copy, text.data(), len);
    copy[len] = '\0';
    locale_t locale = cLocale();
    double value = locale ? strtod_l(copy, nullptr, locale) : std::strtod(copy, nullptr);
    return static_cast<float>(value);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// atof of a text that isNumericText accepted, as a float. The common shapes
// (at most 19 significant digits, value below 2^53 before scaling, a power of
// ten up to 22) are exact in double arithmetic with one rounding, which is
// what a correctly rounding strtod returns; the rest goes through
// std::from_chars (also correctly rounded) or, for hexadecimal and
// out-of-range texts, the C library itself.
float numberTextToFloat(const char* s, std::size_t n) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = s;
    const char* const e = s + n;
    bool negative = false;
    if (p < e && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const unsignedStart = p;
    if (e - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return cStringToFloat(std::string_view(s, n));

    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    bool anyDigit = false;
    for (; p < e && isDigit(*p); ++p) {
        anyDigit = true;
        if (digits >= 19) goto general;
        mantissa = mantissa * 10 + std::uint64_t(*p - '0');
        digits += mantissa != 0;
    }
    if (p < e && *p == '.') {
        for (++p; p < e && isDigit(*p); ++p) {
            anyDigit = true;
            if (digits >= 19) goto general;
            mantissa = mantissa * 10 + std::uint64_t(*p - '0');
            digits += mantissa != 0;
            --exponent;
        }
    }
    if (!anyDigit) return 0.0f;  // "." and ".e5": nothing converts
    if (p < e && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negativeExponent = false;
        if (q < e && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q < e && isDigit(*q)) {  // otherwise the exponent is not part of the number
            int value = 0;
            for (; q < e && isDigit(*q); ++q) {
                if (value > 100000) goto general;
                value = value * 10 + (*q - '0');
            }
            exponent += negativeExponent ? -value : value;
        }
    }
    if (mantissa == 0) return negative ? -0.0f : 0.0f;
    if (mantissa <= (std::uint64_t(1) << 53) && exponent >= -22 && exponent <= 22) {
        double value = double(mantissa);
        value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
        return static_cast<float>(negative ? -value : value);
    }
general:
    double value;
    const char* first = negative ? unsignedStart - 1 : unsignedStart;
    std::from_chars_result r = std::from_chars(first, e, value);
    if (r.ec == std::errc()) return static_cast<float>(value);
    return cStringToFloat(std::string_view(s, n));
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
inline bool plainDecimalToFloat(const char* s, std::size_t n, float& out);

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
            if (gAccelerated && plainDecimalToFloat(value, size, piece.number)) piece.checked = true;
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
    if (n > 2 && gAccelerated) {
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

// Value of the `count` (1 to 8) decimal digits that end at `end`, or -1 when
// one of them is not a digit. Loads the 8 bytes before `end`, which lie in
// the text or its front padding.
inline std::int64_t digitsBefore(const char* end, unsigned count) {
    std::uint64_t chunk;
    std::memcpy(&chunk, end - 8, 8);
    if (count < 8) {
        // Bytes before the digits become '0'.
        const std::uint64_t keep = ~std::uint64_t(0) << (8 * (8 - count));
        chunk = (chunk & keep) | (0x3030303030303030u & ~keep);
    }
    if ((((chunk & 0xF0F0F0F0F0F0F0F0u) | (((chunk + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4))) !=
        0x3333333333333333u)
        return -1;
    chunk -= 0x3030303030303030u;
    chunk = chunk * 10 + (chunk >> 8);
    chunk = (((chunk & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
             (((chunk >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
            32;
    return std::int64_t(std::uint32_t(chunk));
}

// The plain decimal shape -?(0|[1-9][0-9]{0,7})(.[0-9]{1,8})?, which
// isNumericText always accepts and which, up to 2^53 before scaling, converts
// to the float that atof-then-float gives without the C library: the common
// case of data files. The text must lie in a JsonText (see digitsBefore).
inline bool plainDecimalToFloat(const char* s, std::size_t n, float& out) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr double kInversePowersOfTen[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
    static constexpr std::uint64_t kIntegerPowers[] = {1,      10,      100,      1000,     10000,
                                                       100000, 1000000, 10000000, 100000000};
    const char* p = s;
    const char* const e = s + n;
    const bool negative = p < e && *p == '-';
    p += negative;
    const char* const integer = p;
    if (p == e || !isDigit(*p)) return false;
    std::uint64_t mantissa = 0;
    if (e - p >= 4 && e - p <= 8 && *p != '0') {
        // A whole number of 4 to 8 digits: one word.
        const std::int64_t digits = digitsBefore(e, unsigned(e - p));
        if (digits >= 0) {
            out = static_cast<float>(negative ? -double(digits) : double(digits));
            return true;
        }
    }
    if (*p == '0')
        ++p;
    else
        while (p < e && isDigit(*p)) mantissa = mantissa * 10 + std::uint64_t(*p++ - '0');
    if (p - integer > 8) return false;
    unsigned fraction = 0;
    if (p < e) {
        if (*p != '.') return false;
        fraction = unsigned(e - p - 1);
        if (fraction == 0 || fraction > 8) return false;
        if (fraction >= 4) {
            const std::int64_t digits = digitsBefore(e, fraction);
            if (digits < 0) return false;
            mantissa = mantissa * kIntegerPowers[fraction] + std::uint64_t(digits);
        } else {
            for (++p; p < e; ++p) {
                if (!isDigit(*p)) return false;
                mantissa = mantissa * 10 + std::uint64_t(*p - '0');
            }
        }
        if (mantissa > (std::uint64_t(1) << 53)) return false;
    }
    double value = double(mantissa);
    if (fraction) {
        // A multiplication by the rounded reciprocal lands within 3 units in
        // the last place of the exact quotient. Rounding to float only
        // depends on which side of a midpoint between two floats the value
        // lies (low 29 mantissa bits 2^28), so a product far from one rounds
        // exactly as the quotient does; near one, divide.
        const double product = value * kInversePowersOfTen[fraction];
        std::uint64_t bits;
        std::memcpy(&bits, &product, sizeof bits);
        const std::uint32_t low = std::uint32_t(bits) & ((1u << 29) - 1);
        value = low - ((1u << 28) - 8) > 16 ? product : value / kPowersOfTen[fraction];
    }
    out = static_cast<float>(negative ? -value : value);
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
    if (gAccelerated && plainDecimalToFloat(piece.value, piece.valueSize, piece.number))
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

std::string compactJsonText(std::string_view input) {
    JsonText* text = compactToText(input);
    std::string out(text->bytes(), text->size);
    JsonText::release(text);
    return out;
}

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

bool isNumericText(std::string_view text) {
    const std::size_t n = text.size();
    if (n == 0) return false;
    const char* s = text.data();
    bool point = false;
    bool exponent = false;
    std::size_t i;
    const char first = s[0];
    if (first == '0') {
        if (n == 1) return true;
        const char second = s[1];
        if (second == '.') {
            point = true;
            i = 2;
        } else if (second == 'e' || second == 'E') {
            exponent = true;
            if (n < 3 || !(isDigit(s[2]) || s[2] == '+' || s[2] == '-')) return false;
            i = 3;
        } else if (second == 'x') {
            for (i = 2; i < n; ++i)
                if (!std::strchr("0123456789ABCDEFabcdef", s[i]) || s[i] == '\0') return false;
            return true;
        } else if (second >= '1' && second <= '7') {
            for (i = 1; i < n; ++i)
                if (s[i] < '0' || s[i] > '7') return false;
            return true;
        } else {
            return false;
        }
    } else if (first == '+' || first == '-') {
        if (n == 1) return false;
        const char second = s[1];
        if (second == '.' || second == 'e' || second == 'E') return false;
        i = second == '0' ? 2 : 1;
    } else if (first >= '1' && first <= '9') {
        i = 1;
    } else if (first == '.') {
        point = true;
        i = 1;
    } else {
        return false;
    }
    while (i < n) {
        const char c = s[i];
        if (isDigit(c)) {
            ++i;
        } else if (c == '.') {
            if (point || exponent) return false;
            point = true;
            ++i;
        } else if (c == 'e' || c == 'E') {
            if (exponent) return false;
            exponent = true;
            ++i;
            if (i < n && isDigit(s[i])) {
                ++i;
            } else if (i + 1 < n && (s[i] == '+' || s[i] == '-') && isDigit(s[i + 1])) {
                i += 2;
            } else {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

float jsonTextToFloat(std::string_view text) { return cStringToFloat(text); }

void setJsonAccelerationEnabled(bool enabled) { gAccelerated = enabled; }

bool setJsonWideCompaction(bool enabled) {
    gWide = enabled && cpuHasAvx2();
    return gWide;
}
