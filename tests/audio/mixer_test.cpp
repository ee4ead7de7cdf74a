#include "audio/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 48000;

SoundClip constantClip(std::vector<int16_t> frame, int frames, int rate = kRate)
{
    SoundClip clip;
    clip.sampleRate = rate;
    clip.channels = static_cast<int>(frame.size());
    for (int i = 0; i < frames; ++i)
        clip.samples.insert(clip.samples.end(), frame.begin(), frame.end());
    return clip;
}

SoundClip sineClip(double hertz, int frames, int rate, double amplitude = 10000.0)
{
    SoundClip clip;
    clip.sampleRate = rate;
    clip.channels = 1;
    for (int i = 0; i < frames; ++i)
        clip.samples.push_back(static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * std::numbers::pi * hertz * i / rate))));
    return clip;
}

std::vector<int16_t> render(Mixer& mixer, int frames)
{
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    mixer.render(out.data(), frames);
    return out;
}

// The left channel's frequency from its upward zero crossings, counted over whole periods.
double frequency(const std::vector<int16_t>& stereo, int rate)
{
    int first = -1;
    int last = -1;
    int crossings = 0;
    for (size_t i = 2; i < stereo.size(); i += 2) {
        if (stereo[i - 2] < 0 && stereo[i] >= 0) {
            const int frame = static_cast<int>(i / 2);
            if (first < 0)
                first = frame;
            else
                ++crossings;
            last = frame;
        }
    }
    return crossings == 0 ? 0.0 : crossings * static_cast<double>(rate) / (last - first);
}

// The largest change between two neighbouring frames of one channel: a click shows here.
int largestStep(const std::vector<int16_t>& stereo)
{
    int step = 0;
    for (size_t i = 2; i < stereo.size(); ++i)
        step = std::max(step, std::abs(stereo[i] - stereo[i - 2]));
    return step;
}

struct MixerTest : ::testing::Test {
    Mixer mixer;
    void SetUp() override { mixer.prepare(kRate); }
};

} // namespace

TEST_F(MixerTest, SumsVoicesWithTheirVolumesAndPlaysMonoOnBothSides)
{
    const SoundClip mono = sineClip(400.0, 100, kRate);
    ASSERT_TRUE(mixer.setClip(0, mono));
    ASSERT_TRUE(mixer.setClip(1, constantClip({2000, -600}, 100)));
    mixer.play(0, {.clip = 0});
    mixer.play(3, {.clip = 1, .volume = 0.5f});
    const std::vector<int16_t> out = render(mixer, 50);
    for (size_t i = 0; i < out.size(); i += 2) {
        EXPECT_EQ(out[i], mono.samples[i / 2] + 1000);
        EXPECT_EQ(out[i + 1], mono.samples[i / 2] - 300);
    }
    // A slot is set once; the first clip stays.
    EXPECT_FALSE(mixer.setClip(0, constantClip({5}, 1)));
    EXPECT_FALSE(mixer.setClip(Mixer::kClipCount, constantClip({5}, 1)));
    EXPECT_FALSE(mixer.hasClip(2));
}

TEST_F(MixerTest, OneShotEndsInSilenceAndCanBePlayedAgain)
{
    mixer.setClip(0, constantClip({1000}, 30));
    mixer.play(0, {.clip = 0});
    std::vector<int16_t> out = render(mixer, 40);
    EXPECT_EQ(out[2 * 29], 1000);
    EXPECT_EQ(out[2 * 30], 0);
    EXPECT_EQ(out[2 * 39], 0);
    // Requests to voices or slots that do not exist change nothing.
    mixer.play(-1, {.clip = 0});
    mixer.play(Mixer::kVoiceCount, {.clip = 0});
    mixer.play(1, {.clip = 5});
    EXPECT_EQ(render(mixer, 5), std::vector<int16_t>(10, 0));
    mixer.play(0, {.clip = 0});
    EXPECT_EQ(render(mixer, 1)[0], 1000);
}

TEST_F(MixerTest, RestartingASoundingVoiceFadesTheOldSoundOutInsteadOfCuttingIt)
{
    const SoundClip sine = sineClip(400.0, 4800, kRate);
    mixer.setClip(0, constantClip({10000}, 4800));
    mixer.setClip(1, sine);
    mixer.play(0, {.clip = 0});
    render(mixer, 100);
    mixer.play(0, {.clip = 1});
    const std::vector<int16_t> out = render(mixer, 480);
    EXPECT_NEAR(out[0], 10000, 60);
    EXPECT_LT(largestStep(out), 600);
    const int released = static_cast<int>(Mixer::kReleaseSeconds * kRate);
    for (int frame = released; frame < 480; ++frame)
        ASSERT_EQ(out[2 * static_cast<size_t>(frame)], sine.samples[static_cast<size_t>(frame)]);
}

