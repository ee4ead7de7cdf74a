#include "audio/wav_reader.h"

#include "diag/diagnostics.h"
#include "io/input_file.h"

#include <cstring>
#include <new>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 384000;

uint16_t readU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A chunk identifier for messages: its four bytes, with anything unprintable as '?'.
std::string chunkName(const uint8_t* p)
{
    std::string name(4, '?');
    for (int i = 0; i < 4; ++i)
        if (p[i] >= 0x20 && p[i] < 0x7f)
            name[static_cast<size_t>(i)] = static_cast<char>(p[i]);
    return name;
}

bool fail(std::string& reason, std::string text)
{
    reason = std::move(text);
    return false;
}

struct Format {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    uint16_t blockAlign = 0;
};

bool readFormat(const uint8_t* body, uint64_t size, Format& format, std::string& reason)
{
    if (size < 16)
        return fail(reason, "fmt chunk of " + std::to_string(size) + " bytes (16 expected)");
    const uint16_t tag = readU16(body);
    format.channels = readU16(body + 2);
    format.sampleRate = readU32(body + 4);
    format.blockAlign = readU16(body + 12);
    format.bitsPerSample = readU16(body + 14);
    if (tag != kFormatPcm)
        return fail(reason, "sample format " + std::to_string(tag) + " (only PCM, 1, is read)");
    if (format.channels != 1 && format.channels != 2)
        return fail(reason, std::to_string(format.channels) + " channels (1 or 2 are read)");
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return fail(reason,
                    std::to_string(format.bitsPerSample) + " bits per sample (8 or 16 are read)");
    if (format.sampleRate < kMinSampleRate || format.sampleRate > kMaxSampleRate)
        return fail(reason, "sample rate " + std::to_string(format.sampleRate) +
                                " Hz is outside 1000 to 384000");
    const unsigned frameBytes = format.channels * format.bitsPerSample / 8u;
    if (format.blockAlign != frameBytes)
        return fail(reason, "block size " + std::to_string(format.blockAlign) + " (" +
                                std::to_string(frameBytes) + " expected for the format)");
    return true;
}

} // namespace

bool decodeWav(const uint8_t* data, size_t size, SoundClip& clip, std::string& reason)
{
    clip = SoundClip{};
    if (data == nullptr || size < 12)
        return fail(reason,
                    "file is shorter than a RIFF header (" + std::to_string(size) + " bytes)");
    if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail(reason, "not a WAV file (no \"RIFF\"/\"WAVE\" signature)");
    const uint64_t riffSize = readU32(data + 4);
    if (riffSize < 4 || riffSize > size - 8)
        return fail(reason, "RIFF size " + std::to_string(riffSize) + " does not fit the file (" +
                                std::to_string(size) + " bytes)");
    // Bytes after the RIFF chunk are not part of the sound.
    const uint64_t end = 8 + riffSize;

    Format format;
    bool haveFormat = false;
    const uint8_t* samples = nullptr;
    uint64_t sampleBytes = 0;
    bool haveData = false;
    for (uint64_t at = 12; at < end;) {
        if (end - at < 8)
            return fail(reason, "a chunk header at offset " + std::to_string(at) +
                                    " is cut off by the end of the file");
        const uint8_t* header = data + at;
        const uint64_t chunkSize = readU32(header + 4);
        const uint64_t bodyAt = at + 8;
        if (chunkSize > end - bodyAt)
            return fail(reason, "chunk \"" + chunkName(header) + "\" of " +
                                    std::to_string(chunkSize) + " bytes at offset " +
                                    std::to_string(at) + " runs past the end of the file");
        const uint8_t* body = data + bodyAt;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (haveFormat)
                return fail(reason, "a second fmt chunk at offset " + std::to_string(at));
            if (!readFormat(body, chunkSize, format, reason))
                return false;
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (haveData)
                return fail(reason, "a second data chunk at offset " + std::to_string(at));
            samples = body;
            sampleBytes = chunkSize;
            haveData = true;
        }
        // An odd-sized chunk is followed by a pad byte; a writer may leave it off the last.
        at = bodyAt + chunkSize + (chunkSize & 1);
    }
    if (!haveFormat)
        return fail(reason, "no fmt chunk");
    if (!haveData)
        return fail(reason, "no data chunk");
    if (sampleBytes == 0)
        return fail(reason, "the data chunk holds no samples");
    if (sampleBytes % format.blockAlign != 0)
        return fail(reason, "data chunk of " + std::to_string(sampleBytes) +
                                " bytes is not a whole number of " +
                                std::to_string(format.blockAlign) + "-byte frames");

    const uint64_t count = sampleBytes / (format.bitsPerSample / 8u);
    SoundClip decoded;
    try {
        decoded.samples.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return fail(reason, "out of memory for " + std::to_string(count) + " samples");
    }
    if (format.bitsPerSample == 8) {
        for (uint64_t i = 0; i < count; ++i)
            decoded.samples[i] = static_cast<int16_t>((samples[i] - 128) * 256);
    } else {
        for (uint64_t i = 0; i < count; ++i)
            decoded.samples[i] = static_cast<int16_t>(readU16(samples + 2 * i));
    }
    decoded.sampleRate = static_cast<int>(format.sampleRate);
    decoded.channels = format.channels;
    clip = std::move(decoded);
    return true;
}

bool loadWav(const char* path, SoundClip& clip, std::string& reason)
{
    clip = SoundClip{};
    if (path == nullptr)
        return fail(reason, "no file name given");
    InputFile file(path);
    if (!file)
        return fail(reason, file.problem());
    const auto tooLarge = [&](uint64_t bytes) {
        return fail(reason, "file of " + std::to_string(bytes) + " bytes is larger than " +
                                std::to_string(kMaxWavFileBytes) + " bytes");
    };
    if (file.size() > kMaxWavFileBytes)
        return tooLarge(file.size());
    std::string bytes;
    if (!file.readToEnd(bytes))
        return fail(reason, "cannot read the file");
    // The file may have grown since it was opened.
    if (bytes.size() > kMaxWavFileBytes)
        return tooLarge(bytes.size());
    return decodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), clip, reason);
}

SoundClip loadSound(const char* path)
{
    SoundClip clip;
    std::string reason;
    if (!loadWav(path, clip, reason))
        diagErrf("%s: %s; the sound stays silent", path ? path : "(no name)", reason.c_str());
    return clip;
}
