#pragma once

#include "input/key_source.h"

// One direction pair.
struct Direction {
    float x = 0.0f;
    float y = 0.0f;
};

// The keyboard read as a game pad: three identical direction pairs with components -1, 0
// or +1 (x to the right, y upwards), three buttons, the mute key and the display key, each
// read as held or not. No history: a held key reads as held on every update, and no press is
// counted. The game pads add to the keyboard: a key is down when the keyboard or a pad holds
// it.
class InputDevice {
public:
    // Reads from the platform keyboard unless a test gives another source.
    void setKeySource(const KeySource* source) { source_ = source; }
    // Reads the pads as their last poll saw them (gamePads) unless a test gives another source.
    void setPadSource(const KeySource* source) { pads_ = source; }

    // Polls the keys and overwrites every field. Left wins over Right, Up over Down,
    // whichever of keyboard and pads holds them. Mute is the keyboard's alone.
    void update();

    Direction primaryStick() const { return primary_; }
    Direction secondaryStick() const { return secondary_; }
    Direction directionPad() const { return pad_; }
    bool spaceHeld() const { return space_; }
    bool f1Held() const { return f1_; }
    bool f2Held() const { return f2_; }
    // M, which mutes and unmutes the sound (the scene acts on its key-down; the device keeps
    // no history).
    bool muteHeld() const { return mute_; }
    // H or a pad's North button, which shows and hides the score display (the scene acts on
    // its key-down).
    bool displayHeld() const { return display_; }

private:
    const KeySource* source_ = nullptr;
    const KeySource* pads_ = nullptr;
    Direction primary_;
    Direction secondary_;
    Direction pad_;
    bool space_ = false;
    bool f1_ = false;
    bool f2_ = false;
    bool mute_ = false;
    bool display_ = false;
};

// The process-wide device, polled once per scene update.
extern InputDevice inputDevice;
