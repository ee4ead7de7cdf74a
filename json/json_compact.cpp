// Compaction of a whole JSON text: white space and comments go, strings stay
// byte for byte, and the structural brackets are indexed on the way.

#include "json/json_reader.h"
#include "json/json_reader_detail.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

size_t gJsonIndexLimit = kJsonNoBracket;

namespace {

enum ByteClass : uint8_t {
    kDrop, // white space outside strings
    kCopy, // ordinary printable byte
    kQuote,
    kHash,
    kSlash,
    kBackslash,
    kOpen,
    kClose,
    kStop, // control bytes, 127 and above: the output ends
};

struct ByteClasses {
    uint8_t of[256];
    constexpr ByteClasses() : of()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = (c >= 33 && c <= 126) ? kCopy : kStop;
        for (unsigned char c : {' ', '\t', '\n', '\r'})
            of[c] = kDrop;
        of[unsigned('"')] = kQuote;
        of[unsigned('#')] = kHash;
        of[unsigned('/')] = kSlash;
        of[unsigned('\\')] = kBackslash;
        of[unsigned('[')] = of[unsigned('{')] = kOpen;
        of[unsigned(']')] = of[unsigned('}')] = kClose;
    }
};

constexpr ByteClasses kClasses;

// Fills the bracket index of the text being compacted: an opener's target is
// exactly where a byte-walking skip of its level would stop (see JsonBracket).
class BracketIndexer {
public:
    explicit BracketIndexer(std::vector<JsonBracket>& out) : out_(out) { }

    void open(char c)
    {
        stack_[c == '[' ? 0 : 1].push_back(static_cast<uint32_t>(out_.size()));
        out_.push_back({kJsonNoBracket, 0});
    }

    void close(size_t pos, char c)
    {
        const int kind = c == ']' ? 0 : 1;
        std::vector<uint32_t>& stack = stack_[kind];
        if (stack.empty())
            return;
        const size_t depth = stack.size() - 1;
        const uint32_t index = stack.back();
        stack.pop_back();
        if (depth < poisonedBelow_[kind]) {
            poisonedBelow_[kind] = depth;
            return;
        }
        out_[index] = {static_cast<uint32_t>(pos), static_cast<uint32_t>(out_.size())};
    }

    // A string holding a byte 0 was closed: every open bracket loses its target.
    void poisonOpen()
    {
        poisonedBelow_[0] = stack_[0].size();
        poisonedBelow_[1] = stack_[1].size();
    }

private:
    std::vector<JsonBracket>& out_;
    std::vector<uint32_t> stack_[2];
    size_t poisonedBelow_[2] = {0, 0};
};

// Compacts one input into a text of input size + 1 bytes. The write position
// never passes the read position, so every store lands inside the text.
class Compactor {
public:
    Compactor(std::string_view input, JsonText* text, bool indexed)
        : p_(reinterpret_cast<const unsigned char*>(input.data())), end_(p_ + input.size()),
          out_(text->bytes()), w_(out_), backslashes_(text->backslashes), indexed_(indexed),
          indexer_(text->brackets)
    {
    }

    // Returns the compacted size. Blocks of 64 bytes take the vector path;
    // whatever it leaves (escapes, comments, bytes that end the output, a
    // byte 0 in a string) and the tail go byte by byte.
    size_t run()
    {
#if JSON_SSE2
        bool inString = false; // a string opened in an earlier block is still open
        while (end_ - p_ >= 80) {
            if (block(inString))
                continue;
            const unsigned char* blockEnd = p_ + 64;
            if (inString && !finishString())
                return size();
            inString = false;
            while (p_ < blockEnd)
                if (!step())
                    return size();
        }
        if (inString && !finishString())
            return size();
#endif
        while (p_ < end_)
            if (!step())
                break;
        return size();
    }

private:
    size_t size() const
    {
        return size_t(w_ - out_);
    }

    // Handles what starts at p_ outside any string: a run of ordinary bytes,
    // white space, a bracket, a whole string, a comment. False when the
    // output ends.
    bool step()
    {
        const unsigned char c = *p_;
        switch (kClasses.of[c]) {
        case kBackslash: backslashes_ = true; [[fallthrough]];
        case kCopy:
            do
                *w_++ = static_cast<char>(*p_++);
            while (p_ < end_ && kClasses.of[*p_] == kCopy);
            return true;
        case kDrop: ++p_; return true;
        case kOpen:
        case kClose:
            if (indexed_)
                kClasses.of[c] == kOpen ? indexer_.open(char(c)) : indexer_.close(size(), char(c));
            *w_++ = static_cast<char>(*p_++);
            return true;
        case kQuote:
            *w_++ = '"';
            ++p_;
            return finishString();
        case kHash:
        case kSlash:
            if (c == '#' || (p_ + 1 < end_ && p_[1] == '/')) {
                // A line comment, to the line feed included.
                const void* lineEnd = std::memchr(p_, '\n', size_t(end_ - p_));
                p_ = lineEnd ? static_cast<const unsigned char*>(lineEnd) + 1 : end_;
                return true;
            }
            if (p_ + 1 >= end_ || p_[1] != '*')
                return false; // a lone '/'
            for (const unsigned char* q = p_ + 2;;) {
                const void* star = std::memchr(q, '*', size_t(end_ - q));
                if (!star)
                    return false; // unterminated block comment
                q = static_cast<const unsigned char*>(star) + 1;
                if (q < end_ && *q == '/') {
                    p_ = q + 1;
                    return true;
                }
            }
        default: return false;
        }
    }

