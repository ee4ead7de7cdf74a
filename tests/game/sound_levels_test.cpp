// The mix held to the levels a player hears, on scripted plays through the headless driver:
// loudness after ITU-R BS.1770-4, each cue against the same play without it, the movement
// layer against standing still, the bed against itself, mute against the play unmuted.
#include "audio/mixer.h"
#include "audio/wav_reader.h"
#include "game/game_sound.h"
#include "tests/game/sound_play.h"
#include "tests/support/gl_test_context.h"
#include "tools/loudness/loudness.h"
#include "tools/loudness/repeat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The key scripts, at 60 frames a second.

// No key for 36 s: the ambient alone, after its first second's fade-in.
constexpr SoundPlay kStill{"", 36 * 60};
// 30 s of play. Still for 3 s; Right for 3 s carries the player from the centre (x3) through
// x2 into x1, the two chimes 0.32 s apart (frames 186 and 205); still; Left for 3 s brings it
// back (x2 at frame 696, x3 at 715); still; Up for 5 s moves within the zone; still; Down
// for 3 s; still to the end.
constexpr SoundPlay kPlay{"RIGHT@180-359 LEFT@540-719 UP@900-1199 DOWN@1380-1559", 30 * 60};
constexpr double kUpFirst = 15.5; // moving steadily up until 20 s
constexpr double kUpSeconds = 4.0;
// 15 s, no arrows: Space pressed at 3 s, held from 6 s to 8 s, pressed at 10 s; paused
// from 11.5 s (frame 690) to 13.5 s, resumed at frame 811.
constexpr SoundPlay kCues{"SPACE@180 SPACE@360-480 SPACE@600", 15 * 60, 690, 810};
constexpr int kCueFrames[] = {180, 360, 600, 690, 811}; // three clicks, pause, resume
// 6 s: M at 2 s mutes; Right for a tenth of a second from 2.5 s reaches x2 at frame 156,
// whose chime starts muted; M at 3.5 s unmutes while that chime would still ring.
constexpr SoundPlay kMuted{"M@120 RIGHT@150-155 M@210", 6 * 60};
constexpr SoundPlay kUnmuted{"RIGHT@150-155", 6 * 60};

constexpr std::string_view kChime = "data/sounds/chime.wav";
constexpr std::string_view kSwitch = "data/sounds/switch.wav";
constexpr std::string_view kPause = "data/sounds/pause.wav";
constexpr std::string_view kResume = "data/sounds/resume.wav";

// The targets.
constexpr double kLevel = -23.0;         // LUFS, integrated over the play
constexpr double kLevelTolerance = 2.0;  // LU either way
constexpr double kBrowserGainDb = 5.0;   // the browser edition's output gain
constexpr double kTruePeakLimit = -1.0;  // dBTP, in the browser too
constexpr double kCueMargin = 3.0;       // LU over the same play without the cue
constexpr double kShortCueSeconds = 0.1; // clicks and ticks
constexpr double kChimeSeconds = 0.4;
constexpr double kMovementLift = 3.0; // LU, moving over standing still
constexpr double kMovementLiftHighPass = 2.0;
constexpr double kRepeatLimit = 0.98; // normalised correlation at any lag 0.5..30 s
constexpr double kGustRange = 4.0;    // LU between 3 s windows
constexpr double kChimeRingSeconds = 0.5;
constexpr int kRampFrames = kPlayRate / 50; // 20 ms

#define REQUIRE_PLAYED(played) ZORBEL_REQUIRE_GL((played).started)

// What a cue adds to the play over its first seconds, against the play without it there.
double cueMargin(const Loudness& cue, const Loudness& without, int frame, double seconds)
{
    return cue.over(secondOf(frame), seconds) - without.over(secondOf(frame), seconds);
}

void expectTruePeakLeavesTheBrowserRoom(const PlayedSound& played, const char* what)
{
    EXPECT_LE(truePeak(played.recording()), kTruePeakLimit - kBrowserGainDb) << what;
}

// The chime as the game plays it (its file, volume and pitch) started on a fresh mixer at
// each of the given frames of a zone change, alternating two voices, none cut off.
std::vector<int16_t> wholeChimes(const std::vector<std::pair<int, int>>& starts, int frames)
{
    Mixer mixer;
    mixer.prepare(kPlayRate);
    mixer.setClip(0,
                  loadSound((std::string(ZORBEL_SOURCE_DIR) + "/" + std::string(kChime)).c_str()));
    std::vector<int16_t> out(2 * static_cast<size_t>(frames) * kSamplesPerFrame);
    int at = 0;
    int voice = 0;
    for (const auto& [frame, multiplier] : starts) {
        mixer.render(out.data() + 2 * static_cast<size_t>(at) * kSamplesPerFrame,
                     (frame - at) * kSamplesPerFrame);
        mixer.play(voice, {.clip = 0,
                           .volume = GameSound::kChimeVolume,
                           .pitch = GameSound::chimePitch(multiplier)});
        voice = 1 - voice;
        at = frame;
    }
    mixer.render(out.data() + 2 * static_cast<size_t>(at) * kSamplesPerFrame,
                 (frames - at) * kSamplesPerFrame);
    return out;
}