TEST_F(MixerTest, LoopRunsOnThroughItsSeamAsTheSameWave)
{
    // 480 frames hold exactly four periods of 400 Hz.
    const SoundClip clip = sineClip(400.0, 480, kRate);
    mixer.setClip(0, clip);
    mixer.play(0, {.clip = 0, .loop = true});
    const std::vector<int16_t> out = render(mixer, 480 * 3 + 17);
    for (size_t frame = 0; frame < out.size() / 2; ++frame)
        ASSERT_EQ(out[2 * frame], clip.samples[frame % 480]) << "frame " << frame;
    EXPECT_LT(largestStep(out), 600); // 2 pi 400 / 48000 of 10000 is about 524
}

TEST_F(MixerTest, RenderingInPiecesGivesTheSameSound)
{
    Mixer whole;
    whole.prepare(kRate);
    for (Mixer* m : {&mixer, &whole}) {
        m->setClip(0, sineClip(440.0, 1000, 22050));
        m->play(0, {.clip = 0, .loop = true, .fadeInSeconds = 0.01f});
    }
    const std::vector<int16_t> expected = render(whole, 1510);
    std::vector<int16_t> pieces;
    for (int size : {1, 7, 255, 256, 257, 333, 401}) {
        const std::vector<int16_t> part = render(mixer, size);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(pieces, expected);
}

TEST_F(MixerTest, FadesRampInAStraightLineAndALoopFadedOutKeepsItsPlace)
{
    mixer.setClip(0, constantClip({10000}, 4800));
    mixer.play(0, {.clip = 0, .volume = 1.0f, .loop = true, .fadeInSeconds = 0.01f});
    std::vector<int16_t> out = render(mixer, 960);
    EXPECT_NEAR(out[2 * 0], 10000 / 480, 2);
    EXPECT_NEAR(out[2 * 239], 5000, 30);
    EXPECT_EQ(out[2 * 479], 10000);
    EXPECT_EQ(out[2 * 959], 10000);

    mixer.fade(0, 0.0f, 0.02f);
    out = render(mixer, 1920);
    EXPECT_NEAR(out[2 * 479], 5000, 30);
    EXPECT_EQ(out[2 * 959], 0);
    EXPECT_EQ(out[2 * 1919], 0);
    EXPECT_LE(largestStep(out), 22);

    // A changed mind mid-fade starts from where the volume is.
    mixer.fade(0, 1.0f, 0.01f);
    render(mixer, 240);
    mixer.fade(0, 0.0f, 0.01f);
    out = render(mixer, 480);
    EXPECT_NEAR(out[0], 5000, 40);
    EXPECT_EQ(out[2 * 479], 0);
}

TEST_F(MixerTest, PausedLoopComesBackWhereItStopped)
{
    // What pause does to a looping layer: faded to silence, it still moves on, so it comes
    // back in the same wave rather than restarting it.
    const SoundClip clip = sineClip(400.0, 480, kRate);
    mixer.setClip(0, clip);
    mixer.play(0, {.clip = 0, .loop = true});
    render(mixer, 100);
    mixer.fade(0, 0.0f, 0.0f);
    EXPECT_EQ(render(mixer, 1000), std::vector<int16_t>(2000, 0));
    mixer.fade(0, 1.0f, 0.0f);
    const std::vector<int16_t> out = render(mixer, 10);
    for (int frame = 0; frame < 10; ++frame)
        EXPECT_EQ(out[2 * static_cast<size_t>(frame)], clip.samples[(1100 + frame) % 480]);
}

TEST_F(MixerTest, MuteRampsTheWholeOutputToSilenceAndBack)
{
    const int ramp = static_cast<int>(Mixer::kMuteRampSeconds * kRate);
    mixer.setClip(0, constantClip({8000}, 48000));
    mixer.play(0, {.clip = 0, .loop = true});
    render(mixer, 100);
    mixer.setMuted(true);
    EXPECT_TRUE(mixer.muted());
    std::vector<int16_t> out = render(mixer, 2 * ramp);
    EXPECT_GT(out[0], 7990);
    EXPECT_NEAR(out[2 * (ramp / 2)], 4000, 10);
    EXPECT_EQ(out[2 * ramp], 0);
    EXPECT_LE(largestStep(out), 8000 / ramp + 1);
    mixer.setMuted(false);
    out = render(mixer, 2 * ramp);
    EXPECT_EQ(out[2 * ramp], 8000);
    EXPECT_LE(largestStep(out), 8000 / ramp + 1);

    // Muted before the device starts: silent from the first frame, though a loop plays.
    Mixer quiet;
    quiet.setMuted(true);
    quiet.prepare(kRate);
    quiet.setClip(0, constantClip({8000}, 100));
    quiet.play(0, {.clip = 0, .loop = true});
    EXPECT_EQ(render(quiet, 50), std::vector<int16_t>(100, 0));
}

TEST_F(MixerTest, OneShotStartedWhileMutedIsNotHeardAfterTheUnmute)
{
    // Asked for while muted, the one-shot stays silent for good; the loop asked for beside
    // it sounds once the mute is lifted, from where it has got to.
    mixer.setClip(0, constantClip({8000}, 48000));
    mixer.setClip(1, constantClip({1000}, 48000));
    mixer.setMuted(true);
    mixer.play(0, {.clip = 0});
    mixer.play(1, {.clip = 1, .loop = true});
    render(mixer, 100);
    mixer.setMuted(false);
    const std::vector<int16_t> out = render(mixer, 4800);
    EXPECT_EQ(out[2 * 4799], 1000);
    // The voice plays again at the next request made while not muted.
    mixer.play(0, {.clip = 0});
    EXPECT_EQ(render(mixer, 1)[0], 9000);
}

TEST_F(MixerTest, ResamplesToTheDeviceRateAndPitchScalesTheFrequency)
{
    const struct {
        int clipRate;
        int deviceRate;
        float pitch;
        double hertz;
    } cases[] = {
        {22050, 48000, 1.0f, 440.0}, {44100, 48000, 1.0f, 440.0}, {48000, 44100, 1.0f, 1000.0},
        {48000, 48000, 1.5f, 660.0}, {22050, 48000, 2.0f, 880.0},
    };
    for (const auto& c : cases) {
        Mixer m;
        m.prepare(c.deviceRate);
        m.setClip(0, sineClip(c.hertz / c.pitch, c.clipRate, c.clipRate)); // one second
        m.play(0, {.clip = 0, .pitch = c.pitch, .loop = true});
        const std::vector<int16_t> out = render(m, c.deviceRate / 2);
        EXPECT_NEAR(frequency(out, c.deviceRate), c.hertz, c.hertz * 0.002)
            << c.clipRate << " -> " << c.deviceRate << " at pitch " << c.pitch;
        EXPECT_LT(largestStep(out), 10000 * 2 * std::numbers::pi * c.hertz / c.deviceRate + 50);
    }
}

TEST_F(MixerTest, SaturatesJustPastFullScaleOnBothSides)
{
    // The sum saturates instead of wrapping round. Left sums to one step past full scale,
    // right to one step past its negative end; then to exactly both ends; then the second
    // voice's volume takes them past by a fraction of a step.
    mixer.setClip(0, constantClip({16384, -16384}, 1000));
    mixer.setClip(1, constantClip({16384, -16385}, 1000));
    mixer.setClip(2, constantClip({16383, -16384}, 1000));
    mixer.play(0, {.clip = 0});
    mixer.play(1, {.clip = 1});
    std::vector<int16_t> out = render(mixer, 10);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    mixer.play(1, {.clip = 2});
    out = render(mixer, 400);
    EXPECT_EQ(out[2 * 399], 32767);      // exactly full scale
    EXPECT_EQ(out[2 * 399 + 1], -32768); // exactly its negative end
    mixer.play(1, {.clip = 2, .volume = 1.00004f});
    out = render(mixer, 400);
    EXPECT_EQ(out[2 * 399], 32767);      // 32767.66 would round past full scale
    EXPECT_EQ(out[2 * 399 + 1], -32768); // and -32768.66 past its negative end
}

TEST_F(MixerTest, LoopPlayedAtAnotherRateRunsThroughItsSeamInPhase)
{
    // A 22050 Hz loop of exactly four periods of 200 Hz, starting at its crest, played at
    // 48 kHz and half as fast again: every output frame is the 300 Hz wave, through each
    // seam, within linear interpolation's error of about 4.
    const int frames = 441;
    SoundClip clip;
    clip.sampleRate = 22050;
    clip.channels = 1;
    for (int i = 0; i < frames; ++i)
        clip.samples.push_back(static_cast<int16_t>(
            std::lround(10000.0 * std::cos(2.0 * std::numbers::pi * 4.0 * i / frames))));
    mixer.setClip(0, clip);
    mixer.play(0, {.clip = 0, .pitch = 1.5f, .loop = true});
    const std::vector<int16_t> out = render(mixer, 4800); // seven seams
    for (int frame = 0; frame < 4800; ++frame) {
        const double expected = 10000.0 * std::cos(2.0 * std::numbers::pi * 300.0 * frame / kRate);
        ASSERT_NEAR(out[2 * static_cast<size_t>(frame)], expected, 8.0) << "frame " << frame;
    }
}

TEST_F(MixerTest, RestartsComingFasterThanTheReleaseFadeEveryEarlierSoundOut)
{
    // The second restart lands while the first sound is still fading: both fades run on to
    // silence beside the newest sound, none is cut off. The sines start at zero, so every
    // start is smooth and a cut would be the only step.
    mixer.setClip(0, constantClip({10000}, 4800));
    mixer.setClip(1, sineClip(400.0, 4800, kRate));
    mixer.setClip(2, sineClip(300.0, 4800, kRate));
    mixer.play(0, {.clip = 0});
    std::vector<int16_t> out = render(mixer, 100);
    const int released = static_cast<int>(Mixer::kReleaseSeconds * kRate);
    for (int clip : {1, 2}) {
        mixer.play(0, {.clip = clip});
        const std::vector<int16_t> part = render(mixer, released / 5);
        out.insert(out.end(), part.begin(), part.end());
    }
    const std::vector<int16_t> rest = render(mixer, 2 * released);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_LT(largestStep(out), 1200); // a release step of about 42 and two sine steps of 524
    // One release after the second restart only the newest sound is left.
    const SoundClip newest = sineClip(300.0, 4800, kRate);
    const int second = 100 + released / 5;
    for (int frame = second + released; frame < static_cast<int>(out.size() / 2); ++frame)
        ASSERT_EQ(out[2 * static_cast<size_t>(frame)],
                  newest.samples[static_cast<size_t>(frame - second)]);
}

TEST_F(MixerTest, FadeAskedBeforeThePlayIsHeardStartsFromThePlaysVolume)
{
    mixer.setClip(0, constantClip({10000}, 4800));
    mixer.play(0, {.clip = 0, .volume = 1.0f, .loop = true});
    mixer.fade(0, 0.0f, 0.01f);
    std::vector<int16_t> out = render(mixer, 960);
    EXPECT_NEAR(out[0], 10000, 30);
    EXPECT_NEAR(out[2 * 239], 5000, 30);
    EXPECT_EQ(out[2 * 479], 0);

    // From the end of the play's own fade-in: silence, rising to the fade's volume.
    mixer.play(0, {.clip = 0, .volume = 1.0f, .loop = true, .fadeInSeconds = 1.0f});
    mixer.fade(0, 0.5f, 0.01f);
    out = render(mixer, 960);
    EXPECT_LT(out[0], 30);
    EXPECT_NEAR(out[2 * 239], 2500, 30);
    EXPECT_EQ(out[2 * 959], 5000);
}

TEST_F(MixerTest, ClipWithoutOneWholeFramePlaysAsSilenceEvenLooped)
{
    // A lone sample of a stereo clip: no frame to play, so no length to loop round.
    SoundClip halfFrame;
    halfFrame.sampleRate = kRate;
    halfFrame.channels = 2;
    halfFrame.samples = {1000};
    EXPECT_TRUE(halfFrame.empty());
    mixer.setClip(0, halfFrame);
    mixer.play(0, {.clip = 0, .loop = true});
    EXPECT_EQ(render(mixer, 300), std::vector<int16_t>(600, 0));
}

TEST_F(MixerTest, RequestsThatAreNotNumbersOrEndlessStayInRange)
{
    // A pitch that is not a number plays at the clip's own rate, an infinite one at the
    // highest rate; a volume that is not a number is silence, an infinite one the loudest;
    // a fade that is not a number is at once, an endless one very slow.
    const SoundClip sine = sineClip(400.0, 4800, kRate);
    mixer.setClip(1, sine);
    mixer.play(1, {.clip = 1, .pitch = std::nanf(""), .loop = true});
    std::vector<int16_t> out = render(mixer, 480);
    for (int frame = 0; frame < 480; ++frame)
        ASSERT_EQ(out[2 * static_cast<size_t>(frame)], sine.samples[static_cast<size_t>(frame)]);
    mixer.play(1, {.clip = 1, .volume = std::nanf(""), .loop = true});
    render(mixer, 480);
    EXPECT_EQ(render(mixer, 100), std::vector<int16_t>(200, 0));
    mixer.play(1, {.clip = 1, .volume = INFINITY, .pitch = INFINITY, .loop = true});
    mixer.fade(1, 1.0f, INFINITY);
    out = render(mixer, 4800);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    mixer.fade(1, 0.0f, std::nanf(""));
    render(mixer, 480);
    EXPECT_EQ(render(mixer, 100), std::vector<int16_t>(200, 0));
}
