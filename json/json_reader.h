#pragma once

// Steps of the JSON reader, exposed to the tests and the fuzz target.
// Loaders use JsonNode::parse (json_node.h) only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr size_t kJsonNoPosition = static_cast<size_t>(-1);

// Removes white space and comments outside strings and protects escaped
// quotes (backslash + quote becomes backslash + byte 1). Output stops at the
// first byte that cannot appear outside a string, at a lone `/`, at an
// unterminated block comment and at an unterminated string or escape.
std::string compactJsonText(std::string_view input);

// Position of the first `wanted` byte at the top level of `text` from
// `start`, skipping strings and bracketed levels; kJsonNoPosition when a
// closing bracket, the end, or a byte 0 inside a skipped string comes first.
size_t findNextTopLevel(std::string_view text, char wanted, size_t start);

// Decodes the reader's escapes (see json_reader.cpp); never fails.
std::string decodeEscapes(std::string_view text);

// Value of a hexadecimal digit; other bytes give what the formula makes of
// them (no validation).
uint8_t hexDigitValue(unsigned char c);

// Whether a value text has one of the number shapes the reader accepts.
bool isNumericText(std::string_view text);

// Texts of this many compacted bytes or more are read without a bracket
// index (its positions are 32-bit), skipping nested levels byte by byte.
// Returns the previous limit; tests lower it to read small texts that way.
size_t setJsonIndexLimit(size_t bytes);

// Bytes the splitting scans of this thread have looked at so far: a count of
// reading work that tests compare between texts of two sizes.
size_t jsonScannedBytes();
