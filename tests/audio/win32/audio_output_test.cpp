#include "audio/audio_output.h"

#include "tests/audio/test_tone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Where the device's sound goes when the test is given one: ZORBEL_TEST_SOUND_FILE names
// the WAV file that ALSA's file plugin writes under Wine (the build sets this up).
const char* capturedFile()
{
    const char* file = std::getenv("ZORBEL_TEST_SOUND_FILE");
    return file != nullptr && *file != '\0' ? file : nullptr;
}

// The samples of a captured WAV file: 16-bit stereo after the 44-byte header, which the
// plugin only completes when the device closes.
std::vector<int16_t> capturedSamples(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() <= 44)
        return {};
    std::vector<int16_t> samples((bytes.size() - 44) / sizeof(int16_t));
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * sizeof(int16_t));
    return samples;
}

// Whether waveOut has a device depends on the machine (under Wine, on the sound system it
// finds): with one, the tone is pulled buffer after buffer and stops with close; without,
// open says why in one line and nothing is pulled. With a capture file, the device must be
// there and the file must hold the tone.
TEST(Win32AudioOutput, PlaysFromItsOwnThreadOrSaysWhyNot)
{
    TestTone tone;
    AudioOutput output;
    std::string reason;
    if (!output.open(tone, reason)) {
        EXPECT_EQ(capturedFile(), nullptr) << "a device was set up: " << reason;
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
        EXPECT_FALSE(output.isOpen());
        EXPECT_EQ(tone.framesRendered(), 0);
        EXPECT_TRUE(output.poll(reason));
        return;
    }
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(tone.rate(), kPreferredSampleRate);
    // Four buffers are queued before open returns; more follow, whole buffers, as the device
    // plays them (the refill thread may already have woken).
    const int64_t queued = tone.framesRendered();
    EXPECT_GE(queued, 4 * kOutputBufferFrames);
    EXPECT_EQ(queued % kOutputBufferFrames, 0);
    for (int i = 0; i < 50 && tone.framesRendered() == queued; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_GT(tone.framesRendered(), queued) << "the refill thread woke for a played buffer";
    EXPECT_TRUE(output.poll(reason)) << reason;
    // Long enough for the device to take a few hundred milliseconds of the tone.
    std::this_thread::sleep_for(300ms);
    output.close();
    EXPECT_FALSE(output.isOpen());
    const int64_t pulled = tone.framesRendered();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(tone.framesRendered(), pulled);
    output.close();
    // Read before the device opens again, which starts the file afresh.
    if (const char* file = capturedFile()) {
        const std::vector<int16_t> samples = capturedSamples(file);
        EXPECT_GE(samples.size(), 2u * kPreferredSampleRate / 20) << file;
        EXPECT_NEAR(pitchOf(samples, kPreferredSampleRate), 440.0, 3.0);
    }

    ASSERT_TRUE(output.open(tone, reason)) << "opens again: " << reason;
    output.close();
}

} // namespace
