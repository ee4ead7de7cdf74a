#include "audio/wav_writer.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kHeaderBytes = 44;
// The RIFF size field counts every byte after its own 8: the 36 of the header that follow it
// and the samples.
constexpr uint64_t kMaxRiffSize = UINT32_MAX;
constexpr uint64_t kMaxDataBytes = kMaxRiffSize - (kHeaderBytes - 8);

// Writes value's bytes, least significant first, at out[at].
void putLe(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::string wavSizeProblem(uint64_t frameCount, int channels, int sampleRate)
{
    const uint64_t frameBytes = 2 * static_cast<uint64_t>(channels > 0 ? channels : 0);
    if (frameBytes == 0 || frameBytes > UINT16_MAX)
        return std::to_string(channels) + " channels (1 to " + std::to_string(UINT16_MAX / 2) +
               " fit a WAV header)";
    if (sampleRate < 1 || static_cast<uint64_t>(sampleRate) * frameBytes > UINT32_MAX)
        return "sample rate " + std::to_string(sampleRate) + " Hz of " + std::to_string(channels) +
               " channels does not fit a WAV header";
    const uint64_t maxFrames = kMaxDataBytes / frameBytes;
    if (frameCount > maxFrames)
        return std::to_string(frameCount) + " sample frames are more than a WAV file holds (" +
               std::to_string(maxFrames) + " of " + std::to_string(channels) + " channels, " +
               std::to_string(maxFrames / static_cast<uint64_t>(sampleRate)) + " s at " +
               std::to_string(sampleRate) + " Hz)";
    return {};
}

bool encodeWav(const int16_t* samples, size_t frameCount, int channels, int sampleRate,
               std::vector<uint8_t>& bytes, std::string& reason)
{
    bytes.clear();
    if (std::string problem = wavSizeProblem(frameCount, channels, sampleRate); !problem.empty()) {
        reason = std::move(problem);
        return false;
    }
    // Every size below fits its field: wavSizeProblem held them to it.
    const uint32_t frameBytes = static_cast<uint32_t>(channels) * 2;
    const uint32_t dataBytes = static_cast<uint32_t>(frameCount * frameBytes);
    const uint32_t rate = static_cast<uint32_t>(sampleRate);
    // Where size_t has 32 bits, a file near the format's limit is more than memory can hold.
    if (kHeaderBytes + uint64_t{dataBytes} > bytes.max_size()) {
        reason = "a WAV file of " + std::to_string(kHeaderBytes + uint64_t{dataBytes}) +
                 " bytes is more than this system can hold in memory";
        return false;
    }
    bytes.resize(kHeaderBytes + dataBytes);
    std::memcpy(bytes.data(), "RIFF", 4);
    putLe(bytes, 4, 36 + dataBytes, 4);
    std::memcpy(bytes.data() + 8, "WAVEfmt ", 8);
    putLe(bytes, 16, 16, 4);
    putLe(bytes, 20, 1, 2); // PCM
    putLe(bytes, 22, static_cast<uint32_t>(channels), 2);
    putLe(bytes, 24, rate, 4);
    putLe(bytes, 28, rate * frameBytes, 4);
    putLe(bytes, 32, frameBytes, 2);
    putLe(bytes, 34, 16, 2);
    std::memcpy(bytes.data() + 36, "data", 4);
    putLe(bytes, 40, dataBytes, 4);
    const size_t count = frameCount * static_cast<size_t>(channels);
    for (size_t i = 0; i < count; ++i)
        putLe(bytes, kHeaderBytes + 2 * i, static_cast<uint16_t>(samples[i]), 2);
    return true;
}

bool writeWav(const std::string& path, const int16_t* samples, size_t frameCount, int channels,
              int sampleRate, std::string& reason)
{
    std::vector<uint8_t> bytes;
    if (!encodeWav(samples, frameCount, channels, sampleRate, bytes, reason))
        return false;
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
