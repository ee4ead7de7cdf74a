#include "audio/wav_reader.h"
#include "audio/wav_writer.h"

#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void putLe32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void putLe16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

Bytes chunk(const char* tag, const Bytes& body, bool pad = true)
{
    Bytes out(tag, tag + 4);
    out.resize(8);
    putLe32(out, 4, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (pad && body.size() % 2 == 1)
        out.push_back(0);
    return out;
}

Bytes fmtBody(uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes body(16);
    putLe16(body, 0, 1);
    putLe16(body, 2, channels);
    putLe32(body, 4, rate);
    putLe32(body, 8, rate * channels * bits / 8);
    putLe16(body, 12, static_cast<uint16_t>(channels * bits / 8));
    putLe16(body, 14, bits);
    return body;
}

Bytes riff(const std::vector<Bytes>& chunks)
{
    Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    putLe32(out, 4, static_cast<uint32_t>(out.size() - 8));
    return out;
}

// Three stereo 16-bit frames.
const std::vector<int16_t> kStereo = {0, -1, 32767, -32768, 1000, -1000};

Bytes goodStereo()
{
    Bytes bytes;
    std::string reason;
    EXPECT_TRUE(encodeWav(kStereo.data(), 3, 2, 22050, bytes, reason)) << reason;
    return bytes;
}

struct Decoded {
    bool ok = false;
    SoundClip clip;
    std::string reason;
};

Decoded decode(const Bytes& bytes)
{
    Decoded d;
    d.ok = decodeWav(bytes.data(), bytes.size(), d.clip, d.reason);
    return d;
}

} // namespace

TEST(WavReader, ReadsWhatTheWriterWrote)
{
    const Decoded d = decode(goodStereo());
    ASSERT_TRUE(d.ok) << d.reason;
    EXPECT_EQ(d.clip.sampleRate, 22050);
    EXPECT_EQ(d.clip.channels, 2);
    EXPECT_EQ(d.clip.samples, kStereo);
    EXPECT_EQ(d.clip.frameCount(), 3);
    // Byte for byte the plain header other programs read (this reader passes over the byte
    // rate), then the samples, least significant byte first.
    Bytes samples;
    for (const int16_t sample : kStereo) {
        samples.push_back(static_cast<uint8_t>(sample & 0xff));
        samples.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
    }
    EXPECT_EQ(goodStereo(), riff({chunk("fmt ", fmtBody(2, 22050, 16)), chunk("data", samples)}));
}

TEST(WavReader, EightBitMonoOtherChunksOddSizesAndTrailingBytes)
{
    // 8-bit samples are unsigned around 128; an odd data size carries a pad byte, and so
    // does an odd unknown chunk before it; bytes after the RIFF chunk are no part of it.
    Bytes file = riff({chunk("LIST", {1, 2, 3}), chunk("fmt ", fmtBody(1, 8000, 8)),
                       chunk("data", {0, 128, 255})});
    file.insert(file.end(), {9, 9, 9, 9});
    Decoded d = decode(file);
    ASSERT_TRUE(d.ok) << d.reason;
    EXPECT_EQ(d.clip.channels, 1);
    EXPECT_EQ(d.clip.samples, (std::vector<int16_t>{-32768, 0, 32512}));

    // The data chunk may come before the format, and the last chunk's pad byte may be
    // missing.
    d = decode(riff({chunk("data", {0, 128, 255}), chunk("fmt ", fmtBody(1, 8000, 8))}));
    EXPECT_TRUE(d.ok) << d.reason;
    d = decode(riff({chunk("fmt ", fmtBody(1, 8000, 8)), chunk("data", {0, 128, 255}, false)}));
    ASSERT_TRUE(d.ok) << d.reason;
    EXPECT_EQ(d.clip.frameCount(), 3);
}

