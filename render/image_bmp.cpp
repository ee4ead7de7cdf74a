// The two 24-bit BMP readers. Every size the headers state is checked against the file
// before anything is allocated or read, in 64-bit arithmetic, so a damaged file is refused
// with a reason instead of being read past its end.

#include "render/image_decoders.h"

#include "io/input_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint64_t kMinInfoHeaderBytes = 40;
constexpr int64_t kMaxSide = 65535;
// Rows are read in chunks of about this size and widened from memory.
constexpr uint64_t kWidenChunkBytes = 256 * 1024;

// Where the pixel rows are and how they are laid out, as checked against the file.
struct BmpLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;   // a negative height: the first stored row is the top one
    uint64_t rowStride = 0; // stored bytes per row, padding included
};

uint16_t readU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A file that is not open, the caller's sign of failure, with the reason.
InputFile fail(std::string* reason, std::string text)
{
    if (reason)
        *reason = std::move(text);
    return InputFile(nullptr);
}

// Opens a 24-bit uncompressed BMP and checks its headers against the file. On success the
// file is positioned at the first stored pixel row.
InputFile openBmp(const char* path, BmpLayout& layout, std::string* reason)
{
    if (!path)
        return fail(reason, "no file name given");
    InputFile file(path);
    if (!file)
        return fail(reason, file.problem());
    const uint64_t fileSize = file.size();

    uint8_t header[kFileHeaderBytes + kMinInfoHeaderBytes];
    if (fileSize < sizeof header || !file.read(header, sizeof header))
        return fail(reason, "file is shorter than the BMP headers (" + std::to_string(fileSize) +
                                " bytes)");
    if (header[0] != 'B' || header[1] != 'M')
        return fail(reason, "not a BMP file (no \"BM\" signature)");

    const uint64_t pixelOffset = readU32(header + 10);
    const uint64_t infoBytes = readU32(header + 14);
    const int64_t width = static_cast<int32_t>(readU32(header + 18));
    const int64_t storedHeight = static_cast<int32_t>(readU32(header + 22));
    const uint16_t bitsPerPixel = readU16(header + 28);
    const uint32_t compression = readU32(header + 30);

    if (infoBytes < kMinInfoHeaderBytes)
        return fail(reason, "BMP information header of " + std::to_string(infoBytes) +
                                " bytes (at least 40 expected)");
    if (bitsPerPixel != 24)
        return fail(reason,
                    std::to_string(bitsPerPixel) + " bits per pixel (only 24 are supported)");
    if (compression != 0)
        return fail(reason,
                    "compressed BMP (method " + std::to_string(compression) + ") is not supported");
    const int64_t height = storedHeight < 0 ? -storedHeight : storedHeight;
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        return fail(reason, "image size " + std::to_string(width) + " x " +
                                std::to_string(storedHeight) +
                                " is outside 1 to 65535 pixels per side");

    const uint64_t rowStride = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t blockBytes = rowStride * static_cast<uint64_t>(height);
    if (pixelOffset < kFileHeaderBytes + infoBytes)
        return fail(reason, "pixel data offset " + std::to_string(pixelOffset) +
                                " points into the headers");
    if (pixelOffset > fileSize || blockBytes > fileSize - pixelOffset)
        return fail(reason, "pixel data (" + std::to_string(blockBytes) + " bytes at offset " +
                                std::to_string(pixelOffset) + ") runs past the end of the file (" +
                                std::to_string(fileSize) + " bytes)");
    if (!file.seek(pixelOffset))
        return fail(reason, "cannot seek to the pixel data");

    layout.width = static_cast<uint32_t>(width);
    layout.height = static_cast<uint32_t>(height);
    layout.topDown = storedHeight < 0;
    layout.rowStride = rowStride;
    return file;
}

using Pixels = std::unique_ptr<uint8_t[]>;

Pixels allocate(uint64_t bytes, std::string* reason)
{
    Pixels buffer(new (std::nothrow) uint8_t[bytes]);
    if (!buffer && reason)
        *reason = "out of memory for " + std::to_string(bytes) + " bytes of pixels";
    return buffer;
}

uint8_t* readFailed(std::string* reason)
{
    if (reason)
        *reason = "cannot read the pixel data";
    return nullptr;
}

