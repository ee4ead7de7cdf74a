#pragma once

// Steps of the JSON reader, exposed to the tests and the fuzz target.
// Loaders use JsonNode::parse (json_node.h) only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct JsonText;

inline constexpr std::size_t kJsonNoPosition = static_cast<std::size_t>(-1);

// Removes white space and comments outside strings and protects escaped
// quotes (backslash + quote becomes backslash + byte 1). Output stops at the
// first byte that cannot appear outside a string, at a lone `/`, at an
// unterminated block comment and at an unterminated string or escape.
std::string compactJsonText(std::string_view input);

// Position of the first `wanted` byte at the top level of `text` from
// `start`, skipping strings and bracketed levels; kJsonNoPosition when a
// closing bracket, the end, or a byte 0 inside a skipped string comes first.
std::size_t findNextTopLevel(std::string_view text, char wanted, std::size_t start);

// Decodes the reader's escapes (see json_reader.cpp); never fails.
std::string decodeEscapes(std::string_view text);

// Value of a hexadecimal digit; other bytes give what the formula makes of
// them (no validation).
std::uint8_t hexDigitValue(unsigned char c);

// Whether a value text has one of the number shapes the reader accepts.
bool isNumericText(std::string_view text);

// The C library's atof of `text` (up to its first byte 0) stored as a float,
// independent of the process locale.
float jsonTextToFloat(std::string_view text);

// Whether parse() takes its fast paths: vectorised compaction and the bracket
// index that lets scans jump over nested levels. Results are identical either
// way; the switch exists so that tests and the fuzz target can compare both.
void setJsonAccelerationEnabled(bool enabled);

// Whether compaction uses its 64-byte path where the CPU supports it (the
// default); returns whether it now does. For tests comparing both paths.
bool setJsonWideCompaction(bool enabled);
