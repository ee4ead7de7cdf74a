#pragma once

#include "audio/audio_output.h"
#include "audio/sound_clip.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

// The game's mixer: a fixed set of voices, each playing one of the mixer's clips once or in
// a loop, with its own volume, linear fades and a playback-rate factor (pitch). It renders
// interleaved 16-bit stereo at the device's rate, resampling each clip by linear
// interpolation, and sums in floating point, saturating once at the end.
//
// Threads: the game thread calls setClip, play, fade and setMuted; the device's thread calls
// prepare and render. The game thread's requests go into a small control block under a
// spin lock held for a few stores; render only ever tries that lock (and takes the requests
// on its next call when the game thread holds it), so it never waits, allocates or touches a
// file. In a browser and in the headless driver both sides run on one thread.
//
// The mixer owns its clips for its whole life: it must outlive every output pulling from it.
class Mixer final : public AudioSource {
public:
    static constexpr int kVoiceCount = 8;
    static constexpr int kClipCount = 16;
    // Muting and unmuting ramp the whole output over this long, so neither clicks.
    static constexpr float kMuteRampSeconds = 0.03f;
    // A voice started again while it sounds lets its old sound fade out over this long
    // (beside the new one) instead of cutting it off with a click, however quickly the
    // restarts come.
    static constexpr float kReleaseSeconds = 0.005f;
    // The release is mixed ahead into a buffer of this many frames per voice: kReleaseSeconds
    // up to 204.8 kHz, shorter at higher rates.
    static constexpr int kMaxReleaseFrames = 1024;

    struct Play {
        int clip = 0;               // a slot given to setClip
        float volume = 1.0f;        // 0..1 (up to 16 is allowed; the sum saturates)
        float pitch = 1.0f;         // playback-rate factor, 1/16..16: 2 is an octave up
        bool loop = false;          // a looping voice plays until faded out or replaced
        float fadeInSeconds = 0.0f; // from silence to volume; 0 starts at volume
    };

    Mixer();

    // Game thread. Keeps clip in slot (0..kClipCount-1) for the mixer's life. A slot is set
    // once: false (and nothing changes) when it is taken or out of range. An empty clip is
    // taken and plays as silence.
    bool setClip(int slot, SoundClip clip);
    bool hasClip(int slot) const;

    // Game thread. Starts clip on voice (0..kVoiceCount-1) from its beginning, replacing
    // whatever the voice played (which fades out over kReleaseSeconds). Out-of-range voices
    // and slots without a clip are ignored. A one-shot asked for while muted stays silent
    // (it is not heard mid-way after an unmute); a loop plays on, unheard until then.
    void play(int voice, const Play& request);
    // Game thread. Moves the voice's volume in a straight line from where it is to volume
    // over seconds (0: at once; at most an hour). A looping voice faded to 0 keeps its
    // place, silent.
    void fade(int voice, float volume, float seconds);
    // Game thread. Mute silences the output (ramped); the voices keep playing underneath.
    void setMuted(bool muted);
    bool muted() const { return muted_.load(std::memory_order_relaxed); }

    // Device thread (AudioSource).
    void prepare(int sampleRate) override;
    void render(int16_t* out, int frameCount) override;
    int sampleRate() const { return sampleRate_; }

private:
    // What the game thread last asked of a voice. A changed serial is a new request. A play
    // counts as a fade (to its volume, over its fade-in); a fade asked after it, before
    // render took the play, moves on from there.
    struct VoiceControl {
        Play play;
        uint32_t playSerial = 0;
        float volume = 0.0f;
        float fadeSeconds = 0.0f;
        uint32_t fadeSerial = 0;
        uint32_t playFadeSerial = 0; // fadeSerial as the last play left it
        bool silent = false;         // a one-shot asked for while muted
    };

    // A voice as render plays it; touched by the device thread only.
    struct VoiceState {
        const SoundClip* clip = nullptr; // null: silent and idle
        bool loop = false;
        uint64_t position = 0; // in clip frames, 32.32 fixed point
        uint64_t step = 0;     // clip frames per output frame, 32.32 fixed point
        float gain = 0.0f;
        float gainStep = 0.0f;
        int rampFrames = 0;
        float target = 0.0f;
        uint32_t playSerial = 0;
        uint32_t fadeSerial = 0;
    };

    void lock();
    void unlock();
    void takeRequests();
    void startVoice(size_t voice, const VoiceControl& control);
    void release(size_t voice);
    void startFade(VoiceState& state, float volume, float seconds);
    void startRamp(VoiceState& state, float volume, int frames);
    void mixVoice(VoiceState& state, float* mix, int frameCount);
    void mixReleases(float* mix, int frameCount);

    std::array<SoundClip, kClipCount> clips_;
    std::array<std::atomic<bool>, kClipCount> clipReady_;

    std::atomic_flag lock_;
    std::array<VoiceControl, kVoiceCount> control_;
    bool pending_ = false; // control_ changed since render last took it; under the lock

    std::atomic<bool> muted_{false};
    int sampleRate_ = kPreferredSampleRate;
    float masterGain_ = 1.0f;
    std::array<VoiceState, kVoiceCount> voices_;

    // The fading ends of the sounds each voice was playing when it was started again, mixed
    // ahead into a stereo buffer per voice at the moment of the restart (each restart adds
    // its fade to what is still to come) and played out from there.
    int releaseFrames_;
    std::vector<float> releaseMix_; // kVoiceCount * 2 * kMaxReleaseFrames, allocated once
    std::array<int, kVoiceCount> releaseAt_{};   // the next frame to play
    std::array<int, kVoiceCount> releaseLeft_{}; // frames still to play
};
