#include "bench/bench_pad.h"
#include "input/win32/xinput_pads.h"

namespace {

XINPUT_GAMEPAD slotZero{};

DWORD WINAPI scriptedGetState(DWORD slot, XINPUT_STATE* state)
{
    if (slot != 0)
        return ERROR_DEVICE_NOT_CONNECTED;
    state->dwPacketNumber += 1;
    state->Gamepad = slotZero;
    return ERROR_SUCCESS;
}

// No pad can be attached under Wine: slot 0 answers from a script, the other three are empty
// as the loaded XInput would say.
class ScriptedBenchPad final : public BenchPad {
public:
    ScriptedBenchPad() { useXInputGetState(scriptedGetState); }
    ~ScriptedBenchPad() override { useXInputGetState(nullptr); }
    void play(int frame) override
    {
        slotZero.sThumbLX = static_cast<SHORT>((frame * 997) % 65536 - 32768);
        slotZero.wButtons = frame % 2 == 0 ? XINPUT_GAMEPAD_A : 0;
    }
};

} // namespace

std::unique_ptr<BenchPad> BenchPad::plugIn()
{
    return std::make_unique<ScriptedBenchPad>();
}

void pumpPadEvents() { }
