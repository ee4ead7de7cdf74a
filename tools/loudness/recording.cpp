#include "tools/loudness/recording.h"

#include "tools/loudness/biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Recording Recording::fromPcm16(const int16_t* samples, size_t count, int channels, int rate)
{
    Recording recording;
    recording.rate = rate;
    recording.channels = channels;
    recording.samples.resize(count);
    for (size_t i = 0; i < count; ++i)
        recording.samples[i] = static_cast<float>(samples[i]) / 32768.0f;
    return recording;
}

Recording Recording::slice(double firstSecond, double seconds) const
{
    const size_t total = frames();
    const auto first = std::min(total, static_cast<size_t>(std::max(0.0, firstSecond) * rate));
    const auto count = std::min(total - first, static_cast<size_t>(std::max(0.0, seconds) * rate));
    Recording part{rate, channels, {}};
    part.samples.assign(samples.begin() + static_cast<std::ptrdiff_t>(first * channels),
                        samples.begin() + static_cast<std::ptrdiff_t>((first + count) * channels));
    return part;
}

Recording Recording::minus(const Recording& other) const
{
    Recording difference{rate, channels, {}};
    if (other.channels != channels)
        return difference;
    const size_t count = std::min(samples.size(), other.samples.size());
    difference.samples.resize(count);
    for (size_t i = 0; i < count; ++i)
        difference.samples[i] = samples[i] - other.samples[i];
    return difference;
}

Recording Recording::highPassed(double hertz) const
{
    // The bilinear transform of s^2 / (s^2 + sqrt(2) s + 1), prewarped to hertz.
    const double k = std::tan(std::numbers::pi * hertz / rate);
    const double norm = 1.0 + std::numbers::sqrt2 * k + k * k;
    const Biquad::Coefficients filter{1.0 / norm, -2.0 / norm, 1.0 / norm,
                                      2.0 * (k * k - 1.0) / norm,
                                      (1.0 - std::numbers::sqrt2 * k + k * k) / norm};
    Recording filtered = *this;
    for (int channel = 0; channel < channels; ++channel) {
        Biquad biquad(filter);
        for (size_t i = static_cast<size_t>(channel); i < samples.size(); i += channels)
            filtered.samples[i] = static_cast<float>(biquad.step(samples[i]));
    }
    return filtered;
}

std::vector<double> Recording::mono() const
{
    std::vector<double> sum(frames(), 0.0);
    for (size_t frame = 0; frame < sum.size(); ++frame) {
        for (int channel = 0; channel < channels; ++channel)
            sum[frame] += samples[frame * channels + static_cast<size_t>(channel)];
        sum[frame] /= channels;
    }
    return sum;
}
