// The POSIX per-locale number conversion that json/json_number.cpp uses (newlocale, strtod_l),
// for the C runtime of Windows. The Windows build includes this ahead of the JSON library's
// sources only, until that file reaches the C library through the platform seam.
//
// strtod_l here reads numbers as the C library of Linux does in the "C" locale: the system
// runtime's own _strtod_l knows no hexadecimal, infinity or NaN texts and is not correctly
// rounded on every Windows, and the C99 strtod that mingw-w64 adds takes the decimal point
// from the process locale. So decimal and hexadecimal texts go to std::from_chars (correctly
// rounded, no locale), infinity and NaN (no decimal point) to the C99 strtod, and texts out
// of the double range to _strtod_l, which gives infinity or zero as the C library does.
#pragma once

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cstring>

typedef _locale_t locale_t;

#ifndef LC_ALL_MASK
#define LC_ALL_MASK LC_ALL
#endif

static inline locale_t newlocale(int category, const char* name, locale_t)
{
    return _create_locale(category, name);
}

extern "C" double __mingw_strtod(const char*, char**);

static inline double zorbelStrtodInLocale(const char* text, char** end, locale_t locale)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // One sign only, as the C library reads it: std::from_chars would take a second.
    if (*p == '-' || *p == '+') {
        if (end)
            *end = const_cast<char*>(text);
        return 0.0;
    }
    const char first = static_cast<char>(*p | 0x20);
    if (first == 'i' || first == 'n')
        return __mingw_strtod(text, end);
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    const char* digits = hex ? p + 2 : p;
    double value = 0.0;
    const std::from_chars_result read =
        std::from_chars(digits, digits + std::strlen(digits), value,
                        hex ? std::chars_format::hex : std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range)
        return hex ? __mingw_strtod(text, end) : _strtod_l(text, end, locale);
    if (read.ec != std::errc()) {
        if (end)
            *end = const_cast<char*>(hex ? p + 1 : text); // "0x" with no digits reads as 0
        return 0.0;
    }
    if (end)
        *end = const_cast<char*>(read.ptr);
    return negative ? -value : value;
}

#define strtod_l zorbelStrtodInLocale
