#pragma once

#include <cstdint>
#include <vector>

// A decoded sound: signed 16-bit samples, interleaved when there are two channels (left
// first). Empty (not one whole frame) is silence: what a missing or damaged file leaves.
struct SoundClip {
    int sampleRate = 0;
    int channels = 0; // 1 or 2 when not empty
    std::vector<int16_t> samples;

    bool empty() const { return frameCount() < 1 || sampleRate < 1; }
    int64_t frameCount() const
    {
        return channels < 1 ? 0 : static_cast<int64_t>(samples.size()) / channels;
    }
};
