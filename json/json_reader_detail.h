#pragma once

// Internals shared by the reader's source files (compaction, numbers,
// splitting). Not for use outside json/.

#include "json/json_node_data.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The scans use 16-byte SSE2 vectors where the target has them (every
// x86-64 CPU) and bytes one at a time otherwise.
#if defined(__SSE2__)
#include <emmintrin.h>
#define JSON_SSE2 1
#else
#define JSON_SSE2 0
#endif

// Bits from each opening quote of `quotes` up to, not including, its closing
// quote (a prefix XOR), all flipped when a string is open before bit 0.
inline uint64_t insideStrings(uint64_t quotes, bool open)
{
    for (int shift : {1, 2, 4, 8, 16, 32})
        quotes ^= quotes << shift;
    return open ? ~quotes : quotes;
}

// The whole input compacted, with its bracket index when it is shorter than
// the index limit. Reference count 1.
JsonText* compactToText(std::string_view input);
extern size_t gJsonIndexLimit;

// atof in the "C" locale of the bytes up to the first byte 0, as a float.
float cNumberToFloat(std::string_view text);
// The shapes plainDecimalToFloat leaves out: false when isNumericText
// rejects the text, else its value in `out`.
bool otherNumberToFloat(const char* s, size_t n, float& out);

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The usual decimal of data files, -?(0|[1-9][0-9]*)(\.[0-9]+)? in at most 8
// bytes after the sign: its value in `out` as atof-then-float gives it; false,
// `out` untouched, for every other text, which isNumericText then checks. The
// 8 bytes that end the text are read as one word (a JsonText's front padding
// covers a short first value), the point is taken out and the digits are
// summed in three multiplications.
//
// One product is exact enough: the digits are an exact double and the product
// with the rounded power 10^-f lies within 2^-52 (relative) of the quotient,
// while rounding to float only asks on which side of a midpoint between two
// floats it lies. A midpoint has 25 significant bits, so with at most 7 digits
// and f from 1 to 6 the quotient is never one and differs from every one by
// more than 2^-45; whole numbers are exact.
inline bool plainDecimalToFloat(const char* s, size_t n, float& out)
{
    static constexpr double kScales[2][8] = {{1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6},
                                             {-1e0, -1e-1, -1e-2, -1e-3, -1e-4, -1e-5, -1e-6}};
    const bool negative = *s == '-';
    const size_t m = n - negative; // n > 0
    if (m - 1 >= 8 || ((s[negative] == '0') & (m > 1) & (s[negative + 1] != '.')))
        return false;
    uint64_t word;
    std::memcpy(&word, s + n - 8, 8); // the text's last byte is the highest
    // Digits become their values, and the bytes before the text zeros.
    word = (word ^ 0x3030303030303030u) & (~uint64_t(0) << (64 - 8 * m));
    // The bytes above 9, found without a carry between bytes: none, or the point.
    const uint64_t others =
        (((word & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | word) & 0x8080808080808080u;
    unsigned fraction = 0;
    if (others) {
        const unsigned at = unsigned(__builtin_ctzll(others)) / 8;
        fraction = 7 - at;
        // One point, with digits on both sides.
        if ((others & (others - 1)) || ((word >> (8 * at)) & 0xFF) != ('.' ^ '0') ||
            fraction == 0 || at == 8 - m)
            return false;
        const uint64_t below = (uint64_t(1) << (8 * at)) - 1;
        word =
            (word & (~below << 8)) | ((word & below) << 8); // the digits before it move up a byte
    }
    word = word * 10 + (word >> 8);
    word = (((word & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
            (((word >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
           32;
    // The sign comes with the power (rounding is symmetric): a branch on it
    // would be mispredicted half the time.
    out = static_cast<float>(double(uint32_t(word)) * kScales[negative][fraction]);
    return true;
}

// The value of a number value text in `out`; false when the text is not a
// number. The text must lie in a JsonText.
inline bool readNumber(const char* s, size_t n, float& out)
{
    return plainDecimalToFloat(s, n, out) || otherNumberToFloat(s, n, out);
}