TEST(WavReader, RefusesDamagedFilesWithAReason)
{
    const Bytes good = goodStereo();
    auto edited = [&](size_t at, uint32_t value, int width) {
        Bytes b = good;
        if (width == 4)
            putLe32(b, at, value);
        else
            putLe16(b, at, static_cast<uint16_t>(value));
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty", {}, "shorter than a RIFF header"},
        {"header only", Bytes(good.begin(), good.begin() + 11), "shorter than a RIFF header"},
        {"not RIFF", edited(0, 0, 4), "not a WAV file"},
        {"RIFF size past the end", edited(4, 1000, 4), "RIFF size 1000"},
        {"RIFF size too small", edited(4, 3, 4), "RIFF size 3"},
        {"cut in the data", Bytes(good.begin(), good.end() - 2), "RIFF size"},
        {"data size past the end", edited(40, 13, 4), "chunk \"data\" of 13 bytes"},
        {"data size wraps", edited(40, 0xFFFFFFFF, 4), "runs past the end"},
        {"fmt size past the end", edited(16, 0x7FFFFFFF, 4), "chunk \"fmt \""},
        {"compressed", edited(20, 2, 2), "sample format 2"},
        {"no channels", edited(22, 0, 2), "0 channels"},
        {"six channels", edited(22, 6, 2), "6 channels"},
        {"24-bit", edited(34, 24, 2), "24 bits per sample"},
        {"rate 0", edited(24, 0, 4), "sample rate 0"},
        {"huge rate", edited(24, 0xFFFFFFFF, 4), "sample rate"},
        {"block size", edited(32, 3, 2), "block size 3"},
        {"partial frame",
         riff({chunk("fmt ", fmtBody(2, 8000, 16)), chunk("data", {1, 2, 3, 4, 5, 6})}),
         "not a whole number of 4-byte frames"},
        {"no samples", riff({chunk("fmt ", fmtBody(1, 8000, 16)), chunk("data", {})}),
         "holds no samples"},
        {"no fmt", riff({chunk("data", {1, 2})}), "no fmt chunk"},
        {"no data", riff({chunk("fmt ", fmtBody(1, 8000, 16))}), "no data chunk"},
        {"short fmt", riff({chunk("fmt ", Bytes(14)), chunk("data", {1, 2})}), "fmt chunk of 14"},
        {"two fmt",
         riff({chunk("fmt ", fmtBody(1, 8000, 16)), chunk("fmt ", fmtBody(1, 8000, 16)),
               chunk("data", {1, 2})}),
         "a second fmt chunk"},
        {"two data",
         riff({chunk("fmt ", fmtBody(1, 8000, 16)), chunk("data", {1, 2}), chunk("data", {1, 2})}),
         "a second data chunk"},
        {"cut chunk header",
         [] {
             Bytes b = riff({chunk("fmt ", fmtBody(1, 8000, 16)), chunk("data", {1, 2})});
             b.insert(b.end(), {'a', 'b', 'c'});
             putLe32(b, 4, static_cast<uint32_t>(b.size() - 8));
             return b;
         }(),
         "cut off by the end of the file"},
    };
    for (const auto& c : cases) {
        const Decoded d = decode(c.bytes);
        EXPECT_FALSE(d.ok) << c.name;
        EXPECT_NE(d.reason.find(c.reason), std::string::npos) << c.name << ": " << d.reason;
        EXPECT_TRUE(d.clip.empty()) << c.name;
        EXPECT_EQ(d.reason.find('\n'), std::string::npos) << c.name;
    }
}

TEST(WavReader, AMissingOrDamagedFileIsOneLineNamingItAndSilence)
{
    TempDir dir;
    const Bytes good = goodStereo();
    const std::string goodPath = dir.write("good.wav", std::string(good.begin(), good.end()));
    const std::string cutPath = dir.write("cut.wav", std::string(good.begin(), good.begin() + 30));
    const std::string missingPath = (dir.path() / "missing.wav").string();
    const std::string folderPath = (dir.path() / "folder.wav").string();
    std::filesystem::create_directory(folderPath);

    RecordedLines said;
    EXPECT_EQ(loadSound(goodPath.c_str()).samples, kStereo);
    EXPECT_TRUE(loadSound(cutPath.c_str()).empty());
    EXPECT_TRUE(loadSound(missingPath.c_str()).empty());
    EXPECT_TRUE(loadSound(folderPath.c_str()).empty());
    const std::vector<std::string> lines = said.lines(DiagStream::Err);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind(cutPath + ": ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], missingPath + ": cannot open the file; the sound stays silent");
    EXPECT_EQ(lines[2],
              folderPath + ": cannot read the file: it is a folder; the sound stays silent");
    EXPECT_TRUE(said.out().empty());
}

TEST(WavWriter, RefusesWhatAWavFileCannotHoldBeforeAllocatingOrWriting)
{
    // The RIFF size counts the header's last 36 bytes and the samples in 32 bits.
    constexpr uint64_t kMostStereo = (uint64_t{UINT32_MAX} - 36) / 4;
    EXPECT_EQ(wavSizeProblem(kMostStereo, 2, 48000), "");
    EXPECT_EQ(wavSizeProblem(kMostStereo + 1, 2, 48000),
              "1073741815 sample frames are more than a WAV file holds (1073741814 of 2 "
              "channels, 22369 s at 48000 Hz)");
    EXPECT_NE(wavSizeProblem(1, 2, INT32_MAX), "") << "the byte rate overflows 32 bits";

    // The samples are never read: 2^30 + 1 stereo frames are 2^32 + 4 bytes, which a 32-bit
    // size wraps to 4.
    const int16_t samples[4] = {};
    std::vector<uint8_t> bytes(8, 1);
    std::string reason;
    EXPECT_FALSE(encodeWav(samples, (size_t{1} << 30) + 1, 2, 48000, bytes, reason));
    EXPECT_TRUE(bytes.empty());
    EXPECT_NE(reason.find("more than a WAV file holds"), std::string::npos) << reason;
    TempDir dir;
    const std::string path = (dir.path() / "long.wav").string();
    EXPECT_FALSE(writeWav(path, samples, kMostStereo + 1, 2, 48000, reason));
    EXPECT_FALSE(std::filesystem::exists(path)) << "no file is made";

    // A full disk fails the write, also when the bytes fit the stream's buffer and the
    // failure shows only as the file is closed.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(writeWav("/dev/full", kStereo.data(), 3, 2, 22050, reason));
    }
}
