// The XInput backend on a scripted XInputGetState and clock, and once on the real function of
// the system's XInput with no pad attached.
#include "input/game_pads.h"
#include "input/win32/xinput_functions.h"
#include "tests/input/held_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

struct ScriptedSlots {
    std::array<bool, XUSER_MAX_COUNT> connected{};
    std::array<XINPUT_GAMEPAD, XUSER_MAX_COUNT> pads{};
    std::array<int, XUSER_MAX_COUNT> asked{};
};
ScriptedSlots slots;
uint64_t nowMs = 5000;

DWORD WINAPI scriptedGetState(DWORD slot, XINPUT_STATE* state)
{
    if (slot >= XUSER_MAX_COUNT)
        return ERROR_BAD_ARGUMENTS;
    ++slots.asked[slot];
    if (!slots.connected[slot])
        return ERROR_DEVICE_NOT_CONNECTED;
    *state = XINPUT_STATE{};
    state->Gamepad = slots.pads[slot];
    return ERROR_SUCCESS;
}

ULONGLONG WINAPI scriptedClock()
{
    return nowMs;
}

const XInputFunctions kScriptedXInput = {scriptedGetState, scriptedClock};

// The platform's pads read through the scripted slots, every slot asked afresh, while it
// lives.
struct OnScriptedSlots {
    explicit OnScriptedSlots(const XInputFunctions& functions = kScriptedXInput)
    {
        useXInputFunctions(&functions);
    }
    ~OnScriptedSlots() { useXInputFunctions(nullptr); }
};

PadSet readAll()
{
    PadSet pads;
    readPlatformPads(pads);
    return pads;
}

// The pads one pad in slot 0 makes.
PadSet readOne(const XINPUT_GAMEPAD& pad)
{
    slots = {};
    slots.connected[0] = true;
    slots.pads[0] = pad;
    const OnScriptedSlots scripted;
    return readAll();
}

} // namespace

TEST(XInputPads, StickDpadSouthNorthAndStartMapAsOnEveryPlatform)
{
    XINPUT_GAMEPAD pad{};
    pad.sThumbLX = -7849; // XInput's own resting limit: inside the dead zone
    pad.sThumbLY = 7849;
    EXPECT_EQ(heldKeys(readOne(pad)), std::set<Key>{});
    pad.sThumbLX = -9000;
    EXPECT_EQ(heldKeys(readOne(pad)), std::set<Key>{Key::Left});
    // XInput's y points up already.
    pad.sThumbLX = 0;
    pad.sThumbLY = 32767;
    EXPECT_EQ(heldKeys(readOne(pad)), std::set<Key>{Key::Up});
    pad.sThumbLY = -32768;
    EXPECT_EQ(heldKeys(readOne(pad)), std::set<Key>{Key::Down});

    pad = XINPUT_GAMEPAD{};
    pad.wButtons = XINPUT_GAMEPAD_DPAD_RIGHT | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_A |
                   XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_BACK;
    EXPECT_EQ(heldKeys(readOne(pad)), (std::set<Key>{Key::Right, Key::Up, Key::Space}));
    EXPECT_FALSE(readOne(pad).start());
    pad.wButtons = XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_Y |
                   XINPUT_GAMEPAD_START;
    EXPECT_EQ(heldKeys(readOne(pad)), (std::set<Key>{Key::Left, Key::Down, Key::H}));
    EXPECT_TRUE(readOne(pad).start());
}

TEST(XInputPads, EmptySlotsAreAskedAboutOnceASecondAndPadsEveryRead)
{
    slots = {};
    const OnScriptedSlots scripted;
    EXPECT_EQ(readAll().count(), 0);
    EXPECT_EQ(slots.asked, (std::array<int, 4>{1, 1, 1, 1}));
    for (int read = 0; read < 10; ++read) {
        nowMs += 16;
        readAll();
    }
    EXPECT_EQ(slots.asked, (std::array<int, 4>{1, 1, 1, 1}))
        << "no empty slot asked within the second";

    // Plugged in: seen at the next look at its slot, then read on every call.
    slots.connected[2] = true;
    slots.pads[2].wButtons = XINPUT_GAMEPAD_DPAD_LEFT;
    nowMs += kEmptySlotRecheckMs;
    PadSet pads = readAll();
    EXPECT_EQ(pads.count(), 1);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Left});
    nowMs += 16;
    readAll();
    readAll();
    EXPECT_EQ(slots.asked, (std::array<int, 4>{2, 2, 4, 2}));

    // A second pad in slot 0: either plays.
    slots.connected[0] = true;
    slots.pads[0].wButtons = XINPUT_GAMEPAD_A;
    nowMs += kEmptySlotRecheckMs;
    EXPECT_EQ(heldKeys(readAll()), (std::set<Key>{Key::Left, Key::Space}));

    // Unplugged while Left is held: nothing stays held.
    slots.connected[2] = false;
    nowMs += 16;
    pads = readAll();
    EXPECT_EQ(pads.count(), 1);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Space});
}

TEST(XInputPads, WithoutXInputThereIsNoPad)
{
    slots = {};
    slots.connected[0] = true;
    const XInputFunctions noXInput = {nullptr, scriptedClock};
    const OnScriptedSlots scripted(noXInput);
    EXPECT_EQ(readAll().count(), 0);
    EXPECT_EQ(slots.asked[0], 0);
}

TEST(XInputPads, StartThroughThePlatformPathPressesOncePerPress)
{
    slots = {};
    slots.connected[1] = true;
    slots.pads[1].wButtons = XINPUT_GAMEPAD_START;
    const OnScriptedSlots scripted;
    GamePads pads;
    EXPECT_TRUE(pads.pollStartWentDown());
    EXPECT_FALSE(pads.pollStartWentDown());
    slots.pads[1].wButtons = 0;
    EXPECT_FALSE(pads.pollStartWentDown());
    slots.pads[1].wButtons = XINPUT_GAMEPAD_START;
    EXPECT_TRUE(pads.pollStartWentDown());
}

// The system's XInput (Wine's here) with nothing attached: found, and every slot at rest.
TEST(XInputPads, TheRealXInputWithNoPadReadsNeutral)
{
    EXPECT_NE(loadXInputGetState(), nullptr);
    useXInputFunctions(nullptr);
    GamePads pads;
    for (int read = 0; read < 3; ++read) {
        EXPECT_FALSE(pads.pollStartWentDown());
        EXPECT_EQ(pads.connected(), 0);
        for (Key key : {Key::Space, Key::Left, Key::Right, Key::Up, Key::Down})
            EXPECT_FALSE(pads.isDown(key));
    }
}
