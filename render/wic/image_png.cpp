// The PNG decoder on the Windows Imaging Component, for a file that loadPng has read and whose
// container it has checked (render/png_container.h), so the size limits hold before WIC sets
// memory aside. WIC decodes the bytes from memory: a decoder, its one frame, a converter to
// 8-bit RGBA with straight alpha, and one copy of the pixels, turned so the bottom row comes
// first.
#include "render/png_container.h"

#include "render/wic/wic_session.h"

#include <algorithm>
#include <memory>
#include <new>

using Microsoft::WRL::ComPtr;

namespace {

uint8_t* fail(std::string& reason, const std::string& text)
{
    reason = text;
    return nullptr;
}

void putBottomRowFirst(uint8_t* pixels, size_t rowBytes, UINT height)
{
    for (UINT top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * rowBytes, pixels + (top + 1) * rowBytes,
                         pixels + bottom * rowBytes);
}

} // namespace

uint8_t* decodeCheckedPng(const char*, const std::string& file, const PngHeader& header,
                          std::string& reason)
{
    WicSession wic;
    IWICImagingFactory* factory = wic.factory();
    if (factory == nullptr)
        return fail(reason, wicFailure("WIC: no imaging factory", wic.status()));

    ComPtr<IWICStream> stream;
    HRESULT result = factory->CreateStream(stream.GetAddressOf());
    if (SUCCEEDED(result))
        result =
            stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(file.data())),
                                         static_cast<DWORD>(file.size()));
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: no stream over the file", result));
    ComPtr<IWICBitmapDecoder> decoder;
    result = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.GetAddressOf());
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: the image data does not decode", result));

    ComPtr<IWICBitmapFrameDecode> frame;
    result = decoder->GetFrame(0, frame.GetAddressOf());
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: no image in the file", result));
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    result = frame->GetSize(&frameWidth, &frameHeight);
    if (FAILED(result))
        return fail(reason, wicFailure("WIC: the image has no size", result));
    if (frameWidth != header.width || frameHeight != header.height)
        return fail(reason, "WIC decoded a frame of another size than the header's");
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
    return pixels.release();
}
