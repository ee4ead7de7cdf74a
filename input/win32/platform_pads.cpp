// The pads through XInput: the four slots, read through one XInputGetState.
#include "input/pad_reading.h"
#include "input/win32/xinput_functions.h"

#include <array>

namespace {

class XInputPads {
public:
    explicit XInputPads(const XInputFunctions& functions) : functions_(functions) { }

    void read(PadSet& pads)
    {
        if (functions_.getState == nullptr)
            return;
        const uint64_t now = functions_.milliseconds();
        for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
            if (!connected_[slot] && anyTried_ && now < nextTry_[slot])
                continue;
            XINPUT_STATE state{};
            connected_[slot] = functions_.getState(slot, &state) == ERROR_SUCCESS;
            if (connected_[slot])
                pads.add(reading(state.Gamepad));
            else
                nextTry_[slot] = now + kEmptySlotRecheckMs;
        }
        anyTried_ = true;
    }

private:
    // XInput's y already points up.
    static PadReading reading(const XINPUT_GAMEPAD& pad)
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

    XInputFunctions functions_;
    std::array<bool, XUSER_MAX_COUNT> connected_{};
    std::array<uint64_t, XUSER_MAX_COUNT> nextTry_{};
    bool anyTried_ = false;
};

XInputFunctions systemXInput()
{
    return {loadXInputGetState(), GetTickCount64};
}

XInputPads& platformXInput()
{
    static XInputPads pads(systemXInput());
    return pads;
}

} // namespace

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

void useXInputFunctions(const XInputFunctions* functions)
{
    platformXInput() = XInputPads(functions != nullptr ? *functions : systemXInput());
}

void readPlatformPads(PadSet& pads)
{
    platformXInput().read(pads);
}
