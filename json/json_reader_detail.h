#pragma once

// Internals shared by the reader's source files (compaction, numbers,
// splitting). Not for use outside json/.

#include "json/json_node_data.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// Whether the reader takes its fast paths (see setJsonAccelerationEnabled)
// and whether compaction takes its 64-byte path.
extern bool gJsonAccelerated;
extern bool gJsonWide;

// The whole input compacted, with its bracket index when the fast paths are
// on. Reference count 1.
JsonText* compactToText(std::string_view input);

// atof of a text that isNumericText accepted, as a float.
float numberTextToFloat(const char* s, std::size_t n);
// atof in the "C" locale of the bytes up to the first byte 0.
float cStringToFloat(std::string_view text);

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

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
