#include "bench/bench_pad.h"
#include "input/win32/xinput_functions.h"

#include <chrono>
#include <cstdio>

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

const XInputFunctions kScriptedXInput = {scriptedGetState, GetTickCount64};

// No pad can be attached under Wine: slot 0 answers from a script, the other three are empty
// as the loaded XInput would say.
class ScriptedBenchPad final : public BenchPad {
public:
    ScriptedBenchPad() { useXInputFunctions(&kScriptedXInput); }
    ~ScriptedBenchPad() override { useXInputFunctions(nullptr); }
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

void printPlatformPadFigures()
{
    const XInputGetStateFunction getState = loadXInputGetState();
    if (getState == nullptr) {
        std::printf("XInput: neither xinput1_4.dll nor xinput9_1_0.dll loads\n");
        return;
    }
    constexpr int kCalls = 4000;
    XINPUT_STATE state{};
    DWORD result = ERROR_SUCCESS;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i)
        result = getState(static_cast<DWORD>(i % XUSER_MAX_COUNT), &state);
    const double micros =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    std::printf("XInputGetState of an empty slot: %.3f us a call (last result %lu)\n",
                micros / kCalls, static_cast<unsigned long>(result));
}
