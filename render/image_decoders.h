#pragma once

#include <cstdint>
#include <string>

// Image decoders for textures. Each takes a path, returns a new[] pixel buffer that the
// caller releases with delete[], and writes width and height only when it succeeds.
// A file that cannot be opened or decoded gives null, and a one-line reason in *reason
// when reason is not null; the decoders themselves print nothing.
//
// Every buffer holds the bottom image row first, which is the row GL takes for t = 0.
// Width and height are at most 65535.

// A 24-bit uncompressed BMP, blue-green-red, rows padded to 4 bytes exactly as GL's
// default unpack alignment expects (the file's own row layout).
uint8_t* loadBmp24(const char* path, uint16_t* width, uint16_t* height,
                   std::string* reason = nullptr);

// A 24-bit uncompressed BMP widened to blue-green-red-alpha with alpha = red, rows
// unpadded. A black pixel becomes transparent, a white one opaque (the bitmap font).
uint8_t* loadBmp24WithAlpha(const char* path, uint16_t* width, uint16_t* height,
                            std::string* reason = nullptr);

// Any valid PNG, converted to 8-bit red-green-blue-alpha, rows unpadded.
uint8_t* loadPng(const char* path, uint16_t* width, uint16_t* height,
                 std::string* reason = nullptr);

// Upper bound on the decoded pixel memory of one PNG, checked before it is allocated: a
// few bytes of header can claim a 65535 x 65535 image.
inline constexpr uint64_t kMaxPngPixelBytes = uint64_t{256} << 20;