// One row of 3-byte pixels to 4-byte pixels whose fourth byte repeats the third (red).
// These run over every pixel of the bitmap font and the other widened images, so they
// work on several pixels per step; the result is the same as widening pixel by pixel.
void widenRowPortable(const uint8_t* source, uint8_t* target, uint32_t width)
{
    uint32_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels from three words: B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3.
        for (; x + 4 <= width; x += 4, source += 12, target += 16) {
            uint32_t w[3];
            std::memcpy(w, source, sizeof w);
            const uint32_t p[4] = {
                (w[0] & 0x00FFFFFFu) | ((w[0] << 8) & 0xFF000000u),
                (w[0] >> 24) | ((w[1] & 0xFFFFu) << 8) | ((w[1] & 0xFF00u) << 16),
                (w[1] >> 16) | ((w[2] & 0xFFu) << 16) | ((w[2] & 0xFFu) << 24),
                (w[2] >> 8) | (w[2] & 0xFF000000u),
            };
            std::memcpy(target, p, sizeof p);
        }
    }
    for (; x < width; ++x, source += 3, target += 4) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        target[3] = source[2];
    }
}

#if defined(__x86_64__) || defined(__i386__)
// One byte shuffle widens four pixels. A step loads 16 bytes and uses 12, so the vector
// loop stops while those 16 bytes still lie inside the row.
__attribute__((target("ssse3"))) void widenRowSsse3(const uint8_t* source, uint8_t* target,
                                                    uint32_t width)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 8, 8, 9, 10, 11, 11);
    uint32_t x = 0;
    for (; x + 6 <= width; x += 4, source += 12, target += 16) {
        const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_shuffle_epi8(packed, spread));
    }
    widenRowPortable(source, target, width - x);
}
#endif

using WidenRow = void (*)(const uint8_t*, uint8_t*, uint32_t);

WidenRow chooseWidenRow()
{
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("ssse3"))
        return widenRowSsse3;
#endif
    return widenRowPortable;
}

} // namespace

uint8_t* loadBmp24(const char* path, uint16_t* width, uint16_t* height, std::string* reason)
{
    BmpLayout layout;
    InputFile file = openBmp(path, layout, reason);
    if (!file)
        return nullptr;
    const uint64_t blockBytes = layout.rowStride * layout.height;
    Pixels pixels = allocate(blockBytes, reason);
    if (!pixels)
        return nullptr;
    if (!layout.topDown) {
        if (!file.read(pixels.get(), blockBytes))
            return readFailed(reason);
    } else {
        for (uint64_t row = layout.height; row-- > 0;) {
            if (!file.read(pixels.get() + row * layout.rowStride, layout.rowStride))
                return readFailed(reason);
        }
    }
    *width = static_cast<uint16_t>(layout.width);
    *height = static_cast<uint16_t>(layout.height);
    return pixels.release();
}

uint8_t* loadBmp24WithAlpha(const char* path, uint16_t* width, uint16_t* height,
                            std::string* reason)
{
    BmpLayout layout;
    InputFile file = openBmp(path, layout, reason);
    if (!file)
        return nullptr;
    const uint64_t targetStride = uint64_t{layout.width} * 4;
    Pixels pixels = allocate(targetStride * layout.height, reason);
    const uint64_t chunkRows = std::max<uint64_t>(1, kWidenChunkBytes / layout.rowStride);
    Pixels chunk = pixels ? allocate(chunkRows * layout.rowStride, reason) : nullptr;
    if (!chunk)
        return nullptr;

    // Whole rows are read a chunk at a time and widened in memory; each row's padding is
    // skipped, so any width works.
    static const WidenRow widenRow = chooseWidenRow();
    for (uint64_t first = 0; first < layout.height;) {
        const uint64_t rows = std::min<uint64_t>(chunkRows, layout.height - first);
        if (!file.read(chunk.get(), rows * layout.rowStride))
            return readFailed(reason);
        for (uint64_t i = 0; i < rows; ++i) {
            const uint64_t stored = first + i;
            const uint64_t row = layout.topDown ? layout.height - 1 - stored : stored;
            widenRow(chunk.get() + i * layout.rowStride, pixels.get() + row * targetStride,
                     layout.width);
        }
        first += rows;
    }
    *width = static_cast<uint16_t>(layout.width);
    *height = static_cast<uint16_t>(layout.height);
    return pixels.release();
}
