#include "game/game_sound.h"

#include "audio/mixer.h"
#include "audio/wav_reader.h"

#include <iterator>

namespace {

enum Clip { kAmbientClip, kMovementClip, kChimeClip, kSwitchClip, kPauseClip, kResumeClip };

} // namespace

static_assert(std::size(GameSound::kFiles) == kResumeClip + 1);

float GameSound::chimePitch(int multiplier)
{
    switch (multiplier) {
    case 3: return 1.5f;
    case 2: return 1.25f;
    default: return 1.0f;
    }
}

void GameSound::start(int multiplier)
{
    multiplier_ = multiplier;
    moving_ = false;
    paused_ = false;
    spaceWasDown_ = false;
    muteWasDown_ = false;
    if (mixer_ == nullptr)
        return;
    // A mixer keeps its clips for its life: a second start (a new scene on the same mixer)
    // loads nothing again.
    for (int slot = 0; slot < static_cast<int>(std::size(kFiles)); ++slot)
        if (!mixer_->hasClip(slot))
            mixer_->setClip(slot, loadSound(kFiles[slot]));
    mixer_->play(kAmbientVoice, {.clip = kAmbientClip,
                                 .volume = kAmbientVolume,
                                 .loop = true,
                                 .fadeInSeconds = kAmbientFadeInSeconds});
    mixer_->play(kMovementVoice, {.clip = kMovementClip, .volume = 0.0f, .loop = true});
    started_ = true;
}

void GameSound::update(const Step& step)
{
    const bool spacePressed = step.spaceDown && !spaceWasDown_;
    spaceWasDown_ = step.spaceDown;
    followMuteKey(step.muteDown);
    const bool zoneChanged = step.multiplier != multiplier_;
    multiplier_ = step.multiplier;
    if (!started_)
        return;

    if (step.moved != moving_) {
        moving_ = step.moved;
        mixer_->fade(kMovementVoice, moving_ ? kMovementVolume : 0.0f,
                     moving_ ? kMovementFadeInSeconds : kMovementFadeOutSeconds);
    }
    if (zoneChanged)
        mixer_->play(
            kChimeVoice,
            {.clip = kChimeClip, .volume = kChimeVolume, .pitch = chimePitch(step.multiplier)});
    // Once per press: the camera flips on every update while Space is held.
    if (spacePressed)
        mixer_->play(kSwitchVoice, {.clip = kSwitchClip, .volume = kClickVolume});
}

void GameSound::followMuteKey(bool down)
{
    const bool pressed = down && !muteWasDown_;
    muteWasDown_ = down;
    if (pressed && started_)
        mixer_->setMuted(!mixer_->muted());
}

void GameSound::setPaused(bool paused)
{
    if (paused == paused_)
        return;
    paused_ = paused;
    if (!started_)
        return;
    if (paused) {
        mixer_->fade(kAmbientVoice, 0.0f, kPauseFadeSeconds);
        mixer_->fade(kMovementVoice, 0.0f, kPauseFadeSeconds);
        mixer_->play(kTickVoice, {.clip = kPauseClip, .volume = kClickVolume});
    } else {
        // The movement layer comes back with the next update that moves.
        mixer_->fade(kAmbientVoice, kAmbientVolume, kPauseFadeSeconds);
        moving_ = false;
        mixer_->play(kTickVoice, {.clip = kResumeClip, .volume = kClickVolume});
    }
}