std::vector<std::pair<int, int>> zoneChanges(const PlayedSound& played)
{
    std::vector<std::pair<int, int>> changes;
    for (size_t frame = 1; frame < played.multipliers.size(); ++frame)
        if (played.multipliers[frame] != played.multipliers[frame - 1])
            changes.emplace_back(static_cast<int>(frame), played.multipliers[frame]);
    return changes;
}

} // namespace

// The whole play at the level of PC and console games, and the movement layer heard over
// the bed, on laptop speakers too (little below 200 Hz reaches a listener there).
TEST(SoundLevels, PlayHoldsItsLevelAndTheMovementLayerIsHeard)
{
    const PlayedSound play = renderPlay(kPlay);
    REQUIRE_PLAYED(play);
    const double level = Loudness(play.recording()).integrated();
    EXPECT_NEAR(level, kLevel, kLevelTolerance);
    expectTruePeakLeavesTheBrowserRoom(play, "the play");

    // The same moves without the chimes, against standing still over the same stretch.
    const PlayedSound moving = renderPlay(kPlay, {kChime});
    const PlayedSound still = renderPlay({"", kPlay.frames});
    const Recording movingSound = moving.recording().slice(kUpFirst, kUpSeconds);
    const Recording stillSound = still.recording().slice(kUpFirst, kUpSeconds);
    EXPECT_GE(Loudness(movingSound).integrated() - Loudness(stillSound).integrated(),
              kMovementLift);
    EXPECT_GE(Loudness(movingSound.highPassed(200.0)).integrated() -
                  Loudness(stillSound.highPassed(200.0)).integrated(),
              kMovementLiftHighPass);
}

// Each zone change rings the chime at its zone's pitch, standing out of the mix over its
// first 400 ms; every chime plays whole, so the quick crossing of two zones (Right through
// x2, 0.32 s) lets the first ring on beside the second.
TEST(SoundLevels, EveryChimeStandsOutAndRingsWhole)
{
    const PlayedSound play = renderPlay(kPlay);
    REQUIRE_PLAYED(play);
    const PlayedSound without = renderPlay(kPlay, {kChime});
    const Recording chimes = play.recording().minus(without.recording());
    const Loudness cue(chimes);
    const Loudness bed(without.recording());
    const std::vector<std::pair<int, int>> changes = zoneChanges(play);
    ASSERT_EQ(changes.size(), 4u);
    ASSERT_LT(secondOf(changes[1].first - changes[0].first), kChimeRingSeconds);
    for (const auto& [frame, multiplier] : changes)
        EXPECT_GE(cueMargin(cue, bed, frame, kChimeSeconds), kCueMargin)
            << "the x" << multiplier << " chime at frame " << frame;

    // What the chimes add is, to rounding, each chime whole from its zone change on.
    const std::vector<int16_t> whole = wholeChimes(changes, kPlay.frames);
    ASSERT_EQ(whole.size(), chimes.samples.size());
    for (size_t i = 0; i < whole.size(); ++i)
        ASSERT_NEAR(chimes.samples[i] * 32768.0, whole[i], 2.0) << "at " << i / 2.0 / kPlayRate;
    EXPECT_GT(GameSound::chimePitch(3), GameSound::chimePitch(2));
    EXPECT_GT(GameSound::chimePitch(2), GameSound::chimePitch(1));
}

// The ambient never repeats itself exactly, and its gusts come and go without swelling.
TEST(SoundLevels, StillBedNeverRepeatsAndItsGustsStayEven)
{
    const PlayedSound still = renderPlay(kStill);
    REQUIRE_PLAYED(still);
    // From 2 s, past the fade-in: 34 s, so every lag up to 30 s overlaps by 4 s or more.
    const Recording sound = still.recording().slice(2.0, 34.0);
    const Repeat repeat = strongestRepeat(sound, 0.5, 30.0, 4.0);
    EXPECT_LT(repeat.correlation, kRepeatLimit) << "at a lag of " << repeat.lagSeconds << " s";
    const std::vector<double> windows = Loudness(sound).windows(3.0, 0.1);
    const auto [quietest, loudest] = std::minmax_element(windows.begin(), windows.end());
    EXPECT_LE(*loudest - *quietest, kGustRange);
    expectTruePeakLeavesTheBrowserRoom(still, "the still bed");
}

