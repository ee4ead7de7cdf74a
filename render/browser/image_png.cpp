// The PNG decoder of the browser build. The browser's own decoder turned the file into
// pixels while the data package loaded (png_preload.js); loadPng has read the file and checked
// its container (render/png_container.h), so a damaged file is refused with the same reason as
// on the desktop. This side takes the browser's pixels and turns them bottom row first.

#include "render/png_container.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

uint8_t* fail(std::string& reason, const std::string& text)
{
    reason = text;
    return nullptr;
}

struct FreeDeleter {
    void operator()(uint8_t* pixels) const { std::free(pixels); }
};

} // namespace

uint8_t* decodeCheckedPng(const char* path, const std::string&, const PngHeader& header,
                          std::string& reason)
{
    int decodedWidth = 0;
    int decodedHeight = 0;
    const std::unique_ptr<uint8_t, FreeDeleter> topFirst(reinterpret_cast<uint8_t*>(
        emscripten_get_preloaded_image_data(path, &decodedWidth, &decodedHeight)));
    if (!topFirst)
        return fail(reason, "the browser could not decode the image data");
    if (static_cast<uint32_t>(decodedWidth) != header.width ||
        static_cast<uint32_t>(decodedHeight) != header.height) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the browser decoded %d x %d pixels, the header says %u x %u", decodedWidth,
                      decodedHeight, header.width, header.height);
        return fail(reason, text);
    }

    const size_t rowBytes = size_t{header.width} * 4;
    auto* pixels = new (std::nothrow) uint8_t[rowBytes * header.height];
    if (!pixels)
        return fail(reason, "out of memory for the pixels");
    // The browser gives the top row first; the first row of the file lands at the end.
    for (uint32_t row = 0; row < header.height; ++row)
        std::memcpy(pixels + (header.height - 1 - row) * rowBytes, topFirst.get() + row * rowBytes,
                    rowBytes);
    return pixels;
}
