// Compaction of a whole JSON text: white space and comments go, strings stay
// byte for byte, and the positions of the structural brackets are indexed.

#include "json/json_reader.h"
#include "json/json_reader_detail.h"

#include <bit>
#include <cstring>
#include <vector>

namespace {

bool cpuHasAvx2() {
#if JSON_AVX2
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
#else
    return false;
#endif
}

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

    // Records the brackets of one block (bit i: byte i of the block) at their places in the
    // output, which the dropped bytes before each one shift to the left.
    void recordBrackets(std::uint64_t brackets, std::uint64_t dropped) {
        while (brackets) {
            const unsigned i = unsigned(std::countr_zero(brackets));
            brackets &= brackets - 1;
            const std::size_t pos =
                size() + i - std::size_t(std::popcount(dropped & ((std::uint64_t(1) << i) - 1)));
            const char c = static_cast<char>(p_[i]);
            if (c == '[' || c == '{')
                indexer_.open(pos, c);
            else
                indexer_.close(pos, c);
        }
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
            recordBrackets(brackets, dropped);
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
            recordBrackets(brackets, dropped);
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

}  // namespace

bool gJsonWide = cpuHasAvx2();

JsonText* compactToText(std::string_view input) {
    JsonText* text = JsonText::allocate(input.size());
    try {
        if (gJsonAccelerated && input.size() < kJsonNoBracket)
            text->size = Compactor<true>(input, text).run(true, gJsonWide);
        else
            text->size = Compactor<false>(input, text).run(gJsonAccelerated, gJsonWide);
        text->bytes()[text->size] = '\0';
    } catch (...) {
        JsonText::release(text);
        throw;
    }
    return text;
}

std::string compactJsonText(std::string_view input) {
    JsonText* text = compactToText(input);
    std::string out(text->bytes(), text->size);
    JsonText::release(text);
    return out;
}

bool setJsonWideCompaction(bool enabled) {
    gJsonWide = enabled && cpuHasAvx2();
    return gJsonWide;
}