// The Space click and the pause and resume ticks stand out of the mix over their first
// 100 ms; the click sounds once per press, however long Space is held; a pause falls
// silent once its fade is over, also when it comes while the world moves.
TEST(SoundLevels, ShortCuesStandOutAndTheClickSoundsOncePerPress)
{
    const PlayedSound cues = renderPlay(kCues);
    REQUIRE_PLAYED(cues);
    const auto zero = [](int16_t s) { return s == 0; };
    const auto faded = static_cast<size_t>(kCues.pauseFirst + 15) * kSamplesPerFrame;
    const auto resumed = static_cast<size_t>(kCues.pauseLast + 1) * kSamplesPerFrame;
    EXPECT_TRUE(std::all_of(cues.pcm.begin() + 2 * faded, cues.pcm.begin() + 2 * resumed, zero));
    const PlayedSound movingPause = renderPlay({"UP@0-119", 120, 60, 119});
    const auto fadedMoving = static_cast<size_t>(60 + 15) * kSamplesPerFrame;
    EXPECT_TRUE(
        std::all_of(movingPause.pcm.begin() + 2 * fadedMoving, movingPause.pcm.end(), zero));
    const PlayedSound without = renderPlay(kCues, {kSwitch, kPause, kResume});
    const Recording added = cues.recording().minus(without.recording());
    const Loudness cue(added);
    const Loudness bed(without.recording());
    for (int frame : kCueFrames)
        EXPECT_GE(cueMargin(cue, bed, frame, kShortCueSeconds), kCueMargin)
            << "the cue at frame " << frame;
    // Between the cues nothing differs: Space held from frame 360 to 480 clicked once.
    for (size_t i = 0; i + 1 < std::size(kCueFrames); ++i) {
        const auto quietFrom = static_cast<size_t>(kCueFrames[i] + 15) * kSamplesPerFrame;
        const auto quietTo = static_cast<size_t>(kCueFrames[i + 1]) * kSamplesPerFrame;
        for (size_t sample = 2 * quietFrom; sample < 2 * quietTo; ++sample)
            ASSERT_EQ(added.samples[sample], 0.0f) << "at " << sample / 2 / kSamplesPerFrame;
    }
    expectTruePeakLeavesTheBrowserRoom(cues, "the cues");
}

// M ramps the sound down and up over at least 20 ms each way, and a chime that started
// while muted is not heard after the unmute: from then on the play sounds exactly as the
// same play without the chime.
TEST(SoundLevels, MuteRampsBothWaysAndForgetsWhatStartedWhileMuted)
{
    const PlayedSound muted = renderPlay(kMuted);
    REQUIRE_PLAYED(muted);
    const PlayedSound reference = renderPlay(kUnmuted, {kChime});
    ASSERT_EQ(muted.pcm.size(), reference.pcm.size());
    const size_t frames = muted.pcm.size() / 2;
    auto differs = [&](size_t frame) {
        return muted.pcm[2 * frame] != reference.pcm[2 * frame] ||
               muted.pcm[2 * frame + 1] != reference.pcm[2 * frame + 1];
    };
    auto silent = [&](size_t frame) {
        return muted.pcm[2 * frame] == 0 && muted.pcm[2 * frame + 1] == 0;
    };
    // The silence round the middle of the muted stretch, and the ramps on either side.
    const size_t middle = 165u * kSamplesPerFrame;
    ASSERT_TRUE(silent(middle));
    size_t down = middle;
    while (down > 0 && silent(down - 1))
        --down;
    size_t rampUp = middle;
    while (rampUp < frames && silent(rampUp))
        ++rampUp;
    size_t rampDown = 0;
    while (rampDown < frames && !differs(rampDown))
        ++rampDown;
    // Each ramp starts with its M: nothing changes before that M's frame, and the first
    // sample that changes comes within a millisecond of the frame's start (a ramp's first
    // steps are smaller than a rounding step while the sound passes near zero).
    const size_t millisecond = kPlayRate / 1000;
    EXPECT_GE(rampDown, 120u * kSamplesPerFrame);
    EXPECT_LT(rampDown, 120u * kSamplesPerFrame + millisecond);
    EXPECT_GE(down - rampDown, static_cast<size_t>(kRampFrames));
    EXPECT_GE(rampUp, 210u * kSamplesPerFrame);
    EXPECT_LT(rampUp, 210u * kSamplesPerFrame + millisecond);
    size_t up = frames;
    while (up > rampUp && !differs(up - 1))
        --up;
    EXPECT_GE(up - rampUp, static_cast<size_t>(kRampFrames));
    // The chime would ring on for a second after the unmute; nothing of it is heard.
    EXPECT_LT(up - rampUp, static_cast<size_t>(kPlayRate / 10));
}
