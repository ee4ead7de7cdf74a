// The game's sound rules: M's key-down, and the chime's voices under zone changes that come
// faster than a chime rings. The levels of the mix are held in sound_levels_test.cpp.
#include "audio/mixer.h"
#include "game/game_sound.h"
#include "tests/game/sound_play.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

bool frameSilent(const std::vector<int16_t>& sound, int frame)
{
    const auto begin = sound.begin() + 2 * frame * kSamplesPerFrame;
    return std::all_of(begin, begin + 2 * kSamplesPerFrame, [](int16_t s) { return s == 0; });
}

} // namespace

// M mutes on its key-down (after the 30 ms ramp the output is silent) and unmutes on the
// next; a paused game hears M too, and the key held into the resume does not toggle again.
TEST(GameSound, MTogglesMuteOnItsKeyDown)
{
    const PlayedSound run = renderPlay({"M@10-20 M@40", 60});
    ZORBEL_REQUIRE_GL(run.started);
    EXPECT_FALSE(frameSilent(run.pcm, 9));
    for (int frame = 12; frame < 40; ++frame)
        ASSERT_TRUE(frameSilent(run.pcm, frame)) << "frame " << frame;
    EXPECT_FALSE(frameSilent(run.pcm, 41));
    EXPECT_FALSE(run.mutedAtEnd);

    const PlayedSound paused = renderPlay({"M@20-45", 60, 10, 39});
    EXPECT_TRUE(paused.mutedAtEnd);
    for (int frame = 40; frame < 60; ++frame)
        ASSERT_TRUE(frameSilent(paused.pcm, frame)) << "frame " << frame;
}

// Crossing a zone border back and forth on every frame: the first two changes ring on the
// two chime voices, and no later change takes a voice from a chime younger than half a
// second. The chime here is a rising ramp, so the output of the chimes only ever rises until
// a voice is started again, and then falls.
TEST(GameSound, QuickZoneChangesNeverCutAChimeYoungerThanHalfASecond)
{
    Mixer mixer;
    mixer.prepare(kPlayRate);
    SoundClip ramp{kPlayRate, 1, {}};
    for (int i = 0; i < kPlayRate; ++i)
        ramp.samples.push_back(static_cast<int16_t>(i / 2));
    for (size_t slot = 0; slot < std::size(GameSound::kFiles); ++slot)
        mixer.setClip(static_cast<int>(slot),
                      std::string_view(GameSound::kFiles[slot]) == "data/sounds/chime.wav"
                          ? ramp
                          : SoundClip{});
    GameSound sound;
    sound.setMixer(&mixer);
    sound.start(3, 1);
    std::vector<int16_t> out;
    for (int frame = 0; frame < 40; ++frame) {
        sound.update({.multiplier = frame % 2 == 0 ? 2 : 3, .seconds = 1.0f / 60.0f});
        std::vector<int16_t> part(2 * kSamplesPerFrame);
        mixer.render(part.data(), kSamplesPerFrame);
        out.insert(out.end(), part.begin(), part.end());
    }
    const int halfSecond = kPlayRate / 2;
    for (int i = 1; i < halfSecond; ++i)
        ASSERT_GE(out[2 * static_cast<size_t>(i)], out[2 * static_cast<size_t>(i - 1)]) << i;
    // Both voices ring: one ramp alone would be under 7000 by then.
    const int16_t both = out[2 * static_cast<size_t>(halfSecond - 1)];
    EXPECT_GT(both, 12000);
    // Half a second on, the older voice starts a new chime: its ramp, about 6000, falls to 0.
    const auto after = out.begin() + 2 * (halfSecond + kSamplesPerFrame);
    EXPECT_LT(*std::min_element(out.begin() + 2 * halfSecond, after), both - 5000);
}
