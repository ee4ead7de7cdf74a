#include "audio/audio_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <mutex>
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

std::string waveOutText(MMRESULT result)
{
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR)
        return "waveOut error " + std::to_string(result);
    return text;
}

} // namespace

struct AudioOutput::State {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr;
    AudioSource* source = nullptr;
    std::array<WAVEHDR, kBufferCount> headers{};
    std::vector<int16_t> samples;
    std::thread refill;
    std::atomic<bool> stopping{false};
    std::atomic<bool> failed{false};
    // The failure's text, written by the refill thread before it sets failed.
    std::mutex failureLock;
    std::string failure;

    // Fills one buffer from the source and queues it; false once the device refuses it.
    bool queue(WAVEHDR& header)
    {
        header.dwFlags &= ~WHDR_DONE;
        source->render(reinterpret_cast<int16_t*>(header.lpData), kOutputBufferFrames);
        const MMRESULT result = waveOutWrite(device, &header, sizeof header);
        if (result == MMSYSERR_NOERROR)
            return true;
        std::lock_guard<std::mutex> lock(failureLock);
        failure = waveOutText(result);
        return false;
    }

    void refillLoop()
    {
        while (!stopping.load()) {
            WaitForSingleObject(bufferDone, kWakeMilliseconds);
            for (WAVEHDR& header : headers) {
                if (stopping.load())
                    return;
                if ((header.dwFlags & WHDR_DONE) != 0 && !queue(header)) {
                    failed.store(true);
                    return;
                }
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
        waveOutOpen(&s.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(s.bufferDone), 0,
                    CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        reason = waveOutText(opened);
        s.device = nullptr;
        close();
        return false;
    }
    s.source = &source;
    source.prepare(kPreferredSampleRate);
    s.samples.assign(static_cast<size_t>(kBufferCount) * kOutputBufferFrames * 2, 0);
    for (int i = 0; i < kBufferCount; ++i) {
        WAVEHDR& header = s.headers[i];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(s.samples.data() +
                                                static_cast<size_t>(i) * kOutputBufferFrames * 2);
        header.dwBufferLength = kOutputBufferFrames * format.nBlockAlign;
        const MMRESULT prepared = waveOutPrepareHeader(s.device, &header, sizeof header);
        if (prepared != MMSYSERR_NOERROR) {
            reason = waveOutText(prepared);
            close();
            return false;
        }
        // Prepared and not yet queued: the loop below sees it as a buffer to fill.
        header.dwFlags |= WHDR_DONE;
    }
    for (WAVEHDR& header : s.headers) {
        if (!s.queue(header)) {
            reason = s.failure;
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
        reason = "the sound device has gone (" + s.failure + ")";
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
        waveOutReset(s.device);
        for (WAVEHDR& header : s.headers) {
            if ((header.dwFlags & WHDR_PREPARED) != 0)
                waveOutUnprepareHeader(s.device, &header, sizeof header);
            header = WAVEHDR{};
        }
        waveOutClose(s.device);
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
