#include "game/game_sound.h"

#include "audio/mixer.h"
#include "audio/wav_reader.h"

#include <iterator>

namespace {

enum Clip {
    kAmbientClip,
    kGustClip,
    kMovementClip,
    kChimeClip,
    kSwitchClip,
    kPauseClip,
    kResumeClip
};

// Long before the game began: a chime voice that has never rung is free.
constexpr double kNever = -1.0e9;
// The gusts' level while the bed fades in, and when the first new gust is drawn.
constexpr float kFirstGustLevel = 0.6f;

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

float GameSound::random()
{
    // xorshift32: the same numbers from a seed on every platform.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return static_cast<float>(random_ >> 8) / 16777216.0f;
}

void GameSound::start(int multiplier, unsigned seed)
{
    multiplier_ = multiplier;
    moving_ = false;
    paused_ = false;
    spaceWasDown_ = false;
    muteWasDown_ = false;
    clock_ = 0.0;
    chimeStarted_[0] = chimeStarted_[1] = kNever;
    // Spread the seed's bits so neighbouring seeds part at once; never 0, which xorshift keeps.
    random_ = (seed ^ 0x9E3779B9u) * 0x85EBCA6Bu;
    if (random_ == 0)
        random_ = 1;
    gustLevel_ = kFirstGustLevel;
    gustEnds_ = kAmbientFadeInSeconds;
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
    mixer_->play(kGustVoice, {.clip = kGustClip,
                              .volume = gustLevel_ * kGustVolume,
                              .loop = true,
                              .fadeInSeconds = kAmbientFadeInSeconds});
    mixer_->play(kMovementVoice, {.clip = kMovementClip, .volume = 0.0f, .loop = true});
    started_ = true;
}

void GameSound::nextGust()
{
    const float seconds =
        kGustShortestSeconds + (kGustLongestSeconds - kGustShortestSeconds) * random();
    gustLevel_ = kGustLowest + (1.0f - kGustLowest) * random();
    mixer_->fade(kGustVoice, gustLevel_ * kGustVolume, seconds);
    gustEnds_ = clock_ + seconds;
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
    clock_ += step.seconds;

    if (clock_ >= gustEnds_)
        nextGust();
    if (step.moved != moving_) {
        moving_ = step.moved;
        mixer_->fade(kMovementVoice, moving_ ? kMovementVolume : 0.0f,
                     moving_ ? kMovementFadeInSeconds : kMovementFadeOutSeconds);
    }
    if (zoneChanged) {
        // The voice whose chime started longer ago, once that chime has rung its time.
        const int older = chimeStarted_[0] <= chimeStarted_[1] ? 0 : 1;
        if (clock_ - chimeStarted_[older] >= kChimeRingSeconds) {
            chimeStarted_[older] = clock_;
            mixer_->play(
                older == 0 ? kChimeVoice : kSecondChimeVoice,
                {.clip = kChimeClip, .volume = kChimeVolume, .pitch = chimePitch(step.multiplier)});
        }
    }
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
        mixer_->fade(kGustVoice, 0.0f, kPauseFadeSeconds);
        mixer_->fade(kMovementVoice, 0.0f, kPauseFadeSeconds);
        mixer_->play(kTickVoice, {.clip = kPauseClip, .volume = kTickVolume});
    } else {
        // The movement layer comes back with the next update that moves; the next gust is
        // drawn once the bed is back.
        mixer_->fade(kAmbientVoice, kAmbientVolume, kPauseFadeSeconds);
        mixer_->fade(kGustVoice, gustLevel_ * kGustVolume, kPauseFadeSeconds);
        gustEnds_ = clock_ + kPauseFadeSeconds;
        moving_ = false;
        mixer_->play(kTickVoice, {.clip = kResumeClip, .volume = kTickVolume});
    }
}
