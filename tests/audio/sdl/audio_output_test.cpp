#include "audio/audio_output.h"

#include "tests/audio/test_tone.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// SDL picks its audio driver from the environment when the audio subsystem starts: "disk"
// writes what it plays to a file, in real time, and a file that cannot be written is a
// device that has gone.
class SdlAudioOutput : public ::testing::Test {
protected:
    void useDiskDevice(const std::string& file)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }

    static std::vector<int16_t> samplesOf(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
        return samples;
    }

    // Polls once per 10 ms for up to two seconds; true when the output reported its device gone.
    static bool pollUntilGone(AudioOutput& output, std::string& reason)
    {
        for (int i = 0; i < 200; ++i) {
            if (!output.poll(reason))
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
};

TEST_F(SdlAudioOutput, PlaysTheSourceAtTheRateItWasToldAndStopsPullingOnClose)
{
    TempDir dir;
    const std::string file = (dir.path() / "played.raw").string();
    useDiskDevice(file);
    TestTone tone(440.0);
    AudioOutput output;
    std::string reason;
    ASSERT_TRUE(output.open(tone, reason)) << reason;
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(tone.rate(), kPreferredSampleRate);
    std::this_thread::sleep_for(400ms);
    EXPECT_TRUE(output.poll(reason));
    output.close();
    EXPECT_FALSE(output.isOpen());

    // The device received the tone as it was rendered: 16-bit stereo, the same pitch. SDL
    // opens a device paused, and its thread may write one buffer of silence before the output
    // starts it: that buffer, and only that, may come first.
    const std::vector<int16_t> samples = samplesOf(file);
    ASSERT_GE(samples.size(), 2u * kPreferredSampleRate / 10);
    const int64_t early = static_cast<int64_t>(samples.size()) / 2 - tone.framesRendered();
    EXPECT_TRUE(early == 0 || early == kOutputBufferFrames) << early << " frames not rendered";
    if (early > 0 && early <= static_cast<int64_t>(samples.size()) / 2) {
        EXPECT_TRUE(std::all_of(samples.begin(), samples.begin() + 2 * early,
                                [](int16_t sample) { return sample == 0; }));
    }
    EXPECT_NEAR(pitchOf(samples, tone.rate()), 440.0, 2.0);

    // Nothing pulls once closed; a second close and a poll are harmless.
    const int64_t pulled = tone.framesRendered();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(tone.framesRendered(), pulled);
    output.close();
    EXPECT_TRUE(output.poll(reason));

    // The same output opens again.
    ASSERT_TRUE(output.open(tone, reason)) << reason;
    std::this_thread::sleep_for(100ms);
    output.close();
    EXPECT_GT(tone.framesRendered(), pulled);
}

TEST_F(SdlAudioOutput, NoDeviceFailsWithAReasonAndLeavesNothingOpen)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    TestTone tone;
    AudioOutput output;
    std::string reason;
    EXPECT_FALSE(output.open(tone, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find('\n'), std::string::npos) << "one line: " << reason;
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(tone.framesRendered(), 0);
    std::string polled;
    EXPECT_TRUE(output.poll(polled));
    EXPECT_TRUE(polled.empty());
}

TEST_F(SdlAudioOutput, ADeviceLostWhilePlayingIsReportedOnceAndClosed)
{
    // Every write to /dev/full fails: SDL takes the device as removed after its first buffer.
    useDiskDevice("/dev/full");
    TestTone tone;
    AudioOutput output;
    std::string reason;
    ASSERT_TRUE(output.open(tone, reason)) << reason;
    ASSERT_TRUE(pollUntilGone(output, reason));
    EXPECT_NE(reason.find("gone"), std::string::npos) << reason;
    EXPECT_FALSE(output.isOpen());
    std::string again;
    EXPECT_TRUE(output.poll(again)) << "reported once";
    output.close();
}

} // namespace
