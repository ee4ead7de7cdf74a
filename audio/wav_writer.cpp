#include "audio/wav_writer.h"

#include <cstdio>
#include <cstring>

namespace {

// Writes value's bytes, least significant first, at out[at].
void putLe(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::vector<uint8_t> encodeWav(const int16_t* samples, size_t frameCount, int channels,
                               int sampleRate)
{
    const uint32_t frameBytes = static_cast<uint32_t>(channels) * 2;
    const uint32_t dataBytes = static_cast<uint32_t>(frameCount) * frameBytes;
    const uint32_t rate = static_cast<uint32_t>(sampleRate);
    std::vector<uint8_t> out(44 + static_cast<size_t>(dataBytes));
    std::memcpy(out.data(), "RIFF", 4);
    putLe(out, 4, 36 + dataBytes, 4);
    std::memcpy(out.data() + 8, "WAVEfmt ", 8);
    putLe(out, 16, 16, 4);
    putLe(out, 20, 1, 2); // PCM
    putLe(out, 22, static_cast<uint32_t>(channels), 2);
    putLe(out, 24, rate, 4);
    putLe(out, 28, rate * frameBytes, 4);
    putLe(out, 32, frameBytes, 2);
    putLe(out, 34, 16, 2);
    std::memcpy(out.data() + 36, "data", 4);
    putLe(out, 40, dataBytes, 4);
    const size_t count = frameCount * static_cast<size_t>(channels);
    for (size_t i = 0; i < count; ++i)
        putLe(out, 44 + 2 * i, static_cast<uint16_t>(samples[i]), 2);
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
