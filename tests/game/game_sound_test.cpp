// The game's sound as the headless driver mixes it in step with the frames: each frame of
// 1/60 s holds 800 stereo samples at 48 kHz, so sound events land on exact frames.
#include "game/game_sound.h"
#include "tests/support/gl_test_context.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <utility>
#include <vector>

namespace {

constexpr int kFrameSamples = HeadlessGame::kSoundRate / 60;
constexpr double kChimeHertz = 659.25; // the chime file's note, x1

struct Play {
    bool started = false;
    std::vector<int16_t> sound;
    bool mutedAtEnd = false;
};

// A fresh game on the project's data playing frames 0..frames-1 with the script's keys,
// paused over [pauseFirst, pauseLast].
Play play(const char* keys, int frames, int pauseFirst = -1, int pauseLast = -1)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    std::string error;
    const std::optional<KeyScript> script = KeyScript::parse(keys, error);
    EXPECT_TRUE(script) << error;
    Play run;
    HeadlessGame game;
    run.started = game.start({.width = 160, .height = 90});
    for (int frame = 0; frame < frames && run.started && script; ++frame) {
        game.holdKeys(script->keysAt(frame));
        if (frame >= pauseFirst && frame <= pauseLast)
            game.pausedStep();
        else
            game.step();
    }
    run.sound = game.sound();
    run.mutedAtEnd = game.mixer().muted();
    return run;
}

// The left channel of one frame's share of the sound.
std::vector<double> frameLeft(const std::vector<int16_t>& sound, int frame)
{
    std::vector<double> left;
    for (int i = 0; i < kFrameSamples; ++i)
        left.push_back(sound[2 * static_cast<size_t>(frame * kFrameSamples + i)]);
    return left;
}

// The strength of one frequency in a frame, through a Hann window (Goertzel).
double strength(const std::vector<double>& samples, double hertz)
{
    const double w = 2.0 * std::numbers::pi * hertz / HeadlessGame::kSoundRate;
    double s1 = 0.0, s2 = 0.0;
    const size_t n = samples.size();
    for (size_t i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
        const double s = samples[i] * hann + 2.0 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - 2.0 * std::cos(w) * s1 * s2) / n;
}

// Where the chime rings and at which multiplier's pitch: frames whose strongest chime note
// is strong and was much weaker in the frame before.
std::vector<std::pair<int, int>> chimes(const std::vector<int16_t>& sound)
{
    std::vector<std::pair<int, int>> found;
    const int count = static_cast<int>(sound.size() / 2 / kFrameSamples);
    for (int frame = 1; frame < count; ++frame) {
        int loudest = 0;
        double best = 0.0;
        for (int multiplier = 1; multiplier <= 3; ++multiplier) {
            const double hertz = kChimeHertz * GameSound::chimePitch(multiplier);
            const double now = strength(frameLeft(sound, frame), hertz);
            if (now > best) {
                best = now;
                loudest = multiplier;
            }
        }
        const double hertz = kChimeHertz * GameSound::chimePitch(loudest);
        if (best > 800.0 && best > 4.0 * strength(frameLeft(sound, frame - 1), hertz))
            found.emplace_back(frame, loudest);
    }
    return found;
}

bool frameSilent(const std::vector<int16_t>& sound, int frame)
{
    const auto begin = sound.begin() + 2 * frame * kFrameSamples;
    return std::all_of(begin, begin + 2 * kFrameSamples, [](int16_t s) { return s == 0; });
}

double rmsDbfs(const std::vector<int16_t>& sound, int firstFrame, int lastFrame)
{
    double sum = 0.0;
    const size_t begin = 2 * static_cast<size_t>(firstFrame * kFrameSamples);
    const size_t end = 2 * static_cast<size_t>((lastFrame + 1) * kFrameSamples);
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(sound[i]) * sound[i];
    return 20.0 * std::log10(std::sqrt(sum / static_cast<double>(end - begin)) / 32767.0);
}

} // namespace

