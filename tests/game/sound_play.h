#pragma once

#include "tools/loudness/recording.h"

#include <initializer_list>
#include <string_view>
#include <vector>

// A scripted play rendered through the headless driver for the sound's checks: the real
// scene with the project's data and its mixer, seed 1, 60 frames a second, nothing drawn.
// The sound is the mixer's 48 kHz stereo, each frame's 800 frames of it mixed right after
// that frame's update, so what an update starts sounds from sample 800 * frame on.
struct SoundPlay {
    const char* keys = ""; // a key script: KEY@FIRST[-LAST] items
    int frames = 0;
    int pauseFirst = -1; // frames paused, when pauseLast >= pauseFirst
    int pauseLast = -1;
};

struct PlayedSound {
    bool started = false;         // false: no offscreen GL context
    std::vector<int16_t> pcm;     // interleaved stereo
    std::vector<int> multipliers; // the multiplier after each frame (paused: as before)
    bool mutedAtEnd = false;
    Recording recording() const;
};

inline constexpr int kPlayRate = 48000;
inline constexpr int kPlayFramesPerSecond = 60;
inline constexpr int kSamplesPerFrame = kPlayRate / kPlayFramesPerSecond;

// The play with the sounds of the listed files (entries of GameSound::kFiles) left silent:
// the same play without those sounds, sample for sample otherwise.
PlayedSound renderPlay(const SoundPlay& play, std::initializer_list<std::string_view> silent = {});

// The second at which frame's sound starts.
inline double secondOf(int frame)
{
    return static_cast<double>(frame) / kPlayFramesPerSecond;
}
