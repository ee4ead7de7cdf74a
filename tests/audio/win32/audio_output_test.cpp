#include "audio/audio_output.h"

#include "audio/win32/wave_out_functions.h"
#include "tests/audio/test_tone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
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

    // Open again, and for longer than a device may keep every buffer before it counts as
    // stopped: one that plays is never taken for one.
    ASSERT_TRUE(output.open(tone, reason)) << "opens again: " << reason;
    std::this_thread::sleep_for(1200ms);
    EXPECT_TRUE(output.poll(reason)) << reason;
    output.close();
}

// A device of the test's own behind the waveOut calls: it keeps every buffer written to it
// and hands one back (marked done, its event signalled) only when the test says so.
struct ScriptedDevice {
    std::mutex lock;
    HANDLE bufferDone = nullptr;
    std::deque<WAVEHDR*> queued;
    int closed = 0;

    void handBackOne()
    {
        std::lock_guard<std::mutex> hold(lock);
        if (queued.empty())
            return;
        queued.front()->dwFlags |= WHDR_DONE;
        queued.pop_front();
        SetEvent(bufferDone);
    }
};
ScriptedDevice scripted;

MMRESULT WINAPI scriptedOpen(LPHWAVEOUT device, UINT, LPCWAVEFORMATEX, DWORD_PTR event, DWORD_PTR,
                             DWORD)
{
    *device = reinterpret_cast<HWAVEOUT>(&scripted);
    scripted.bufferDone = reinterpret_cast<HANDLE>(event);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI scriptedWrite(HWAVEOUT, LPWAVEHDR header, UINT)
{
    std::lock_guard<std::mutex> hold(scripted.lock);
    scripted.queued.push_back(header);
    return MMSYSERR_NOERROR;
}

// Preparing marks the header as real waveOut does; closing counts; a reset needs nothing
// here, as the output unprepares every prepared header after it.
const WaveOutFunctions kScriptedWaveOut = {scriptedOpen,
                                           [](HWAVEOUT, LPWAVEHDR header, UINT) -> MMRESULT {
                                               header->dwFlags |= WHDR_PREPARED;
                                               return MMSYSERR_NOERROR;
                                           },
                                           scriptedWrite,
                                           [](HWAVEOUT) -> MMRESULT { return MMSYSERR_NOERROR; },
                                           [](HWAVEOUT, LPWAVEHDR header, UINT) -> MMRESULT {
                                               header->dwFlags &= ~WHDR_PREPARED;
                                               return MMSYSERR_NOERROR;
                                           },
                                           [](HWAVEOUT) -> MMRESULT {
                                               ++scripted.closed;
                                               return MMSYSERR_NOERROR;
                                           }};

// Outputs opened while it lives play on the scripted device.
struct OnTheScriptedDevice {
    OnTheScriptedDevice() { useWaveOutFunctions(&kScriptedWaveOut); }
    ~OnTheScriptedDevice() { useWaveOutFunctions(nullptr); }
};

// A device that hands a buffer back now and then plays on; once it hands none back for a
// second while playing, it has stopped: the output says so once, with its reason, and closes.
TEST(Win32AudioOutputOnAScriptedDevice, ADeviceThatStopsHandingBuffersBackIsReportedOnce)
{
    const OnTheScriptedDevice scriptedDevice;
    TestTone tone;
    AudioOutput output;
    std::string reason;
    ASSERT_TRUE(output.open(tone, reason)) << reason;
    EXPECT_EQ(tone.framesRendered(), 4 * kOutputBufferFrames);

    // Slow, but within the bound each time: the quiet spells do not add up.
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(400ms);
        scripted.handBackOne();
        EXPECT_TRUE(output.poll(reason)) << "after " << i + 1 << " buffers back: " << reason;
    }
    for (int i = 0; i < 50 && tone.framesRendered() < 9 * kOutputBufferFrames; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(tone.framesRendered(), 9 * kOutputBufferFrames) << "each buffer back refilled";

    // No buffer back any more.
    const auto lastBack = std::chrono::steady_clock::now();
    bool stopped = false;
    for (int i = 0; i < 250 && !stopped; ++i) {
        std::this_thread::sleep_for(20ms);
        stopped = !output.poll(reason);
    }
    const auto waited = std::chrono::steady_clock::now() - lastBack;
    ASSERT_TRUE(stopped) << "not reported within five seconds";
    EXPECT_GE(waited, 900ms) << "reported before a second without a buffer had passed";
    EXPECT_EQ(reason, "the sound device stopped playing (no buffer came back within 1 s)");
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(scripted.closed, 1);
    std::string again;
    EXPECT_TRUE(output.poll(again)) << "reported once";
    EXPECT_EQ(tone.framesRendered(), 9 * kOutputBufferFrames);
}

} // namespace
