#include "audio/audio_output.h"

#include "audio/win32/wave_out_functions.h"

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// waveOut on the wave mapper (the system's default output). Four buffers of
// kOutputBufferFrames circulate: the driver signals an event when it has played one, and a
// thread of ours wakes, refills every finished buffer from the source and queues it again.
// waveOut's own callback is never used: its functions may not be called from there.
namespace {

constexpr int kBufferCount = 4;
// The longest the refill thread sleeps without a signal before it looks at the stop flag.
constexpr DWORD kWakeMilliseconds = 100;
// A device that has handed no buffer back for this long while four were queued (about 85 ms
// of sound) has stopped playing. Counted in the thread's own waits that ended without a
// signal, not by the clock, so that a machine waking from sleep does not read as a device
// that stopped.
constexpr DWORD kStalledMilliseconds = 1000;
constexpr int kStalledWakes = kStalledMilliseconds / kWakeMilliseconds;

const WaveOutFunctions kSystemWaveOut = {waveOutOpen,  waveOutPrepareHeader,   waveOutWrite,
                                         waveOutReset, waveOutUnprepareHeader, waveOutClose};
const WaveOutFunctions* waveOutInUse = &kSystemWaveOut;

std::string waveOutText(MMRESULT result)
{
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR)
        return "waveOut error " + std::to_string(result);
    return text;
}

} // namespace

void useWaveOutFunctions(const WaveOutFunctions* functions)
{
    waveOutInUse = functions != nullptr ? functions : &kSystemWaveOut;
}

struct AudioOutput::State {
    // The calls of this device, fixed when it opens.
    const WaveOutFunctions* waveOut = &kSystemWaveOut;
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr;
    AudioSource* source = nullptr;
    std::array<WAVEHDR, kBufferCount> headers{};
    std::vector<int16_t> samples;
    std::thread refill;
    std::atomic<bool> stopping{false};
    std::atomic<bool> failed{false};
    // Why the device failed, written by the refill thread before it sets failed.
    std::mutex failureLock;
    std::string failure;

    void fail(std::string reason)
    {
        {
            std::lock_guard<std::mutex> lock(failureLock);
            failure = std::move(reason);
        }
        failed.store(true);
    }

    // Fills one buffer from the source and queues it. When the device refuses it, returns
    // the device's reason; empty when queued.
    std::string queue(WAVEHDR& header)
    {
        header.dwFlags &= ~WHDR_DONE;
        source->render(reinterpret_cast<int16_t*>(header.lpData), kOutputBufferFrames);
        const MMRESULT result = waveOut->write(device, &header, sizeof header);
        return result == MMSYSERR_NOERROR ? std::string() : waveOutText(result);
    }

    void refillLoop()
    {
        int quietWakes = 0;
        while (!stopping.load()) {
            const bool signalled =
                WaitForSingleObject(bufferDone, kWakeMilliseconds) == WAIT_OBJECT_0;
            bool refilled = false;
            for (WAVEHDR& header : headers) {
                if (stopping.load())
                    return;
                if ((header.dwFlags & WHDR_DONE) == 0)
                    continue;
                if (const std::string refused = queue(header); !refused.empty()) {
                    fail("the sound device has gone (" + refused + ")");
                    return;
                }
                refilled = true;
            }
            if (refilled) {
                quietWakes = 0;
            } else if (!signalled && ++quietWakes >= kStalledWakes) {
                fail("the sound device stopped playing (no buffer came back within " +
                     std::to_string(kStalledMilliseconds / 1000) + " s)");
                return;
            }
        }
    }
};

AudioOutput::AudioOutput() : state_(std::make_unique<State>()) { }

AudioOutput::~AudioOutput()
{
    close();
}

bool AudioOutput::open(AudioSource& source, std::string& reason)
{
    close();
    State& s = *state_;
    s.waveOut = waveOutInUse;
    s.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (s.bufferDone == nullptr) {
        reason = "no event for the sound thread (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kPreferredSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = format.nChannels * format.wBitsPerSample / 8;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    const MMRESULT opened =
        s.waveOut->open(&s.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(s.bufferDone),
                        0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        reason = waveOutText(opened);
        s.device = nullptr;
        close();
        return false;
    }
    s.source = &source;
    source.prepare(kPreferredSampleRate);
    constexpr size_t kBufferSamples = static_cast<size_t>(kOutputBufferFrames) * 2;
    s.samples.assign(kBufferCount * kBufferSamples, 0);
    for (int i = 0; i < kBufferCount; ++i) {
        WAVEHDR& header = s.headers[i];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(s.samples.data() + i * kBufferSamples);
        header.dwBufferLength = kOutputBufferFrames * format.nBlockAlign;
        const MMRESULT prepared = s.waveOut->prepareHeader(s.device, &header, sizeof header);
        if (prepared != MMSYSERR_NOERROR) {
            reason = waveOutText(prepared);
            close();
            return false;
        }
        // Prepared and not yet queued: the loop below sees it as a buffer to fill.
        header.dwFlags |= WHDR_DONE;
    }
    for (WAVEHDR& header : s.headers) {
        if (std::string refused = s.queue(header); !refused.empty()) {
            reason = std::move(refused);
            close();
            return false;
        }
    }
    s.stopping.store(false);
    s.failed.store(false);
    s.refill = std::thread([&s] { s.refillLoop(); });
    return true;
}

bool AudioOutput::poll(std::string& reason)
{
    State& s = *state_;
    if (s.device == nullptr || !s.failed.load())
        return true;
    {
        std::lock_guard<std::mutex> lock(s.failureLock);
        reason = s.failure;
    }
    close();
    return false;
}

void AudioOutput::close()
{
    State& s = *state_;
    if (s.refill.joinable()) {
        s.stopping.store(true);
        SetEvent(s.bufferDone);
        s.refill.join();
    }
    if (s.device != nullptr) {
        // Returns every queued buffer to us, marked done, so each can be unprepared.
        s.waveOut->reset(s.device);
        for (WAVEHDR& header : s.headers) {
            if ((header.dwFlags & WHDR_PREPARED) != 0)
                s.waveOut->unprepareHeader(s.device, &header, sizeof header);
            header = WAVEHDR{};
        }
        s.waveOut->close(s.device);
        s.device = nullptr;
    }
    if (s.bufferDone != nullptr) {
        CloseHandle(s.bufferDone);
        s.bufferDone = nullptr;
    }
    s.source = nullptr;
    s.samples.clear();
    s.failed.store(false);
}

bool AudioOutput::isOpen() const
{
    return state_->device != nullptr;
}

void AudioOutput::showMuted(bool) { }
