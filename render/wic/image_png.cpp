// The PNG reader on the Windows Imaging Component: a decoder for the file, its one frame, a
// converter to 8-bit RGBA with straight alpha, and one copy of the pixels, turned so the
// bottom row comes first.
#include "render/image_decoders.h"

#include "render/wic/wic_session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

using Microsoft::WRL::ComPtr;

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// The signature, then the header chunk: length 13, "IHDR", 13 bytes of data, CRC.
constexpr size_t kHeaderBytes = 8 + 4 + 4 + 13 + 4;
constexpr uint32_t kMaxSide = 65535;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

uint8_t* fail(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
    return nullptr;
}

uint32_t readBe32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint32_t chunkCrc(const unsigned char* bytes, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Empty when the image may be decoded: both sides within 1 to 65535 and the pixels within
// kMaxPngPixelBytes.
std::string sizeProblem(uint32_t width, uint32_t height)
{
    char text[96] = {};
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        std::snprintf(text, sizeof text,
                      "IHDR: image of %u x %u pixels has a side outside 1 to 65535", width, height);
    else if (uint64_t{width} * height * 4 > kMaxPngPixelBytes)
        std::snprintf(text, sizeof text, "image of %u x %u pixels needs more than %llu MiB", width,
                      height, static_cast<unsigned long long>(kMaxPngPixelBytes >> 20));
    return text;
}

// The signature and the header chunk are checked here, before WIC sees the file: a missing
// file and a file of another format get the same reasons on every platform, WIC never decodes
// a BMP that merely carries a .png name, and the size limits hold before any decoder sets
// memory aside for the size a damaged header claims.
std::string headerProblem(const char* path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return "cannot open the file";
    unsigned char header[kHeaderBytes];
    const size_t got = std::fread(header, 1, sizeof header, file.get());
    if (got < sizeof kSignature || std::memcmp(header, kSignature, sizeof kSignature) != 0)
        return "not a PNG file (bad signature)";
    const unsigned char* chunk = header + sizeof kSignature;
    if (got < sizeof header || readBe32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return "IHDR: the header chunk is missing or cut short";
    if (chunkCrc(chunk + 4, 4 + 13) != readBe32(chunk + 4 + 4 + 13))
        return "IHDR: CRC error";
    return sizeProblem(readBe32(chunk + 8), readBe32(chunk + 12));
}

void putBottomRowFirst(uint8_t* pixels, size_t rowBytes, UINT height)
{
    for (UINT top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * rowBytes, pixels + (top + 1) * rowBytes,
                         pixels + bottom * rowBytes);
}

} // namespace

uint8_t* loadPng(const char* path, uint16_t* width, uint16_t* height, std::string* reason)
{
    if (!path)
        return fail(reason, "no file name given");
    if (const std::string problem = headerProblem(path); !problem.empty())
        return fail(reason, problem);

    WicSession wic;
    IWICImagingFactory* factory = wic.factory();
    if (factory == nullptr)
        return fail(reason, wicFailure("WIC: no imaging factory", wic.status()));

    ComPtr<IWICBitmapDecoder> decoder;
    HRESULT result =
        factory->CreateDecoderFromFilename(widePath(path).c_str(), nullptr, GENERIC_READ,
                                           WICDecodeMetadataCacheOnDemand, decoder.GetAddressOf());
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: the image data does not decode", result));
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatPng)
        return fail(reason, "not a PNG file (WIC reads another format)");

    ComPtr<IWICBitmapFrameDecode> frame;
    result = decoder->GetFrame(0, frame.GetAddressOf());
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: no image in the file", result));
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    result = frame->GetSize(&frameWidth, &frameHeight);
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: the image has no size", result));
    if (const std::string problem = sizeProblem(frameWidth, frameHeight); !problem.empty())
        return fail(reason, problem);
    const size_t rowBytes = size_t{frameWidth} * 4;
    const uint64_t bytes = uint64_t{rowBytes} * frameHeight;

    // Every colour type and depth becomes 8-bit red, green, blue, alpha (not premultiplied).
    ComPtr<IWICFormatConverter> converter;
    result = factory->CreateFormatConverter(converter.GetAddressOf());
    if (SUCCEEDED(result))
        result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppRGBA,
                                       WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom);
    if (FAILED(result))
        return fail(reason,
                    wicFailure("WIC: the image could not be converted to 8-bit RGBA", result));

    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
    if (!pixels)
        return fail(reason, "out of memory for the pixels");
    result = converter->CopyPixels(nullptr, static_cast<UINT>(rowBytes), static_cast<UINT>(bytes),
                                   pixels.get());
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: the image data is damaged", result));
    putBottomRowFirst(pixels.get(), rowBytes, frameHeight);

    *width = static_cast<uint16_t>(frameWidth);
    *height = static_cast<uint16_t>(frameHeight);
    return pixels.release();
}
