// Fuzzes the collider loader: any bytes give a collider whose every segment and circle
// can be read.

#include "collision/collider.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

void removeInput();

const std::string& inputPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zorbel-fuzz-" + std::to_string(getpid()) + ".json")).string();
    static const int removal = std::atexit(removeInput);
    (void)removal;
    return path;
}

void removeInput()
{
    std::remove(inputPath().c_str());
}

void writeInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (!file)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
}

} // namespace

// Refusal lines go to the standard streams; keep them out of the fuzzer's log.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static std::ostringstream sink;
    std::cout.rdbuf(sink.rdbuf());
    std::cerr.rdbuf(sink.rdbuf());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(data, size);
    Collider collider;
    collider.loadFile(inputPath());
    volatile float sum = 0;
    for (int k = 0; k < collider.segmentCount(); ++k)
        for (float v : collider.segment(k))
            sum = sum + v;
    for (int k = 0; k < collider.circleCount(); ++k)
        sum = sum + collider.circleX(k) + collider.circleY(k) + collider.circleRadius(k);
    return 0;
}
