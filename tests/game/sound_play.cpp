#include "tests/game/sound_play.h"

#include "game/game_sound.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

Recording PlayedSound::recording() const
{
    return Recording::fromPcm16(pcm.data(), pcm.size(), 2, kPlayRate);
}

PlayedSound renderPlay(const SoundPlay& play, std::initializer_list<std::string_view> silent)
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    std::string error;
    const std::optional<KeyScript> script = KeyScript::parse(play.keys, error);
    EXPECT_TRUE(script) << error;
    PlayedSound played;
    HeadlessGame game;
    // A slot the mixer already holds is not loaded again: an empty clip there is silence.
    for (std::string_view file : silent) {
        const auto* found =
            std::find(std::begin(GameSound::kFiles), std::end(GameSound::kFiles), file);
        EXPECT_NE(found, std::end(GameSound::kFiles)) << file;
        game.mixer().setClip(static_cast<int>(found - std::begin(GameSound::kFiles)), {});
    }
    played.started = game.start({.width = 64, .height = 36, .draw = false});
    if (!played.started || !script)
        return played;
    for (int frame = 0; frame < play.frames; ++frame) {
        game.holdKeys(script->keysAt(frame));
        if (frame >= play.pauseFirst && frame <= play.pauseLast)
            game.pausedStep();
        else
            game.step();
        played.multipliers.push_back(static_cast<int>(game.scene().multiplier()));
    }
    played.pcm = game.sound();
    played.mutedAtEnd = game.mixer().muted();
    return played;
}
