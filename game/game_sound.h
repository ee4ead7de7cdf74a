#pragma once

#include <cstdint>

class Mixer;

// What the player hears, following what the scene does: a bed of wind and a faint hum
// while the game runs, with gusts that come and go at random; a brighter rushing layer
// while the world scrolls or the free camera moves; a chime when the multiplier changes
// zone (higher for a higher multiplier); a click on Space's key-down; pause and resume
// ticks; M to mute. The rules and the picture never depend on it. Without a mixer every
// call does nothing.
//
// The mix is held to measured levels (see the README's sound section): the desktop mix
// about -23 LUFS over a play, each cue at least 3 LU over the bed beneath it, the moving
// layer at least 3 LU over standing still, true peaks under -6 dBTP (the browser plays it
// 5 dB louder).
class GameSound {
public:
    // The sounds' files under the data folder, in the order of their mixer slots.
    static constexpr const char* kFiles[] = {"data/sounds/ambient.wav",  "data/sounds/gusts.wav",
                                             "data/sounds/movement.wav", "data/sounds/chime.wav",
                                             "data/sounds/switch.wav",   "data/sounds/pause.wav",
                                             "data/sounds/resume.wav"};

    // The mixer's voices the sounds play on. Chimes alternate between two, so a quick
    // second zone change does not cut the first chime off.
    enum Voice {
        kAmbientVoice,
        kGustVoice,
        kMovementVoice,
        kChimeVoice,
        kSecondChimeVoice,
        kSwitchVoice,
        kTickVoice
    };

    // Volumes of the files, which peak at most at -3 dBFS.
    static constexpr float kAmbientVolume = 0.28f;
    static constexpr float kGustVolume = 0.28f; // the gusts' loudest; they wander below it
    static constexpr float kMovementVolume = 0.5f;
    static constexpr float kChimeVolume = 0.4f;
    static constexpr float kClickVolume = 0.5f;
    static constexpr float kTickVolume = 0.35f;
    // Fades: short enough to follow the keys, long enough not to click.
    static constexpr float kAmbientFadeInSeconds = 1.0f;
    static constexpr float kMovementFadeInSeconds = 0.15f;
    static constexpr float kMovementFadeOutSeconds = 0.3f;
    static constexpr float kPauseFadeSeconds = 0.25f;
    // The gusts: each glides to a new level between kGustLowest and 1 (of kGustVolume) over
    // a time between these two, both drawn from the seed.
    static constexpr float kGustLowest = 0.3f;
    static constexpr float kGustShortestSeconds = 1.5f;
    static constexpr float kGustLongestSeconds = 4.0f;
    // A chime rings at least this long before a later one takes its voice; a zone change
    // while both voices are younger (zones crossed back and forth within half a second)
    // rings no chime of its own.
    static constexpr float kChimeRingSeconds = 0.5f;

    // Not owned; it must outlive the sound's use of it. Set before start.
    void setMixer(Mixer* mixer) { mixer_ = mixer; }
    Mixer* mixer() const { return mixer_; }

    // At the scene's init: hands the mixer the sounds it does not hold yet (a missing or
    // damaged file is one line on standard error and stays silent) and fades the bed in.
    // multiplier: the multiplier the game starts with; seed: the gusts' random sequence
    // (the same seed, the same gusts).
    void start(int multiplier, unsigned seed);

    // What one update of the running game did.
    struct Step {
        bool moved = false;     // the world scrolled or the free camera moved
        int multiplier = 0;     // the multiplier after the update
        bool spaceDown = false; // Space held during the update
        bool muteDown = false;  // M held during the update
        float seconds = 0.0f;   // the update's frame time
    };
    void update(const Step& step);

    // Called on every pass of the frame loop; acts when the pause state changes.
    void setPaused(bool paused);
    // M's state where no update runs (while paused): its key-down mutes or unmutes too.
    void followMuteKey(bool down);

    // The pitch factor of the chime for a multiplier: a major triad over x1's note.
    static float chimePitch(int multiplier);

private:
    void nextGust();
    float random();

    Mixer* mixer_ = nullptr;
    bool started_ = false;
    bool paused_ = false;
    bool moving_ = false;
    int multiplier_ = 0;
    bool spaceWasDown_ = false;
    bool muteWasDown_ = false;
    // Game time, in seconds of updates.
    double clock_ = 0.0;
    double chimeStarted_[2] = {};
    double gustEnds_ = 0.0;
    float gustLevel_ = 0.0f; // where the gust now gliding is headed, of kGustVolume
    uint32_t random_ = 1;
};