// The zone is read from where the player stands before the update's move, each move 1/6:
// Right from x 0 reaches x2 at x 1.0 (frame 6) and x1 at 4.17 (frame 25); Left from 5.0
// comes back to x2 at 4.0 (frame 36) and x3 at 0.83 (frame 55). Each change rings the chime
// once, pitched by the zone it enters.
TEST(GameSound, ChimeRingsOnEachZoneChangeAtTheZonesPitch)
{
    const Play run = play("RIGHT@0-29 LEFT@30-59", 70);
    ZORBEL_REQUIRE_GL(run.started);
    EXPECT_EQ(chimes(run.sound),
              (std::vector<std::pair<int, int>>{{6, 2}, {25, 1}, {36, 2}, {55, 3}}));
    EXPECT_GT(GameSound::chimePitch(3), GameSound::chimePitch(2));
    EXPECT_GT(GameSound::chimePitch(2), GameSound::chimePitch(1));
}

// Space flips the camera on every update it is held; the switch sounds on its key-down
// only. Without arrows nothing else differs, so the difference from a play without Space is
// exactly the switch sounds.
TEST(GameSound, SwitchSoundsOncePerPressOfSpace)
{
    const Play quiet = play("", 60);
    ZORBEL_REQUIRE_GL(quiet.started);
    const Play pressed = play("SPACE@10-30 SPACE@40", 60);
    ASSERT_EQ(quiet.sound.size(), pressed.sound.size());
    std::vector<int> differing;
    for (int frame = 0; frame < 60; ++frame) {
        const size_t begin = 2 * static_cast<size_t>(frame * kFrameSamples);
        if (!std::equal(quiet.sound.begin() + begin,
                        quiet.sound.begin() + begin + 2 * kFrameSamples,
                        pressed.sound.begin() + begin))
            differing.push_back(frame);
    }
    // The 90 ms sound covers six frames from each key-down.
    EXPECT_EQ(differing, (std::vector<int>{10, 11, 12, 13, 14, 15, 40, 41, 42, 43, 44, 45}));
}

// Pausing ticks, fades the ambient and movement layers out and leaves silence; resuming
// ticks and brings the ambient back, and the movement layer with the next move. The ambient
// loop is four seconds (240 frames): over a whole one it holds -20 dBFS RMS, and a faded loop
// keeps its place, so frames 240 apart hear the same wind. Up keeps the player in one zone,
// so no chime rings; nothing comes near clipping.
TEST(GameSound, PauseFadesToSilenceAndResumeBringsTheLayersBack)
{
    const Play run = play("UP@300-309 UP@370-449", 450, 310, 369);
    ZORBEL_REQUIRE_GL(run.started);
    EXPECT_NEAR(rmsDbfs(run.sound, 60, 299), -20.0, 0.5);
    // The pause fade lasts 15 frames; from then on until the resume not one sample sounds.
    EXPECT_FALSE(frameSilent(run.sound, 324));
    for (int frame = 325; frame < 370; ++frame)
        ASSERT_TRUE(frameSilent(run.sound, frame)) << "frame " << frame;
    EXPECT_FALSE(frameSilent(run.sound, 370));
    // Ambient and movement together, against the ambient alone a loop earlier.
    const double added = rmsDbfs(run.sound, 390, 449) - rmsDbfs(run.sound, 150, 209);
    EXPECT_GT(added, 0.5);
    EXPECT_LT(added, 3.0);
    int peak = 0;
    for (int16_t s : run.sound)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32000);
}

// M mutes on its key-down (after a 10 ms ramp the output is silent) and unmutes on the next.
TEST(GameSound, MTogglesMuteOnItsKeyDown)
{
    const Play run = play("M@10-20 M@40", 60);
    ZORBEL_REQUIRE_GL(run.started);
    EXPECT_FALSE(frameSilent(run.sound, 9));
    for (int frame = 11; frame < 40; ++frame)
        ASSERT_TRUE(frameSilent(run.sound, frame)) << "frame " << frame;
    EXPECT_FALSE(frameSilent(run.sound, 41));
    EXPECT_FALSE(run.mutedAtEnd);

    // A paused game hears M too; the key held into the resume does not toggle again.
    const Play paused = play("M@20-45", 60, 10, 39);
    EXPECT_TRUE(paused.mutedAtEnd);
    for (int frame = 40; frame < 60; ++frame)
        ASSERT_TRUE(frameSilent(paused.sound, frame)) << "frame " << frame;
}
