// The PNG decoder on libpng: decodes from memory a file that loadPng has read and whose
// container it has checked (render/png_container.h).
//
// libpng reports a damaged file by calling its error handler, which must not return. Ours
// records the message and jumps back to decode(); no object with a destructor lives in the
// frames the jump leaves (libpng's and the read callback), and everything decode() keeps
// across the jump sits in a PngRead owned by its caller.

#include "render/png_container.h"

#include "render/image_decoders.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr uint32_t kMaxSide = 65535;

struct PngRead {
    const std::string* file = nullptr; // the whole file, already checked
    size_t at = 0;                     // where the next read starts
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    char message[160] = {};
};

void setMessage(PngRead& read, const char* message)
{
    std::snprintf(read.message, sizeof read.message, "%s", message);
}

[[noreturn]] void onPngError(png_structp png, png_const_charp message)
{
    PngRead& read = *static_cast<PngRead*>(png_get_error_ptr(png));
    std::snprintf(read.message, sizeof read.message, "libpng: %s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) { }

// The input pointer is the PngRead; reading past the end of the file is a damaged file.
void readFromMemory(png_structp png, png_bytep data, png_size_t length)
{
    PngRead& read = *static_cast<PngRead*>(png_get_io_ptr(png));
    if (read.file->size() - read.at < length)
        png_error(png, "the file ends inside the image");
    std::memcpy(data, read.file->data() + read.at, length);
    read.at += length;
}

// Reads the image into read.pixels, bottom row first. False with read.message set on any
// failure; read.pixels and read.rows are then for the caller to release.
bool decode(PngRead& read)
{
    if (setjmp(png_jmpbuf(read.png)))
        return false;

    png_set_read_fn(read.png, &read, readFromMemory);
    png_set_sig_bytes(read.png, kSignatureBytes);
    png_set_user_limits(read.png, kMaxSide, kMaxSide);
    png_read_info(read.png, read.info);
    read.width = png_get_image_width(read.png, read.info);
    read.height = png_get_image_height(read.png, read.info);

    // Every colour type and depth becomes 8-bit red, green, blue, alpha, so the texture's
    // 4-bytes-per-pixel upload is always right. None of these changes an 8-bit RGBA image.
    const png_byte colorType = png_get_color_type(read.png, read.info);
    png_set_expand(read.png);
    if (png_get_bit_depth(read.png, read.info) == 16)
        png_set_scale_16(read.png);
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(read.png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(read.png, read.info, PNG_INFO_tRNS))
        png_set_add_alpha(read.png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);

    // The container walk has held the size within the limits.
    const uint64_t rowBytes = png_get_rowbytes(read.png, read.info);
    if (png_get_bit_depth(read.png, read.info) != 8 || png_get_channels(read.png, read.info) != 4 ||
        rowBytes != uint64_t{read.width} * 4) {
        setMessage(read, "the image could not be converted to 8-bit RGBA");
        return false;
    }
    read.pixels = new (std::nothrow) uint8_t[rowBytes * read.height];
    read.rows = new (std::nothrow) png_bytep[read.height];
    if (!read.pixels || !read.rows) {
        setMessage(read, "out of memory for the pixels");
        return false;
    }
    // The first row of the file lands at the end of the buffer.
    for (uint32_t i = 0; i < read.height; ++i)
        read.rows[i] = read.pixels + (read.height - 1 - i) * rowBytes;
    png_read_image(read.png, read.rows);
    return true;
}

} // namespace

uint8_t* decodeCheckedPng(const char*, const std::string& file, const PngHeader&,
                          std::string& reason)
{
    PngRead read;
    read.file = &file;
    read.at = kSignatureBytes;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &read, onPngError, onPngWarning);
    if (!read.png) {
        reason = "libpng could not create its read record";
        return nullptr;
    }
    read.info = png_create_info_struct(read.png);
    if (!read.info) {
        png_destroy_read_struct(&read.png, nullptr, nullptr);
        reason = "libpng could not create its info record";
        return nullptr;
    }

    // libpng reads the same header chunk, so its size is the header's.
    const bool decoded = decode(read);
    png_destroy_read_struct(&read.png, &read.info, nullptr);
    delete[] read.rows;
    if (!decoded) {
        delete[] read.pixels;
        reason = read.message;
        return nullptr;
    }
    return read.pixels;
}
