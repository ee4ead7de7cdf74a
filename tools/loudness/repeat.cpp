#include "tools/loudness/repeat.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;

// In place, iterative radix 2; values.size() is a power of two. inverse: the unscaled
// inverse transform.
void fft(std::vector<Complex>& values, bool inverse)
{
    const size_t n = values.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(values[i], values[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle =
            (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(length);
        const Complex unit(std::cos(angle), std::sin(angle));
        std::vector<Complex> twiddles(length / 2);
        twiddles[0] = 1.0;
        for (size_t k = 1; k < length / 2; ++k)
            twiddles[k] = k % 64 == 0 ? std::polar(1.0, angle * static_cast<double>(k))
                                      : twiddles[k - 1] * unit;
        for (size_t start = 0; start < n; start += length) {
            for (size_t k = 0; k < length / 2; ++k) {
                const Complex even = values[start + k];
                const Complex odd = values[start + k + length / 2] * twiddles[k];
                values[start + k] = even + odd;
                values[start + k + length / 2] = even - odd;
            }
        }
    }
}

} // namespace

Repeat strongestRepeat(const Recording& recording, double minLagSeconds, double maxLagSeconds,
                       double minOverlapSeconds)
{
    const std::vector<double> x = recording.mono();
    const size_t n = x.size();
    const auto minLag = static_cast<size_t>(std::max(1.0, minLagSeconds * recording.rate));
    const auto minOverlap = static_cast<size_t>(minOverlapSeconds * recording.rate);
    auto maxLag = static_cast<size_t>(maxLagSeconds * recording.rate);
    if (n <= minOverlap)
        return {};
    maxLag = std::min(maxLag, n - std::max<size_t>(1, minOverlap));
    if (maxLag < minLag)
        return {};

    // Every product sum at once: the inverse transform of the power spectrum, padded so
    // that no lag up to maxLag wraps round.
    size_t size = 1;
    while (size < n + maxLag)
        size <<= 1;
    std::vector<Complex> spectrum(size);
    for (size_t i = 0; i < n; ++i)
        spectrum[i] = x[i];
    fft(spectrum, false);
    for (Complex& value : spectrum)
        value = std::norm(value);
    fft(spectrum, true);

    std::vector<double> energy(n + 1, 0.0); // energy[i]: sum of x^2 over t < i
    for (size_t i = 0; i < n; ++i)
        energy[i + 1] = energy[i] + x[i] * x[i];
    Repeat best;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        const double head = energy[n - lag];
        const double tail = energy[n] - energy[lag];
        if (head <= 0.0 || tail <= 0.0)
            continue;
        const double r = spectrum[lag].real() / static_cast<double>(size) / std::sqrt(head * tail);
        if (r > best.correlation)
            best = {r, static_cast<double>(lag) / recording.rate};
    }
    return best;
}
