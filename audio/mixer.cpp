#include "audio/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

// Render mixes this many frames at a time in a buffer on its stack.
constexpr int kChunkFrames = 256;
constexpr double kFixedOne = 4294967296.0; // 1.0 in 32.32 fixed point
// What a request may ask; beyond these it gets the nearest (and a pitch or a volume that
// is not a number, 1 and silence; a time that is not a number, at once).
constexpr float kMinPitch = 1.0f / 16.0f;
constexpr float kMaxPitch = 16.0f;
constexpr float kMaxVolume = 16.0f;
constexpr float kMaxFadeSeconds = 3600.0f;
// The most clip frames one output frame may step over (a tiny device rate against a clip's
// huge one), so steps and positions stay far inside 64 bits.
constexpr double kMaxStep = 1048576.0 * kFixedOne;

// The release's length in frames at a rate, up to what its buffer holds.
int releaseFramesAt(int sampleRate)
{
    const long frames = std::lround(Mixer::kReleaseSeconds * static_cast<float>(sampleRate));
    return static_cast<int>(std::min<long>(Mixer::kMaxReleaseFrames, frames));
}

int16_t saturate(float value)
{
    if (value >= 32767.0f)
        return 32767;
    if (value <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(std::lrint(value));
}

float volumeIn(float volume)
{
    return volume > 0.0f ? std::min(volume, kMaxVolume) : 0.0f;
}

float secondsIn(float seconds)
{
    return seconds > 0.0f ? std::min(seconds, kMaxFadeSeconds) : 0.0f;
}

float pitchIn(float pitch)
{
    return std::isnan(pitch) ? 1.0f : std::clamp(pitch, kMinPitch, kMaxPitch);
}

} // namespace

Mixer::Mixer()
    : releaseFrames_(releaseFramesAt(kPreferredSampleRate)),
      releaseMix_(static_cast<size_t>(kVoiceCount) * 2 * kMaxReleaseFrames, 0.0f)
{
    for (std::atomic<bool>& ready : clipReady_)
        ready.store(false, std::memory_order_relaxed);
    lock_.clear();
}

bool Mixer::setClip(int slot, SoundClip clip)
{
    if (slot < 0 || slot >= kClipCount || hasClip(slot))
        return false;
    clips_[static_cast<size_t>(slot)] = std::move(clip);
    // Render reads a slot only once it is marked ready, and never again writes it.
    clipReady_[static_cast<size_t>(slot)].store(true, std::memory_order_release);
    return true;
}

bool Mixer::hasClip(int slot) const
{
    return slot >= 0 && slot < kClipCount &&
           clipReady_[static_cast<size_t>(slot)].load(std::memory_order_acquire);
}

void Mixer::lock()
{
    // Render holds the lock only while it copies the control block.
    while (lock_.test_and_set(std::memory_order_acquire)) {
    }
}

void Mixer::unlock()
{
    lock_.clear(std::memory_order_release);
}

void Mixer::play(int voice, const Play& request)
{
    if (voice < 0 || voice >= kVoiceCount || !hasClip(request.clip))
        return;
    lock();
    VoiceControl& control = control_[static_cast<size_t>(voice)];
    control.play = request;
    control.play.volume = volumeIn(request.volume);
    control.play.pitch = pitchIn(request.pitch);
    control.play.fadeInSeconds = secondsIn(request.fadeInSeconds);
    control.silent = muted() && !request.loop;
    ++control.playSerial;
    control.volume = control.play.volume;
    control.fadeSeconds = control.play.fadeInSeconds;
    control.playFadeSerial = ++control.fadeSerial;
    pending_ = true;
    unlock();
}

void Mixer::fade(int voice, float volume, float seconds)
{
    if (voice < 0 || voice >= kVoiceCount)
        return;
    lock();
    VoiceControl& control = control_[static_cast<size_t>(voice)];
    control.volume = volumeIn(volume);
    control.fadeSeconds = secondsIn(seconds);
    ++control.fadeSerial;
    pending_ = true;
    unlock();
}

void Mixer::setMuted(bool muted)
{
    muted_.store(muted, std::memory_order_relaxed);
}

void Mixer::prepare(int sampleRate)
{
    if (sampleRate > 0)
        sampleRate_ = sampleRate;
    releaseFrames_ = releaseFramesAt(sampleRate_);
    // Started muted (--mute): no ramp down from full at the first render.
    masterGain_ = muted() ? 0.0f : 1.0f;
}

void Mixer::takeRequests()
{
    if (lock_.test_and_set(std::memory_order_acquire))
        return; // the game thread is writing: take its requests on the next call
    if (!pending_) {
        unlock();
        return;
    }
    const std::array<VoiceControl, kVoiceCount> control = control_;
    pending_ = false;
    unlock();

    for (size_t i = 0; i < voices_.size(); ++i) {
        VoiceState& state = voices_[i];
        const VoiceControl& asked = control[i];
        if (asked.playSerial != state.playSerial) {
            startVoice(i, asked);
            if (asked.fadeSerial != asked.playFadeSerial)
                startFade(state, asked.volume, asked.fadeSeconds);
        } else if (asked.fadeSerial != state.fadeSerial) {
            startFade(state, asked.volume, asked.fadeSeconds);
        }
        state.playSerial = control[i].playSerial;
        state.fadeSerial = control[i].fadeSerial;
    }
}

