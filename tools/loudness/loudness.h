#pragma once

#include "tools/loudness/biquad.h"
#include "tools/loudness/recording.h"

#include <vector>

// Loudness as ITU-R BS.1770-4 measures it. Each channel goes through the K-weighting (a
// high shelf of +4 dB above about 1.7 kHz, then a high-pass at about 38 Hz: the two biquads
// of the recommendation at 48 kHz, and the same analog filters at any other rate), its
// square is summed over the channels (left and right weigh 1), and a stretch's loudness is
// -0.691 + 10 log10 of that sum's mean over the stretch, in LUFS (LU for a difference).

// The K-weighting's two sections at a rate; at 48 kHz they are the recommendation's table.
Biquad::Coefficients kWeightingShelf(int rate);
Biquad::Coefficients kWeightingHighPass(int rate);

class Loudness {
public:
    // Weighs the whole recording once; every reading after that is a lookup.
    explicit Loudness(const Recording& recording);

    // Integrated loudness: 400 ms blocks every 100 ms (75% overlap), those under -70 LUFS
    // dropped, then those more than 10 LU under the mean of the rest. -infinity when no
    // block passes (silence, or under 400 ms of sound).
    double integrated() const;
    // The loudness of one stretch, ungated (cut to the recording; -infinity when silent).
    double over(double firstSecond, double seconds) const;
    // over() for every window of the given length, stepping by step seconds.
    std::vector<double> windows(double seconds, double step) const;

private:
    double powerOver(size_t firstFrame, size_t frames) const;

    int rate_;
    // sums_[i]: the weighted power of frames 0..i-1, summed over the channels.
    std::vector<double> sums_;
};

// The true peak in dBTP: the largest magnitude of any channel after 4x oversampling (a
// windowed-sinc interpolator of 12 taps per phase, which passes the original samples through
// unchanged), so the peaks between samples that a converter would make are counted.
double truePeak(const Recording& recording);

// A loudness or a level in decibels from a power or an amplitude ratio; -infinity for 0.
double powerDb(double power);
