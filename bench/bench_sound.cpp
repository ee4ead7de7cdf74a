// Sound's cost to the game on this platform's output: what it adds to start-up (loading the
// six sounds into the mixer, opening the device) and to peak memory, and the latency from a
// game event to its first sample in the device buffer. The game's own GameSound loads and
// starts the sounds, on the real backend. Needs a sound device: scripts/bench-sound.sh gives
// one (SDL's disk driver on Linux, ALSA's file plugin under Wine).
#include "audio/audio_output.h"
#include "audio/mixer.h"
#include "audio/wav_reader.h"
#include "bench/peak_memory.h"
#include "game/game_sound.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Passes the mixer through, timing each pull: the first one, and the first that holds a
// sample that is not silence once armed (the mixer for the latency holds nothing else).
class TimedSource final : public AudioSource {
public:
    explicit TimedSource(Mixer& mixer) : mixer_(mixer) { }

    void prepare(int sampleRate) override { mixer_.prepare(sampleRate); }
    void render(int16_t* out, int frameCount) override
    {
        const Clock::time_point now = Clock::now();
        mixer_.render(out, frameCount);
        if (!pulled_.load()) {
            firstPull_ = now;
            pulled_.store(true);
        }
        if (armed_.load() &&
            std::any_of(out, out + 2 * frameCount, [](int16_t s) { return s != 0; })) {
            heard_ = now;
            armed_.store(false);
        }
    }

    bool pulled() const { return pulled_.load(); }
    Clock::time_point firstPull() const { return firstPull_; }
    void arm() { armed_.store(true); }
    bool armed() const { return armed_.load(); }
    Clock::time_point heard() const { return heard_; }

private:
    Mixer& mixer_;
    std::atomic<bool> pulled_{false};
    std::atomic<bool> armed_{false};
    Clock::time_point firstPull_{};
    Clock::time_point heard_{};
};

bool waitFor(auto condition)
{
    for (int i = 0; i < 2000 && !condition(); ++i)
        std::this_thread::sleep_for(1ms);
    return condition();
}

} // namespace

int main()
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    const double baseMiB = peakResidentMiB();

    // Start-up: what the game does for sound between its scene's init and the first frame,
    // five times over with a fresh mixer each time (the first with the files not yet cached).
    AudioOutput output;
    std::string reason;
    std::vector<double> loads;
    std::vector<double> opens;
    for (int round = 0; round < 5; ++round) {
        Mixer mixer;
        TimedSource timed(mixer);
        GameSound sound;
        sound.setMixer(&mixer);
        const Clock::time_point start = Clock::now();
        sound.start(3, 1);
        const Clock::time_point loaded = Clock::now();
        if (!output.open(timed, reason)) {
            std::printf("Sound is off: %s (no figures without a device)\n", reason.c_str());
            return 1;
        }
        const Clock::time_point opened = Clock::now();
        waitFor([&] { return timed.pulled(); });
        loads.push_back(msBetween(start, loaded));
        opens.push_back(msBetween(loaded, opened));
        if (round == 0) {
            // A second of play, with a chime and a switch, for the peak.
            sound.update({.moved = true, .multiplier = 2, .spaceDown = true});
            std::this_thread::sleep_for(1s);
        }
        output.close();
    }
    std::printf("peak memory: %.1f MiB before sound, %.1f MiB after sound played (+%.2f MiB)\n",
                baseMiB, peakResidentMiB(), peakResidentMiB() - baseMiB);
    std::printf(
        "sound start-up, first (cold) %.2f ms: load the sounds %.2f ms, open the device %.2f ms\n",
        loads[0] + opens[0], loads[0], opens[0]);
    std::vector<double> totals;
    for (size_t i = 0; i < loads.size(); ++i)
        totals.push_back(loads[i] + opens[i]);
    std::sort(loads.begin(), loads.end());
    std::sort(opens.begin(), opens.end());
    std::sort(totals.begin(), totals.end());
    std::printf("sound start-up, median of %zu: %.2f ms (load the sounds %.2f ms, open the device "
                "%.2f ms), worst %.2f ms\n",
                totals.size(), totals[totals.size() / 2], loads[loads.size() / 2],
                opens[opens.size() / 2], totals.back());

    // Latency: a mixer with the switch alone, so its first sample is the first that is not
    // silence. Events come at uneven times against the device's pulls.
    Mixer quiet;
    quiet.setClip(0, loadSound("data/sounds/switch.wav"));
    TimedSource probe(quiet);
    if (!output.open(probe, reason)) {
        std::printf("Sound is off: %s\n", reason.c_str());
        return 1;
    }
    waitFor([&] { return probe.pulled(); });
    std::vector<double> latencies;
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + 7 * i));
        probe.arm();
        const Clock::time_point event = Clock::now();
        quiet.play(0, {.clip = 0});
        if (waitFor([&] { return !probe.armed(); }))
            latencies.push_back(msBetween(event, probe.heard()));
    }
    output.close();
    if (latencies.empty()) {
        std::printf("latency: no event reached the device\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("latency from an event to its first sample in the device buffer, %zu events: "
                "median %.2f ms, worst %.2f ms\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back());
    return 0;
}
