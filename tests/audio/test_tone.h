#pragma once

#include "audio/audio_output.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

// A sine of a known pitch for the output tests: the same on both channels, at a quarter of
// full scale. It counts what the device pulled, from whichever thread pulls.
class TestTone final : public AudioSource {
public:
    explicit TestTone(double hertz = 440.0) : hertz_(hertz) { }

    void prepare(int sampleRate) override { rate_.store(sampleRate); }

    void render(int16_t* out, int frameCount) override
    {
        const double step = 2.0 * kPi * hertz_ / rate_.load();
        for (int i = 0; i < frameCount; ++i) {
            const auto sample = static_cast<int16_t>(std::lround(8192.0 * std::sin(phase_)));
            out[2 * i] = sample;
            out[2 * i + 1] = sample;
            phase_ = std::fmod(phase_ + step, 2.0 * kPi);
        }
        frames_.fetch_add(frameCount);
    }

    int rate() const { return rate_.load(); }
    int64_t framesRendered() const { return frames_.load(); }

private:
    static constexpr double kPi = 3.14159265358979323846;
    const double hertz_;
    double phase_ = 0.0;
    std::atomic<int> rate_{0};
    std::atomic<int64_t> frames_{0};
};

// The pitch of the left channel of interleaved stereo samples, from its rising zero
// crossings; 0 when there are fewer than two.
inline double pitchOf(const std::vector<int16_t>& stereo, int sampleRate)
{
    int64_t first = -1;
    int64_t last = -1;
    int crossings = 0;
    for (size_t i = 2; i < stereo.size(); i += 2) {
        if (stereo[i - 2] < 0 && stereo[i] >= 0) {
            const auto frame = static_cast<int64_t>(i / 2);
            if (first < 0)
                first = frame;
            last = frame;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * static_cast<double>(sampleRate) / static_cast<double>(last - first);
}
