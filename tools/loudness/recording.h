#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A stretch of sound as the meters read it: interleaved channels at a rate, full scale at
// +-1. Made from 16-bit samples (a WAV file, the headless driver's mix) or from another
// recording by the few operations a level check needs.
struct Recording {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;

    static Recording fromPcm16(const int16_t* samples, size_t count, int channels, int rate);

    size_t frames() const { return channels < 1 ? 0 : samples.size() / channels; }
    double seconds() const { return rate < 1 ? 0.0 : static_cast<double>(frames()) / rate; }

    // The frames from firstSecond on, for seconds (both cut to the recording).
    Recording slice(double firstSecond, double seconds) const;
    // This recording less another of the same shape, frame by frame: what a sound added to
    // a mix that is otherwise the same. The shorter length of the two.
    Recording minus(const Recording& other) const;
    // Through a second-order Butterworth high-pass at hertz (what a small speaker leaves).
    Recording highPassed(double hertz) const;
    // Each frame's channels averaged into one.
    std::vector<double> mono() const;
};
