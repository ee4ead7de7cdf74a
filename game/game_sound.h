#pragma once

class Mixer;

// What the player hears, following what the scene does: the ambient loop while the game
// runs, the movement layer while the world scrolls or the free camera moves, a chime when
// the multiplier changes zone (higher for a higher multiplier), a soft switch on Space's
// key-down, pause and resume ticks, and M to mute. The rules and the picture never depend
// on it. Without a mixer every call does nothing.
class GameSound {
public:
    // The sounds' files under the data folder, in the order of their mixer slots.
    static constexpr const char* kFiles[] = {"data/sounds/ambient.wav", "data/sounds/movement.wav",
                                             "data/sounds/chime.wav",   "data/sounds/switch.wav",
                                             "data/sounds/pause.wav",   "data/sounds/resume.wav"};

    // The mixer's voices the sounds play on.
    enum Voice { kAmbientVoice, kMovementVoice, kChimeVoice, kSwitchVoice, kTickVoice };

    // Volumes: the files peak at most at -3 dBFS, and these keep the sum of the peaks that
    // can sound together under full scale.
    static constexpr float kAmbientVolume = 1.0f;
    static constexpr float kMovementVolume = 0.8f;
    static constexpr float kChimeVolume = 0.5f;
    static constexpr float kClickVolume = 0.35f;
    // Fades: short enough to follow the keys, long enough not to click.
    static constexpr float kAmbientFadeInSeconds = 1.0f;
    static constexpr float kMovementFadeInSeconds = 0.15f;
    static constexpr float kMovementFadeOutSeconds = 0.3f;
    static constexpr float kPauseFadeSeconds = 0.25f;

    // Not owned; it must outlive the sound's use of it. Set before start.
    void setMixer(Mixer* mixer) { mixer_ = mixer; }
    Mixer* mixer() const { return mixer_; }

    // At the scene's init: hands the mixer the sounds it does not hold yet (a missing or
    // damaged file is one line on standard error and stays silent) and fades the ambient
    // loop in. multiplier: the multiplier the game starts with.
    void start(int multiplier);

    // What one update of the running game did.
    struct Step {
        bool moved = false;     // the world scrolled or the free camera moved
        int multiplier = 0;     // the multiplier after the update
        bool spaceDown = false; // Space held during the update
        bool muteDown = false;  // M held during the update
    };
    void update(const Step& step);

    // Called on every pass of the frame loop; acts when the pause state changes.
    void setPaused(bool paused);
    // M's state where no update runs (while paused): its key-down mutes or unmutes too.
    void followMuteKey(bool down);

    // The pitch factor of the chime for a multiplier: a major triad over x1's note.
    static float chimePitch(int multiplier);

private:
    Mixer* mixer_ = nullptr;
    bool started_ = false;
    bool paused_ = false;
    bool moving_ = false;
    int multiplier_ = 0;
    bool spaceWasDown_ = false;
    bool muteWasDown_ = false;
};
