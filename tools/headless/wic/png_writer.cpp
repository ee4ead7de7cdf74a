// Frames as PNG files on Windows: written with the Windows Imaging Component's PNG encoder,
// read back with the game's own PNG decoder.
#include "tools/headless/png_writer.h"

#include "diag/diagnostics.h"
#include "render/image_decoders.h"
#include "render/wic/wic_session.h"

#include <algorithm>
#include <cstdio>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

// The encoder's steps, in order; the first failure ends them, and `step` names it. The frame
// takes the pixels as a bitmap of 8-bit RGBA and converts them to whichever format the PNG
// encoder settles on.
HRESULT encode(IWICImagingFactory* factory, const std::wstring& path, const RgbaImage& image,
               const char*& step)
{
    const UINT width = static_cast<UINT>(image.width);
    const UINT height = static_cast<UINT>(image.height);
    const UINT stride = width * 4;
    ComPtr<IWICBitmap> bitmap;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppRGBA;
    HRESULT result = S_OK;
    const auto run = [&](const char* what, const auto& call) {
        if (FAILED(result))
            return;
        step = what;
        result = call();
    };
    run("holding the pixels", [&] {
        return factory->CreateBitmapFromMemory(
            width, height, GUID_WICPixelFormat32bppRGBA, stride, stride * height,
            const_cast<BYTE*>(image.pixels.data()), bitmap.GetAddressOf());
    });
    run("creating the stream", [&] { return factory->CreateStream(stream.GetAddressOf()); });
    run("opening the file",
        [&] { return stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE); });
    run("creating the encoder", [&] {
        return factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf());
    });
    run("starting the encoder",
        [&] { return encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache); });
    run("creating the frame",
        [&] { return encoder->CreateNewFrame(frame.GetAddressOf(), nullptr); });
    run("starting the frame", [&] { return frame->Initialize(nullptr); });
    run("setting the size", [&] { return frame->SetSize(width, height); });
    run("setting the pixel format", [&] { return frame->SetPixelFormat(&format); });
    run("writing the pixels", [&] { return frame->WriteSource(bitmap.Get(), nullptr); });
    run("finishing the frame", [&] { return frame->Commit(); });
    run("finishing the file", [&] { return encoder->Commit(); });
    return result;
}

} // namespace

bool writePng(const std::string& path, const RgbaImage& image)
{
    WicSession wic;
    const char* step = "starting WIC";
    const HRESULT result = wic.factory() != nullptr
                               ? encode(wic.factory(), widePath(path.c_str()), image, step)
                               : wic.status();
    if (FAILED(result)) {
        diagErr(path + ": cannot write the PNG (" + wicFailure(step, result) + ")");
        return false;
    }
    return true;
}

bool readPng(const std::string& path, RgbaImage& image)
{
    uint16_t width = 0;
    uint16_t height = 0;
    std::unique_ptr<uint8_t[]> pixels(loadPng(path.c_str(), &width, &height));
    if (!pixels)
        return false;
    // The decoder gives the bottom row first; the image holds the top row first.
    const size_t row = size_t{width} * 4;
    image.width = width;
    image.height = height;
    image.pixels.resize(row * height);
    for (size_t y = 0; y < height; ++y)
        std::copy_n(pixels.get() + (height - 1 - y) * row, row,
                    image.pixels.begin() + static_cast<std::ptrdiff_t>(y * row));
    return true;
}
