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

// The whole input compacted, with its bracket index when it is shorter than
// the index limit. Reference count 1.
JsonText* compactToText(std::string_view input);
extern std::size_t gJsonIndexLimit;

// atof in the "C" locale of the bytes up to the first byte 0, as a float.
float cNumberToFloat(std::string_view text);
// The shapes plainDecimalToFloat leaves out: false when isNumericText
// rejects the text, else its value in `out`.
bool otherNumberToFloat(const char* s, std::size_t n, float& out);

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Value of the `count` (1 to 8) decimal digits that end at `end`, or -1 when
// one of them is not a digit. Loads the 8 bytes before `end`, which lie in
// the text or its front padding.
inline std::int64_t digitsBefore(const char* end, unsigned count) {
    std::uint64_t chunk;
    std::memcpy(&chunk, end - 8, 8);
    const std::uint64_t keep = ~std::uint64_t(0) << (8 * (8 - count));
    chunk = (chunk & keep) | (0x3030303030303030u & ~keep);  // bytes before the digits become '0'
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

// value / 10^fraction (fraction 0 to 8), rounded to double as the division
// would be, for a result that is then rounded to float. The product with the
// rounded reciprocal lies within 3 units in the last place of the exact
// quotient, and rounding to float depends only on which side of a midpoint
// between two floats the value lies (low 29 mantissa bits at 2^28): a product
// far from one rounds as the quotient does; near one, divide. A division on
// every number would make its latency the cost of the whole conversion.
inline double scaleDown(double value, unsigned fraction) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr double kInversePowers[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
    const double product = value * kInversePowers[fraction];
    std::uint64_t bits;
    std::memcpy(&bits, &product, sizeof bits);
    const std::uint32_t low = std::uint32_t(bits) & ((1u << 29) - 1);
    return low - ((1u << 28) - 8) > 16 ? product : value / kPowers[fraction];
}

// The usual decimal of data files, -?(0|[1-9][0-9]{0,7})(.[0-9]{1,8})?: its
// value in `out` as atof-then-float gives it. Up to 2^53 the digits and the
// powers of ten are exact doubles, so the quotient is the correctly rounded
// double that atof returns. False, `out` untouched, for every other text,
// which isNumericText then checks. The text must lie in a JsonText.
inline bool plainDecimalToFloat(const char* s, std::size_t n, float& out) {
    static constexpr std::uint64_t kIntegerPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    const char* p = s;
    const char* const e = s + n;
    const bool negative = p < e && *p == '-';
    p += negative;
    const char* const integer = p;
    if (p == e || !isDigit(*p)) return false;
    std::uint64_t mantissa = 0;
    unsigned fraction = 0;
    // A whole number of 4 to 8 digits is read as one word.
    const bool word = e - p >= 4 && e - p <= 8 && *p != '0' && p[1] != '.' && p[2] != '.' && p[3] != '.';
    const std::int64_t whole = word ? digitsBefore(e, unsigned(e - p)) : -1;
    if (whole >= 0) {
        mantissa = std::uint64_t(whole);
    } else {
        if (*p == '0')
            ++p;
        else
            while (p < e && isDigit(*p)) mantissa = mantissa * 10 + std::uint64_t(*p++ - '0');
        if (p - integer > 8) return false;
        if (p < e) {
            if (*p != '.') return false;
            fraction = unsigned(e - p - 1);
            if (fraction == 0 || fraction > 8) return false;
            const std::int64_t digits = digitsBefore(e, fraction);
            if (digits < 0) return false;
            mantissa = mantissa * kIntegerPowers[fraction] + std::uint64_t(digits);
            if (mantissa > (std::uint64_t(1) << 53)) return false;
        }
    }
    // The sign goes onto the float's bits (rounding is symmetric): a branch on
    // it would be mispredicted half the time.
    const float magnitude = static_cast<float>(scaleDown(double(std::int64_t(mantissa)), fraction));
    std::uint32_t bits;
    std::memcpy(&bits, &magnitude, 4);
    bits |= std::uint32_t(negative) << 31;
    std::memcpy(&out, &bits, 4);
    return true;
}

// The value of a number value text in `out`; false when the text is not a
// number. The text must lie in a JsonText.
inline bool readNumber(const char* s, std::size_t n, float& out) {
    return plainDecimalToFloat(s, n, out) || otherNumberToFloat(s, n, out);
}