void Mixer::startVoice(size_t voice, const VoiceControl& control)
{
    VoiceState& state = voices_[voice];
    if (state.clip != nullptr && (state.gain != 0.0f || state.rampFrames > 0))
        release(voice);
    const SoundClip& clip = clips_[static_cast<size_t>(control.play.clip)];
    state.clip = clip.empty() || control.silent ? nullptr : &clip;
    state.loop = control.play.loop;
    state.position = 0;
    if (state.clip != nullptr) {
        const double step =
            static_cast<double>(clip.sampleRate) * control.play.pitch / sampleRate_ * kFixedOne;
        state.step = std::max<uint64_t>(1, static_cast<uint64_t>(std::min(step, kMaxStep)));
    }
    const Play& play = control.play;
    state.gain = play.fadeInSeconds > 0.0f ? 0.0f : play.volume;
    state.rampFrames = 0;
    startFade(state, play.volume, play.fadeInSeconds);
}

void Mixer::release(size_t voice)
{
    float* buffer = releaseMix_.data() + voice * 2 * kMaxReleaseFrames;
    int& at = releaseAt_[voice];
    int& left = releaseLeft_[voice];
    // What earlier releases still have to play moves to the front; the rest is cleared.
    if (at > 0)
        std::copy(buffer + 2 * at, buffer + 2 * (at + left), buffer);
    std::fill(buffer + 2 * left, buffer + 2 * kMaxReleaseFrames, 0.0f);
    at = 0;
    left = std::max(left, releaseFrames_);
    // A copy of the voice as it is, faded to silence over the buffer's length.
    VoiceState fading = voices_[voice];
    startRamp(fading, 0.0f, releaseFrames_);
    mixVoice(fading, buffer, releaseFrames_);
}

void Mixer::startFade(VoiceState& state, float volume, float seconds)
{
    // An hour's fade is 2e9 frames at 555 kHz; none is longer, so it fits an int.
    const double frames = std::min(static_cast<double>(seconds) * sampleRate_, 2.0e9);
    startRamp(state, volume, static_cast<int>(std::lround(frames)));
}

void Mixer::startRamp(VoiceState& state, float volume, int frames)
{
    state.target = volume;
    state.rampFrames = frames;
    if (frames <= 0) {
        state.gain = volume;
        state.rampFrames = 0;
        state.gainStep = 0.0f;
        return;
    }
    state.gainStep = (volume - state.gain) / static_cast<float>(frames);
}

void Mixer::mixVoice(VoiceState& state, float* mix, int frameCount)
{
    const SoundClip& clip = *state.clip;
    const uint64_t frames = static_cast<uint64_t>(clip.frameCount());
    const uint64_t end = frames << 32;
    // A silent voice that is not fading only moves on.
    if (state.gain == 0.0f && state.rampFrames == 0) {
        state.position += state.step * static_cast<uint64_t>(frameCount);
        if (state.position >= end) {
            if (state.loop)
                state.position %= end;
            else
                state.clip = nullptr;
        }
        return;
    }
    const int16_t* samples = clip.samples.data();
    const uint64_t channels = static_cast<uint64_t>(clip.channels);
    const uint64_t right = channels - 1; // a mono clip plays the same on both sides
    for (int i = 0; i < frameCount; ++i) {
        if (state.position >= end) {
            if (!state.loop) {
                state.clip = nullptr;
                return;
            }
            state.position %= end;
        }
        const uint64_t index = state.position >> 32;
        const float fraction =
            static_cast<float>(state.position & 0xFFFFFFFFu) * static_cast<float>(1.0 / kFixedOne);
        const int16_t* a = samples + index * channels;
        // The frame after the last is the first again in a loop, silence after a one-shot.
        float nextLeft = 0.0f;
        float nextRight = 0.0f;
        if (index + 1 < frames || state.loop) {
            const int16_t* b = index + 1 < frames ? a + channels : samples;
            nextLeft = b[0];
            nextRight = b[right];
        }
        const float left = a[0] + (nextLeft - a[0]) * fraction;
        const float rightValue = a[right] + (nextRight - a[right]) * fraction;
        if (state.rampFrames > 0) {
            state.gain += state.gainStep;
            if (--state.rampFrames == 0)
                state.gain = state.target;
        }
        mix[2 * i] += left * state.gain;
        mix[2 * i + 1] += rightValue * state.gain;
        state.position += state.step;
    }
}

void Mixer::mixReleases(float* mix, int frameCount)
{
    for (size_t voice = 0; voice < voices_.size(); ++voice) {
        const int frames = std::min(frameCount, releaseLeft_[voice]);
        const float* from = releaseMix_.data() + voice * 2 * kMaxReleaseFrames +
                            2 * static_cast<size_t>(releaseAt_[voice]);
        for (int i = 0; i < 2 * frames; ++i)
            mix[i] += from[i];
        releaseAt_[voice] += frames;
        releaseLeft_[voice] -= frames;
    }
}

void Mixer::render(int16_t* out, int frameCount)
{
    takeRequests();
    const float masterTarget = muted() ? 0.0f : 1.0f;
    const float masterStep = 1.0f / (kMuteRampSeconds * static_cast<float>(sampleRate_));
    float mix[2 * kChunkFrames];
    while (frameCount > 0) {
        const int frames = std::min(frameCount, kChunkFrames);
        std::fill(mix, mix + 2 * frames, 0.0f);
        for (VoiceState& state : voices_)
            if (state.clip != nullptr)
                mixVoice(state, mix, frames);
        mixReleases(mix, frames);
        for (int i = 0; i < frames; ++i) {
            if (masterGain_ < masterTarget)
                masterGain_ = std::min(masterTarget, masterGain_ + masterStep);
            else if (masterGain_ > masterTarget)
                masterGain_ = std::max(masterTarget, masterGain_ - masterStep);
            out[2 * i] = saturate(mix[2 * i] * masterGain_);
            out[2 * i + 1] = saturate(mix[2 * i + 1] * masterGain_);
        }
        out += 2 * frames;
        frameCount -= frames;
    }
}
