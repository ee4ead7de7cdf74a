#include "audio/audio_output.h"

#include "tests/audio/test_tone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whether waveOut has a device depends on the machine (under Wine, on the sound system it
// finds): with one, the tone is pulled buffer after buffer and stops with close; without,
// open says why in one line and nothing is pulled. The end-to-end test sets up both cases.
TEST(Win32AudioOutput, PlaysFromItsOwnThreadOrSaysWhyNot)
{
    TestTone tone;
    AudioOutput output;
    std::string reason;
    if (!output.open(tone, reason)) {
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
        EXPECT_FALSE(output.isOpen());
        EXPECT_EQ(tone.framesRendered(), 0);
        EXPECT_TRUE(output.poll(reason));
        return;
    }
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(tone.rate(), kPreferredSampleRate);
    // Four buffers are queued at once; more follow only as the device plays them.
    const int64_t queued = tone.framesRendered();
    EXPECT_EQ(queued, 4 * kPreferredSampleRate / 50);
    for (int i = 0; i < 50 && tone.framesRendered() == queued; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_GT(tone.framesRendered(), queued) << "the refill thread woke for a played buffer";
    EXPECT_TRUE(output.poll(reason)) << reason;
    output.close();
    EXPECT_FALSE(output.isOpen());
    const int64_t pulled = tone.framesRendered();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(tone.framesRendered(), pulled);
    output.close();

    ASSERT_TRUE(output.open(tone, reason)) << "opens again: " << reason;
    output.close();
}

} // namespace
