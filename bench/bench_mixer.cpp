// The mixer's cost per 10 ms of sound at 48 kHz stereo (480 frames, what a device asks for
// every 10 ms), with every voice playing the game's own sounds: loops at several pitches
// (so every voice resamples), half of them in a fade at any moment. Prints the time per
// 10 ms block (median and 99th percentile over many blocks) and what share of one core
// that is; the target is under 1%.
#include "audio/mixer.h"
#include "audio/wav_reader.h"
#include "game/game_sound.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kBlockFrames = kRate / 100;
constexpr int kBlocks = 20000; // 200 s of sound

struct Figures {
    double medianMicroseconds;
    double p99Microseconds;
};

// Renders kBlocks blocks; before each, fades flip on half the voices so ramps run throughout.
Figures measure(Mixer& mixer, bool fading)
{
    std::vector<int16_t> out(2 * kBlockFrames);
    std::vector<double> times;
    times.reserve(kBlocks);
    for (int block = 0; block < kBlocks; ++block) {
        if (fading && block % 4 == 0)
            for (int voice = 0; voice < Mixer::kVoiceCount; voice += 2)
                mixer.fade(voice, (block / 4) % 2 == 0 ? 0.3f : 0.6f, 0.02f);
        const auto start = std::chrono::steady_clock::now();
        mixer.render(out.data(), kBlockFrames);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 99 / 100]};
}

void report(const char* what, const Figures& f)
{
    std::printf("%-44s median %7.2f us  p99 %7.2f us  = %.3f%% of a core\n", what,
                f.medianMicroseconds, f.p99Microseconds, f.medianMicroseconds / 10000.0 * 100.0);
}

} // namespace

int main()
{
    Mixer mixer;
    mixer.prepare(kRate);
    int slots = 0;
    for (const char* file : GameSound::kFiles) {
        SoundClip clip = loadSound((std::string(ZORBEL_SOURCE_DIR) + "/" + file).c_str());
        if (clip.empty())
            return 1;
        mixer.setClip(slots++, std::move(clip));
    }
    const float pitches[] = {1.0f, 1.25f, 1.5f, 0.9f};
    for (int voice = 0; voice < Mixer::kVoiceCount; ++voice)
        mixer.play(voice, {.clip = voice % slots,
                           .volume = 0.1f,
                           .pitch = pitches[voice % std::size(pitches)],
                           .loop = true});

    std::printf("mixer: %d voices, blocks of %d frames (10 ms at %d Hz, stereo 16-bit)\n",
                Mixer::kVoiceCount, kBlockFrames, kRate);
    report("every voice playing, half of them fading", measure(mixer, true));
    report("every voice playing at a steady volume", measure(mixer, false));
    for (int voice = 0; voice < Mixer::kVoiceCount; ++voice)
        mixer.fade(voice, 0.0f, 0.0f);
    report("every voice faded to silence (moving on)", measure(mixer, false));
    return 0;
}
