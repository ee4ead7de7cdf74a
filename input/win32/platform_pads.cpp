#include "input/win32/xinput_pads.h"

void XInputPads::read(PadSet& pads)
{
    if (getState_ == nullptr)
        return;
    const uint64_t now = clock_();
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
        if (!connected_[slot] && anyTried_ && now < nextTry_[slot])
            continue;
        XINPUT_STATE state{};
        connected_[slot] = getState_(slot, &state) == ERROR_SUCCESS;
        if (connected_[slot])
            pads.add(readingOf(state.Gamepad));
        else
            nextTry_[slot] = now + kEmptySlotRecheckMs;
    }
    anyTried_ = true;
}

PadReading readingOf(const XINPUT_GAMEPAD& pad)
{
    const auto button = [&pad](WORD mask) { return (pad.wButtons & mask) != 0; };
    PadReading reading;
    reading.stickX = axisFromInt16(pad.sThumbLX);
    reading.stickY = axisFromInt16(pad.sThumbLY);
    reading.dpadLeft = button(XINPUT_GAMEPAD_DPAD_LEFT);
    reading.dpadRight = button(XINPUT_GAMEPAD_DPAD_RIGHT);
    reading.dpadUp = button(XINPUT_GAMEPAD_DPAD_UP);
    reading.dpadDown = button(XINPUT_GAMEPAD_DPAD_DOWN);
    reading.south = button(XINPUT_GAMEPAD_A);
    reading.north = button(XINPUT_GAMEPAD_Y);
    reading.start = button(XINPUT_GAMEPAD_START);
    return reading;
}

XInputGetStateFunction loadXInputGetState()
{
    // Never xinput1_3.dll: it comes only with a separate DirectX package.
    for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
        if (HMODULE library = LoadLibraryA(name)) {
            if (FARPROC function = GetProcAddress(library, "XInputGetState"))
                return reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(function));
            FreeLibrary(library);
        }
    }
    return nullptr;
}

namespace {

uint64_t tickMilliseconds()
{
    return GetTickCount64();
}

XInputPads& platformXInput()
{
    static XInputPads pads(loadXInputGetState(), tickMilliseconds);
    return pads;
}

} // namespace

void useXInputGetState(XInputGetStateFunction getState)
{
    platformXInput() =
        XInputPads(getState != nullptr ? getState : loadXInputGetState(), tickMilliseconds);
}

void readPlatformPads(PadSet& pads)
{
    platformXInput().read(pads);
}
