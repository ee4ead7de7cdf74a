#include "tools/loudness/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kOffset = -0.691;
constexpr double kBlockSeconds = 0.4;
constexpr double kBlockStepSeconds = 0.1;
constexpr double kAbsoluteGate = -70.0;
constexpr double kRelativeGate = -10.0;

// The analog filters behind the recommendation's 48 kHz coefficients: the shelf's centre,
// gain and quality, and the high-pass's corner and quality.
constexpr double kShelfHertz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kHighPassHertz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

double loudnessOf(double meanPower)
{
    return kOffset + powerDb(meanPower);
}

} // namespace

double powerDb(double power)
{
    return power > 0.0 ? 10.0 * std::log10(power) : -std::numeric_limits<double>::infinity();
}

Biquad::Coefficients kWeightingShelf(int rate)
{
    const double k = std::tan(std::numbers::pi * kShelfHertz / rate);
    const double vh = std::pow(10.0, kShelfGainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / kShelfQ + k * k;
    return {(vh + vb * k / kShelfQ + k * k) / a0, 2.0 * (k * k - vh) / a0,
            (vh - vb * k / kShelfQ + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
            (1.0 - k / kShelfQ + k * k) / a0};
}

Biquad::Coefficients kWeightingHighPass(int rate)
{
    const double k = std::tan(std::numbers::pi * kHighPassHertz / rate);
    const double a0 = 1.0 + k / kHighPassQ + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / kHighPassQ + k * k) / a0};
}

Loudness::Loudness(const Recording& recording) : rate_(recording.rate)
{
    const size_t frames = recording.frames();
    std::vector<double> power(frames, 0.0);
    for (int channel = 0; channel < recording.channels; ++channel) {
        Biquad shelf(kWeightingShelf(rate_));
        Biquad highPass(kWeightingHighPass(rate_));
        for (size_t frame = 0; frame < frames; ++frame) {
            const double x = recording.samples[frame * recording.channels + channel];
            const double y = highPass.step(shelf.step(x));
            power[frame] += y * y;
        }
    }
    sums_.resize(frames + 1, 0.0);
    for (size_t frame = 0; frame < frames; ++frame)
        sums_[frame + 1] = sums_[frame] + power[frame];
}

double Loudness::powerOver(size_t firstFrame, size_t frames) const
{
    return (sums_[firstFrame + frames] - sums_[firstFrame]) / static_cast<double>(frames);
}

double Loudness::over(double firstSecond, double seconds) const
{
    const size_t total = sums_.size() - 1;
    const auto first = std::min(total, static_cast<size_t>(std::max(0.0, firstSecond) * rate_));
    const auto count = std::min(total - first, static_cast<size_t>(std::max(0.0, seconds) * rate_));
    return count == 0 ? -std::numeric_limits<double>::infinity()
                      : loudnessOf(powerOver(first, count));
}

std::vector<double> Loudness::windows(double seconds, double step) const
{
    const size_t total = sums_.size() - 1;
    const auto length = static_cast<size_t>(seconds * rate_);
    const auto stride = std::max<size_t>(1, static_cast<size_t>(step * rate_));
    std::vector<double> readings;
    for (size_t first = 0; length > 0 && first + length <= total; first += stride)
        readings.push_back(loudnessOf(powerOver(first, length)));
    return readings;
}

double Loudness::integrated() const
{
    const size_t total = sums_.size() - 1;
    const auto block = static_cast<size_t>(std::lround(kBlockSeconds * rate_));
    const auto step = static_cast<size_t>(std::lround(kBlockStepSeconds * rate_));
    std::vector<double> powers;
    for (size_t first = 0; block > 0 && first + block <= total; first += step)
        powers.push_back(powerOver(first, block));
    auto gatedMean = [&](double gate) {
        double sum = 0.0;
        int count = 0;
        for (double power : powers) {
            if (loudnessOf(power) > gate) {
                sum += power;
                ++count;
            }
        }
        return count == 0 ? 0.0 : sum / count;
    };
    const double absolute = gatedMean(kAbsoluteGate);
    if (absolute == 0.0)
        return -std::numeric_limits<double>::infinity();
    const double relative = loudnessOf(absolute) + kRelativeGate;
    return loudnessOf(gatedMean(std::max(kAbsoluteGate, relative)));
}

namespace {

constexpr int kOversampling = 4;
constexpr int kTapsPerPhase = 12;
constexpr int kTaps = kOversampling * kTapsPerPhase + 1; // odd: phase 0 is the sample itself

// The interpolator: sinc at the original rate's band edge under a Blackman window, each
// phase scaled to pass a constant unchanged.
std::vector<double> interpolator()
{
    std::vector<double> taps(kTaps);
    const double centre = (kTaps - 1) / 2.0;
    for (int n = 0; n < kTaps; ++n) {
        const double x = (n - centre) / kOversampling;
        const double sinc =
            x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double w = 2.0 * std::numbers::pi * n / (kTaps - 1);
        taps[static_cast<size_t>(n)] = sinc * (0.42 - 0.5 * std::cos(w) + 0.08 * std::cos(2.0 * w));
    }
    for (int phase = 0; phase < kOversampling; ++phase) {
        double sum = 0.0;
        for (int n = phase; n < kTaps; n += kOversampling)
            sum += taps[static_cast<size_t>(n)];
        for (int n = phase; n < kTaps; n += kOversampling)
            taps[static_cast<size_t>(n)] /= sum;
    }
    return taps;
}

} // namespace

double truePeak(const Recording& recording)
{
    static const std::vector<double> taps = interpolator();
    const size_t frames = recording.frames();
    const auto channels = static_cast<size_t>(recording.channels);
    double peak = 0.0;
    for (size_t channel = 0; channel < channels; ++channel) {
        auto at = [&](long frame) {
            return frame < 0 || frame >= static_cast<long>(frames)
                       ? 0.0
                       : static_cast<double>(
                             recording.samples[static_cast<size_t>(frame) * channels + channel]);
        };
        // The upsampled stream: zeros between the samples, through the interpolator. Output
        // m * 4 + phase sits (kTaps - 1) / 2 upsampled steps after its centre.
        for (long m = 0; m < static_cast<long>(frames) + kTapsPerPhase; ++m) {
            for (int phase = 0; phase < kOversampling; ++phase) {
                double y = 0.0;
                for (int k = 0; k * kOversampling + phase < kTaps; ++k)
                    y += taps[static_cast<size_t>(k * kOversampling + phase)] * at(m - k);
                peak = std::max(peak, std::abs(y));
            }
        }
    }
    return powerDb(peak * peak);
}
