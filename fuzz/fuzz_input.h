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

// The temporary file of this process, named with the extension that picks the loader.
inline const std::string& inputPath(const char* extension)
{
    std::string& path = inputPathStorage();
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("zorbel-fuzz-" + std::to_string(getpid()) + extension))
                   .string();
        std::atexit(removeInput);
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

// Refusal lines go to the standard streams; keep them out of the fuzzer's log.
inline void silenceStandardStreams()
{
    static std::ostringstream sink;
    std::cout.rdbuf(sink.rdbuf());
    std::cerr.rdbuf(sink.rdbuf());
}

} // namespace fuzz
