#pragma once

// The calls the Windows pads go through: XInputGetState, loaded at run time, and the clock
// that spaces the looks at empty slots. A test replaces them with pads and a clock of its
// own, as no pad can be attached under Wine.
#include <windows.h>
#include <xinput.h>

#include <cstdint>

using XInputGetStateFunction = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

struct XInputFunctions {
    XInputGetStateFunction getState; // null: no XInput, so no pad
    decltype(&GetTickCount64) milliseconds;
};

// A connected slot is read on every poll; asking an empty slot is slow on real Windows, so a
// slot that answered "not connected" is asked again only after this many milliseconds.
inline constexpr uint64_t kEmptySlotRecheckMs = 1000;

// XInputGetState of xinput1_4.dll, else of xinput9_1_0.dll (both ship with Windows 10 and
// 11); null when neither loads. The game never links an XInput import library, whose DLL may
// be missing; without either DLL there is simply no pad.
XInputGetStateFunction loadXInputGetState();

// Tests: readPlatformPads reads through `functions` from now on (not owned; it must outlive
// their use), with every slot asked afresh; null goes back to the system's.
void useXInputFunctions(const XInputFunctions* functions);