    // Copies the rest of a string whose opening quote is written, closing
    // quote included. False when the input ends first.
    bool finishString()
    {
        bool holdsZero = false;
        for (;;) {
            if (p_ >= end_)
                return false;
            const unsigned char s = *p_;
            if (s == '"') {
                *w_++ = '"';
                ++p_;
                break;
            }
            if (s == '\\') {
                backslashes_ = true;
                if (p_ + 1 >= end_)
                    return false;
                const unsigned char escaped = p_[1];
                *w_++ = '\\';
                // A protected quote: later scans never take it for the end of
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
        if (indexed_ && holdsZero)
            indexer_.poisonOpen();
        return true;
    }

#if JSON_SSE2
    // Set bits of x without POPCNT, which the baseline target lacks.
    static unsigned countBits(uint64_t x)
    {
        x -= (x >> 1) & 0x5555555555555555u;
        x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
        return unsigned((x * 0x0101010101010101u) >> 56);
    }

    // Compacts the 64 bytes at p_ (at least 80 remain) unless they hold
    // something only the byte path handles; then nothing is consumed.
    bool block(bool& inString)
    {
        __m128i v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + 16 * k));
        // One bit per byte of the 64: test(v) applied to the four vectors.
        auto mask = [&v](auto test) {
            uint64_t bits = 0;
            for (int k = 0; k < 4; ++k)
                bits |= uint64_t(unsigned(_mm_movemask_epi8(test(v[k])))) << (16 * k);
            return bits;
        };
        auto equal = [](char c) {
            return [c](__m128i x) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
        };
        if (mask(equal('\\')))
            return false;
        const uint64_t quotes = mask(equal('"'));
        const uint64_t white = mask([](__m128i x) {
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')),
                                             _mm_cmpeq_epi8(x, _mm_set1_epi8('\t'))),
                                _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')),
                                             _mm_cmpeq_epi8(x, _mm_set1_epi8('\r'))));
        });
        // Control bytes and bytes from 128 up (a signed compare), 127, # and
        // /; a byte 0 is among them.
        const uint64_t stops =
            (mask([](__m128i x) { return _mm_cmplt_epi8(x, _mm_set1_epi8(0x20)); }) & ~white) |
            mask([](__m128i x) {
                return _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F)),
                                    _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('#')),
                                                 _mm_cmpeq_epi8(x, _mm_set1_epi8('/'))));
            });
        const uint64_t inside = insideStrings(quotes, inString);
        const uint64_t outside = ~(inside | quotes);
        if (stops & outside)
            return false;
        if ((stops & inside) && (mask(equal('\0')) & inside))
            return false; // a byte 0 inside a string

        const uint64_t dropped = white & outside;
        if (indexed_) {
            uint64_t brackets = mask([](__m128i x) {
                                    const __m128i folded =
                                        _mm_or_si128(x, _mm_set1_epi8(0x20)); // [ ] onto { }
                                    return _mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8('{')),
                                                        _mm_cmpeq_epi8(folded, _mm_set1_epi8('}')));
                                }) &
                                outside;
            // Each at its place in the output, which the dropped bytes before
            // it shift to the left.
            while (brackets) {
                const unsigned i = unsigned(std::countr_zero(brackets));
                brackets &= brackets - 1;
                const char c = static_cast<char>(p_[i]);
                if (c == '[' || c == '{')
                    indexer_.open(c);
                else
                    indexer_.close(size() + i - countBits(dropped & ((uint64_t(1) << i) - 1)), c);
            }
        }
        // Each kept run is copied with 16-byte stores; at least 80 input
        // bytes remain, so the loads stay inside the input.
        uint64_t rest = ~dropped;
        while (rest) {
            const unsigned start = unsigned(std::countr_zero(rest));
            const uint64_t shifted = rest >> start;
            const unsigned length =
                ~shifted == 0 ? 64 - start : unsigned(std::countr_zero(~shifted));
            for (unsigned k = 0; k < length; k += 16)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(w_ + k),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + start + k)));
            w_ += length;
            rest = start + length >= 64 ? 0 : rest & (~uint64_t(0) << (start + length));
        }
        inString = inside >> 63;
        p_ += 64;
        return true;
    }
#endif

    const unsigned char* p_;
    const unsigned char* const end_;
    char* const out_;
    char* w_;
    bool& backslashes_;
    const bool indexed_;
    BracketIndexer indexer_;
};

} // namespace

JsonText* compactToText(std::string_view input)
{
    JsonText* text = JsonText::allocate(input.size());
    try {
        // Data files hold about one bracket in 20 bytes: reserved so (up to 32 MB),
        // the index is not moved as it grows; a text with far fewer gives the rest back.
        const bool indexed = input.size() < gJsonIndexLimit;
        if (indexed)
            text->brackets.reserve(std::min<size_t>(input.size() / 16, 1 << 22));
        text->size = Compactor(input, text, indexed).run();
        if (text->brackets.size() < text->brackets.capacity() / 4)
            std::vector<JsonBracket>(text->brackets)
                .swap(text->brackets); // a failure throws, unlike shrink_to_fit
        text->bytes()[text->size] = '\0';
    } catch (...) {
        JsonText::release(text);
        throw;
    }
    return text;
}

std::string compactJsonText(std::string_view input)
{
    JsonText* text = compactToText(input);
    std::string out(text->bytes(), text->size);
    JsonText::release(text);
    return out;
}

size_t setJsonIndexLimit(size_t bytes)
{
    const size_t previous = gJsonIndexLimit;
    gJsonIndexLimit = bytes < kJsonNoBracket ? bytes : kJsonNoBracket;
    return previous;
}
