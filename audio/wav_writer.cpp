#include "audio/wav_writer.h"

#include <cstdio>
#include <cstring>

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    putU16(out, value & 0xFFFFu);
    putU16(out, value >> 16);
}

void putTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

std::vector<uint8_t> encodeWav(const int16_t* samples, size_t frameCount, int channels,
                               int sampleRate)
{
    const uint32_t frameBytes = static_cast<uint32_t>(channels) * 2;
    const uint32_t dataBytes = static_cast<uint32_t>(frameCount) * frameBytes;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putU32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1);
    putU16(out, static_cast<uint32_t>(channels));
    putU32(out, static_cast<uint32_t>(sampleRate));
    putU32(out, static_cast<uint32_t>(sampleRate) * frameBytes);
    putU16(out, frameBytes);
    putU16(out, 16);
    putTag(out, "data");
    putU32(out, dataBytes);
    const size_t count = frameCount * static_cast<size_t>(channels);
    for (size_t i = 0; i < count; ++i)
        putU16(out, static_cast<uint16_t>(samples[i]));
    return out;
}

bool writeWav(const std::string& path, const int16_t* samples, size_t frameCount, int channels,
              int sampleRate, std::string& reason)
{
    const std::vector<uint8_t> bytes = encodeWav(samples, frameCount, channels, sampleRate);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        reason = "cannot create the file";
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        reason = "cannot write the file";
        return false;
    }
    return true;
}
