// The sound's meters against readings known from their definitions.
#include "tools/loudness/loudness.h"
#include "tools/loudness/repeat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

// seconds of a sine on the listed channels of a stereo recording (silence on the others).
Recording sine(double hertz, double amplitude, double seconds, bool left, bool right,
               int rate = 48000, double phase = 0.0)
{
    Recording recording{rate, 2, {}};
    const auto frames = static_cast<size_t>(seconds * rate);
    for (size_t i = 0; i < frames; ++i) {
        const auto value = static_cast<float>(
            amplitude * std::sin(2.0 * std::numbers::pi * hertz * i / rate + phase));
        recording.samples.push_back(left ? value : 0.0f);
        recording.samples.push_back(right ? value : 0.0f);
    }
    return recording;
}

Recording joined(Recording first, const Recording& second)
{
    first.samples.insert(first.samples.end(), second.samples.begin(), second.samples.end());
    return first;
}

} // namespace

TEST(Loudness, KWeightingAt48kHzIsTheRecommendationsTable)
{
    const Biquad::Coefficients shelf = kWeightingShelf(48000);
    EXPECT_NEAR(shelf.b0, 1.53512485958697, 1e-9);
    EXPECT_NEAR(shelf.b1, -2.69169618940638, 1e-9);
    EXPECT_NEAR(shelf.b2, 1.19839281085285, 1e-9);
    EXPECT_NEAR(shelf.a1, -1.69065929318241, 1e-9);
    EXPECT_NEAR(shelf.a2, 0.73248077421585, 1e-9);
    const Biquad::Coefficients highPass = kWeightingHighPass(48000);
    EXPECT_EQ(highPass.b0, 1.0);
    EXPECT_EQ(highPass.b1, -2.0);
    EXPECT_EQ(highPass.b2, 1.0);
    EXPECT_NEAR(highPass.a1, -1.99004745483398, 1e-9);
    EXPECT_NEAR(highPass.a2, 0.99007225036621, 1e-9);
}

TEST(Loudness, FullScaleSineOf997HertzReadsItsReferenceLevels)
{
    // The recommendation's own check: on one channel -3.01 LUFS, on both 0, at any rate.
    EXPECT_NEAR(Loudness(sine(997.0, 1.0, 5.0, true, false)).integrated(), -3.01, 0.01);
    EXPECT_NEAR(Loudness(sine(997.0, 1.0, 5.0, true, true)).integrated(), 0.0, 0.01);
    EXPECT_NEAR(Loudness(sine(997.0, 1.0, 5.0, true, false, 44100)).integrated(), -3.01, 0.01);
    // A stretch reads the same, ungated; 20 dB down reads 20 LU less.
    const Loudness quieter(sine(997.0, 0.1, 5.0, true, false));
    EXPECT_NEAR(quieter.over(1.0, 0.4), -23.01, 0.02);
    // Windows of 3 s every 0.5 s over 5 s: from 0 to 2 s, the last one ending with the sound.
    const std::vector<double> windows = quieter.windows(3.0, 0.5);
    EXPECT_EQ(windows.size(), 5u);
    for (double reading : windows)
        EXPECT_NEAR(reading, -23.01, 0.02);
    // The K-weighting counts high sounds more and the deepest less.
    EXPECT_GT(Loudness(sine(4000.0, 0.1, 2.0, true, false)).integrated(), -23.01 + 3.0);
    EXPECT_LT(Loudness(sine(30.0, 0.1, 2.0, true, false)).integrated(), -23.01 - 1.5);
}

TEST(Loudness, GatesDropSilenceAndWhatIsFarUnderTheRest)
{
    const Recording loud = sine(997.0, 0.1, 5.0, true, true);   // -20.0 LUFS
    const Recording quiet = sine(997.0, 0.01, 5.0, true, true); // -40.0 LUFS
    const Recording near = sine(997.0, 0.05, 5.0, true, true);  // -26.0 LUFS
    const Recording silence = sine(997.0, 0.0, 5.0, true, true);
    // 46 of the 95 blocks are loud, 46 dropped and 3 cross over (3/4, 1/2 and 1/4 loud).
    const double crossing = 10.0 * std::log10(47.5 / 49.0);
    EXPECT_NEAR(Loudness(joined(loud, silence)).integrated(), -20.0 + crossing, 0.02);
    EXPECT_NEAR(Loudness(joined(loud, quiet)).integrated(), -20.0 + crossing, 0.02);
    // Within 10 LU the quieter half counts: the mean of the two powers, 1 and 1/4.
    EXPECT_NEAR(Loudness(joined(loud, near)).integrated(), -20.0 + 10.0 * std::log10(0.625), 0.02);
    EXPECT_TRUE(std::isinf(Loudness(silence).integrated()));
    EXPECT_TRUE(std::isinf(Loudness(sine(997.0, 0.5, 0.3, true, true)).integrated()));
}

TEST(Loudness, TruePeakFindsThePeaksBetweenSamples)
{
    // A quarter of the rate, 45 degrees off: every sample at 0.707 of the wave's crest.
    const Recording between = sine(12000.0, 0.5, 0.1, true, true, 48000, std::numbers::pi / 4);
    EXPECT_NEAR(truePeak(between), 20.0 * std::log10(0.5), 0.15);
    EXPECT_NEAR(truePeak(sine(997.0, 0.25, 0.1, false, true)), 20.0 * std::log10(0.25), 0.05);
    // A lone full-scale sample reads at least itself, even as the recording's last.
    Recording click{48000, 2, std::vector<float>(200, 0.0f)};
    click.samples[198] = -1.0f;
    EXPECT_GE(truePeak(click), 0.0);
    EXPECT_TRUE(std::isinf(truePeak(sine(997.0, 0.0, 0.1, true, true))));
}

TEST(Loudness, HighPassKeepsTheTrebleAndCutsTheBass)
{
    const double reference = Loudness(sine(2000.0, 0.1, 2.0, true, true)).integrated();
    EXPECT_NEAR(Loudness(sine(2000.0, 0.1, 2.0, true, true).highPassed(200.0)).integrated(),
                reference, 0.1);
    const double bass = Loudness(sine(50.0, 0.1, 2.0, true, true)).integrated();
    // Two octaves under the corner, 12 dB an octave.
    EXPECT_NEAR(Loudness(sine(50.0, 0.1, 2.0, true, true).highPassed(200.0)).integrated(),
                bass - 24.1, 0.5);
}

TEST(Loudness, StrongestRepeatFindsALoopAndNotFreshNoise)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
    Recording fresh{8000, 2, {}};
    for (int i = 0; i < 2 * 8000 * 12; ++i)
        fresh.samples.push_back(noise(random));
    // The first 1.5 s of it, again and again.
    Recording looped{8000, 2, {}};
    for (size_t i = 0; i < fresh.samples.size(); ++i)
        looped.samples.push_back(fresh.samples[i % (2 * 12000)]);
    const Repeat loop = strongestRepeat(looped, 0.5, 10.0, 2.0);
    EXPECT_GT(loop.correlation, 0.999);
    EXPECT_NEAR(std::fmod(loop.lagSeconds, 1.5), 0.0, 1e-6);
    EXPECT_LT(strongestRepeat(fresh, 0.5, 10.0, 2.0).correlation, 0.1);
    // Lags are held to the overlap asked for.
    EXPECT_LE(strongestRepeat(looped, 0.5, 11.0, 2.0).lagSeconds, 10.0);
}
