#pragma once

// The seam between the portable sound core and the platform's sound output. A backend
// (audio/sdl/, audio/win32/, audio/web/) defines AudioOutput; the mixer is an AudioSource.

#include <cstdint>
#include <memory>
#include <string>

// What the device plays: interleaved 16-bit stereo frames at the device's rate, pulled on
// the device's own thread (or, in a browser, from its audio callback). render must not
// allocate, touch files or wait for anything of unbounded length.
class AudioSource {
public:
    // Called once, before the first render, with the rate the device plays at.
    virtual void prepare(int sampleRate) = 0;
    // Writes frameCount stereo frames (2 * frameCount samples, left first) into out.
    virtual void render(int16_t* out, int frameCount) = 0;

protected:
    ~AudioSource() = default;
};

// The rate asked of a device; it may give another, which prepare then receives.
constexpr int kPreferredSampleRate = 48000;

// The frames of one buffer the device pulls, about 21 ms at the preferred rate: short enough
// for a sound to start within a frame or two, long enough that a busy machine does not starve
// the device. A power of two, as SDL and the browser's script node ask.
constexpr int kOutputBufferFrames = 1024;

// The platform's default sound output, one per program. All calls come from the game thread.
class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default device and starts pulling from source, which must outlive the
    // output (or its close). On failure returns false with the reason (for the line
    // "Sound is off: " + reason); the game then plays silent.
    bool open(AudioSource& source, std::string& reason);
    // Called once per frame: returns false, with the reason, once when a device that was
    // playing has gone (unplugged, taken away); output is closed by then.
    bool poll(std::string& reason);
    // Tells the output whether the player has muted the sound. Only a platform that shows
    // the sound's state beside the game (the browser's page) does anything with it.
    void showMuted(bool muted);
    // Stops pulling and releases the device; harmless when not open, and a second time.
    void close();
    bool isOpen() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
