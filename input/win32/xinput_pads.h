#pragma once

// The pads through XInput, loaded at run time: xinput1_4.dll, else xinput9_1_0.dll (both ship
// with Windows 10 and 11). The game never links an XInput import library, whose DLL may be
// missing; without either DLL there is simply no pad.
#include "input/pad_reading.h"

#include <windows.h>
#include <xinput.h>

#include <array>
#include <cstdint>

using XInputGetStateFunction = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// The four XInput slots, read through one XInputGetState. A connected slot is read on every
// call; asking an empty slot is slow on real Windows, so a slot that answered "not connected"
// is asked again only after kEmptySlotRecheckMs.
class XInputPads {
public:
    static constexpr uint64_t kEmptySlotRecheckMs = 1000;
    using Clock = uint64_t (*)(); // milliseconds, any start

    // getState may be null (no XInput): then nothing is ever read.
    XInputPads(XInputGetStateFunction getState, Clock clock)
        : getState_(getState), clock_(clock) { }

    void read(PadSet& pads);

private:
    XInputGetStateFunction getState_;
    Clock clock_;
    std::array<bool, XUSER_MAX_COUNT> connected_{};
    std::array<uint64_t, XUSER_MAX_COUNT> nextTry_{};
    bool anyTried_ = false;
};

// XInput's reading of one pad as the game reads a pad (XInput's y already points up).
PadReading readingOf(const XINPUT_GAMEPAD& pad);

// XInputGetState of xinput1_4.dll, else of xinput9_1_0.dll; null when neither loads.
XInputGetStateFunction loadXInputGetState();

// Tests: readPlatformPads reads through `getState` from now on, with every slot asked afresh;
// null goes back to the loaded function.
void useXInputGetState(XInputGetStateFunction getState);
