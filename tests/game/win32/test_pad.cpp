#include "input/win32/xinput_functions.h"
#include "tests/game/test_pad.h"

namespace {

// Slot 0 of a scripted XInputGetState; the others empty.
XINPUT_GAMEPAD heldState{};

DWORD WINAPI scriptedGetState(DWORD slot, XINPUT_STATE* state)
{
    if (slot != 0)
        return ERROR_DEVICE_NOT_CONNECTED;
    *state = XINPUT_STATE{};
    state->Gamepad = heldState;
    return ERROR_SUCCESS;
}

const XInputFunctions kScriptedXInput = {scriptedGetState, GetTickCount64};

class ScriptedTestPad final : public TestPad {
public:
    ScriptedTestPad()
    {
        heldState = XINPUT_GAMEPAD{};
        useXInputFunctions(&kScriptedXInput);
    }
    ~ScriptedTestPad() override { useXInputFunctions(nullptr); }
    void holdStickLeft(bool held) override { heldState.sThumbLX = held ? -32768 : 0; }
    void holdStart(bool held) override { heldState.wButtons = held ? XINPUT_GAMEPAD_START : 0; }
};

} // namespace

std::unique_ptr<TestPad> TestPad::plugIn()
{
    return std::make_unique<ScriptedTestPad>();
}
