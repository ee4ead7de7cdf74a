// Number texts: the shapes the reader accepts and their conversion, which
// gives what the C library's atof gives, stored as a float, whatever the
// process locale.

#include "json/json_reader.h"
#include "json/json_reader_detail.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>
#include <locale.h>

float cNumberToFloat(std::string_view text)
{
    // A copy ended by a byte 0: what follows the text in its JsonText may be
    // read to its end by a C library that measures its input first.
    const size_t n = std::min(text.find('\0'), text.size());
    char small[64];
    std::string large;
    char* copy = n < sizeof small ? small : (large.resize(n), large.data());
    if (n != 0) // an empty text may have no bytes at all (a null data pointer)
        std::memcpy(copy, text.data(), n);
    copy[n] = '\0';
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return static_cast<float>(locale ? strtod_l(copy, nullptr, locale)
                                     : std::strtod(copy, nullptr));
}

bool otherNumberToFloat(const char* s, size_t n, float& out)
{
    if (!isNumericText(std::string_view(s, n)))
        return false;
    out = cNumberToFloat(std::string_view(s, n));
    return true;
}

bool isNumericText(std::string_view text)
{
    const size_t n = text.size();
    if (n == 0)
        return false;
    const char* s = text.data();
    bool point = false;
    bool exponent = false;
    size_t i;
    const char first = s[0];
    const char second = n > 1 ? s[1] : '\0';
    if (first == '0') {
        if (n == 1)
            return true;
        if (second == '.') {
            point = true;
            i = 2;
        } else if (second == 'e' || second == 'E') {
            exponent = true;
            if (n < 3 || !(isDigit(s[2]) || s[2] == '+' || s[2] == '-'))
                return false;
            i = 3;
        } else if (second == 'x') {
            for (i = 2; i < n; ++i)
                if (!std::strchr("0123456789ABCDEFabcdef", s[i]) || s[i] == '\0')
                    return false;
            return true;
        } else if (second >= '1' && second <= '7') {
            for (i = 1; i < n; ++i)
                if (s[i] < '0' || s[i] > '7')
                    return false;
            return true;
        } else {
            return false;
        }
    } else if (first == '+' || first == '-') {
        if (n == 1 || second == '.' || second == 'e' || second == 'E')
            return false;
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
            if (point || exponent)
                return false;
            point = true;
            ++i;
        } else if (c == 'e' || c == 'E') {
            if (exponent)
                return false;
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
