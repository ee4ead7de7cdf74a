// Number texts: the shapes the reader accepts and their conversion, which
// gives what the C library's atof gives, stored as a float, whatever the
// process locale.

#include "json/json_reader.h"
#include "json/json_reader_detail.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <memory>

namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

}  // namespace

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

namespace {

// atof of a text that isNumericText accepted, as a float. The common shapes
// (at most 19 significant digits, value below 2^53 before scaling, a power of
// ten up to 22) are exact in double arithmetic with one rounding, which is
// what a correctly rounding strtod returns; the rest goes through the C
// library's own conversion.
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
    return cStringToFloat(std::string_view(s, n));
}

}  // namespace

bool otherNumberToFloat(const char* s, std::size_t n, float& out) {
    if (!isNumericText(std::string_view(s, n))) return false;
    out = numberTextToFloat(s, n);
    return true;
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

