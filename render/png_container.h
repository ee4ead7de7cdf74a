#pragma once

// The PNG container, checked in one place for every platform before its decoder sees a file:
// the signature, the header chunk and its fields, the size limits, and every chunk up to the
// end of the image data (its length inside the file, its CRC). A file that fails gets the same
// one-line reason on every platform; a decoder then only has to turn sound chunks into pixels.

#include <cstddef>
#include <cstdint>
#include <string>

// The image size the header chunk (IHDR) gives, once it has been checked.
struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
};

// The CRC-32 that closes every chunk (polynomial 0xedb88320), over the chunk's type and data.
uint32_t pngChunkCrc(const uint8_t* bytes, size_t size);

// Walks a whole file held in memory. Empty when it is sound, with `header` filled in;
// otherwise the reason. A sound file's sides are within 1 to 65535 and its 8-bit RGBA pixels
// within kMaxPngPixelBytes ("image of 60000 x 60000 pixels needs more than 256 MiB"). The
// walk ends at IEND or at the first chunk after the image data (the IDAT chunks), since no
// decoder reads further: a file cut inside its closing chunks still decodes.
std::string checkPngContainer(const uint8_t* bytes, size_t size, PngHeader& header);

// The platform's decoder, defined once by each PNG backend (render/libpng, render/wic,
// render/browser); loadPng reads the file and walks its container first, then calls it.
// `file` is the whole file, which passed checkPngContainer with `header`; `path` names it for
// a decoder that finds the pixels by name (the browser's). Returns a new[] buffer of
// header.width x header.height 8-bit RGBA pixels, bottom row first, or null with the reason.
uint8_t* decodeCheckedPng(const char* path, const std::string& file, const PngHeader& header,
                          std::string& reason);
