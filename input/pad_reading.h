#pragma once

#include "input/key_source.h"

#include <array>
#include <cstddef>

// A stick counts as a direction only past this share of its range on an axis. Sticks at rest
// stay well inside a quarter on every platform's pads (XInput's own left-stick figure is
// 7849 of 32767, SDL's about 8000), so a pad lying on the table moves nothing.
inline constexpr float kStickDeadZone = 0.25f;

// One pad as a backend read it: the left stick with both axes in -1..1, x to the right and y
// upwards (a backend whose platform reports y downwards flips it), the d-pad, the South face
// button (A on one maker's pads, Cross on another's), the North one (Y, Triangle) and Start.
struct PadReading {
    float stickX = 0.0f;
    float stickY = 0.0f;
    bool dpadLeft = false;
    bool dpadRight = false;
    bool dpadUp = false;
    bool dpadDown = false;
    bool south = false;
    bool north = false;
    bool start = false;
};

// A signed 16-bit axis (SDL's and XInput's) in -1..1; -32768 reads as -1 like -32767.
float axisFromInt16(int value);

// The pads of one poll, merged: a key is held when any pad holds it. A stick past the dead
// zone or the d-pad holds the arrows, South holds Space, North holds H; no pad holds F1, F2
// or M.
class PadSet {
public:
    void add(const PadReading& pad);

    bool holds(Key key) const { return held_[static_cast<size_t>(key)]; }
    bool start() const { return start_; }
    // How many pads were added.
    int count() const { return count_; }

private:
    std::array<bool, kKeyCount> held_{};
    bool start_ = false;
    int count_ = 0;
};

// The platform backend: adds a reading of every connected pad to `pads`. With no pad, or
// without the platform's pad library, it adds nothing and says nothing.
void readPlatformPads(PadSet& pads);
