#pragma once

// Shared by the fuzz targets of the file loaders: the loaders take paths, so each input is
// written to one temporary file per process, removed at exit.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fuzz {

inline std::string& inputPathStorage()
{
    static std::string path;
    return path;
}

inline void removeInput()
{
    std::remove(inputPathStorage().c_str());
}

// Refusal lines go to the standard streams; keep them out of the fuzzer's log.
inline void silenceStandardStreams()
{
    static std::ostringstream sink;
    std::cout.rdbuf(sink.rdbuf());
    std::cerr.rdbuf(sink.rdbuf());
}

// The temporary file of this process, named with the extension that picks the loader. Its
// first use also silences the standard streams.
inline const std::string& inputPath(const char* extension)
{
    std::string& path = inputPathStorage();
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("zorbel-fuzz-" + std::to_string(getpid()) + extension))
                   .string();
        std::atexit(removeInput);
        silenceStandardStreams();
    }
    return path;
}

// Writes the input to the file; returns its path.
inline const std::string& writeInput(const char* extension, const uint8_t* data, size_t size)
{
    const std::string& path = inputPath(extension);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
    return path;
}

// Decodes the input as an image file of that extension. A buffer the decoder returns must
// hold bytes(width, height) bytes: the last one, which the upload would read, is read.
using ImageDecoder = uint8_t* (*)(const char*, uint16_t*, uint16_t*, std::string*);
inline void decodeImage(const char* extension, ImageDecoder decoder, const uint8_t* data,
                        size_t size, size_t (*bytes)(size_t width, size_t height))
{
    const std::string& path = writeInput(extension, data, size);
    uint16_t width = 0, height = 0;
    uint8_t* pixels = decoder(path.c_str(), &width, &height, nullptr);
    if (pixels) {
        volatile uint8_t last = pixels[bytes(width, height) - 1];
        (void)last;
    }
    delete[] pixels;
}

} // namespace fuzz
