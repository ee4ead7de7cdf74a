// The XInput backend on a scripted XInputGetState and clock, and once on the real function of
// the system's XInput with no pad attached.
#include "input/game_pads.h"
#include "tests/input/held_keys.h"
#include "input/win32/xinput_pads.h"

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

uint64_t scriptedClock()
{
    return nowMs;
}

std::set<Key> heldBy(const XINPUT_GAMEPAD& pad)
{
    PadSet pads;
    pads.add(readingOf(pad));
    return heldKeys(pads);
}

PadSet readAll(XInputPads& xinput)
{
    PadSet pads;
    xinput.read(pads);
    return pads;
}

} // namespace

TEST(XInputPads, StickDpadSouthNorthAndStartMapAsOnEveryPlatform)
{
    XINPUT_GAMEPAD pad{};
    pad.sThumbLX = -7849; // XInput's own resting limit: inside the dead zone
    pad.sThumbLY = 7849;
    EXPECT_EQ(heldBy(pad), std::set<Key>{});
    pad.sThumbLX = -9000;
    EXPECT_EQ(heldBy(pad), std::set<Key>{Key::Left});
    // XInput's y points up already.
    pad.sThumbLX = 0;
    pad.sThumbLY = 32767;
    EXPECT_EQ(heldBy(pad), std::set<Key>{Key::Up});
    pad.sThumbLY = -32768;
    EXPECT_EQ(heldBy(pad), std::set<Key>{Key::Down});

    pad = XINPUT_GAMEPAD{};
    pad.wButtons = XINPUT_GAMEPAD_DPAD_RIGHT | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_A |
                   XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_BACK;
    EXPECT_EQ(heldBy(pad), (std::set<Key>{Key::Right, Key::Up, Key::Space}));
    EXPECT_FALSE(readingOf(pad).start);
    pad.wButtons = XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_Y |
                   XINPUT_GAMEPAD_START;
    EXPECT_EQ(heldBy(pad), (std::set<Key>{Key::Left, Key::Down, Key::H}));
    EXPECT_TRUE(readingOf(pad).start);
}

TEST(XInputPads, EmptySlotsAreAskedAboutOnceASecondAndPadsEveryRead)
{
    slots = {};
    XInputPads xinput(scriptedGetState, scriptedClock);
    EXPECT_EQ(readAll(xinput).count(), 0);
    EXPECT_EQ(slots.asked, (std::array<int, 4>{1, 1, 1, 1}));
    for (int read = 0; read < 10; ++read) {
        nowMs += 16;
        readAll(xinput);
    }
    EXPECT_EQ(slots.asked, (std::array<int, 4>{1, 1, 1, 1}))
        << "no empty slot asked within the second";

    // Plugged in: seen at the next look at its slot, then read on every call.
    slots.connected[2] = true;
    slots.pads[2].wButtons = XINPUT_GAMEPAD_DPAD_LEFT;
    nowMs += XInputPads::kEmptySlotRecheckMs;
    PadSet pads = readAll(xinput);
    EXPECT_EQ(pads.count(), 1);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Left});
    nowMs += 16;
    readAll(xinput);
    readAll(xinput);
    EXPECT_EQ(slots.asked, (std::array<int, 4>{2, 2, 4, 2}));

    // A second pad in slot 0: either plays.
    slots.connected[0] = true;
    slots.pads[0].wButtons = XINPUT_GAMEPAD_A;
    nowMs += XInputPads::kEmptySlotRecheckMs;
    EXPECT_EQ(heldKeys(readAll(xinput)), (std::set<Key>{Key::Left, Key::Space}));

    // Unplugged while Left is held: nothing stays held.
    slots.connected[2] = false;
    nowMs += 16;
    pads = readAll(xinput);
    EXPECT_EQ(pads.count(), 1);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Space});
}

TEST(XInputPads, WithoutXInputThereIsNoPad)
{
    XInputPads none(nullptr, scriptedClock);
    EXPECT_EQ(readAll(none).count(), 0);
}

TEST(XInputPads, StartThroughThePlatformPathPressesOncePerPress)
{
    slots = {};
    slots.connected[1] = true;
    slots.pads[1].wButtons = XINPUT_GAMEPAD_START;
    useXInputGetState(scriptedGetState);
    GamePads pads;
    EXPECT_EQ(pads.poll(), 1);
    EXPECT_EQ(pads.poll(), 0);
    slots.pads[1].wButtons = 0;
    EXPECT_EQ(pads.poll(), 0);
    slots.pads[1].wButtons = XINPUT_GAMEPAD_START;
    EXPECT_EQ(pads.poll(), 1);
    useXInputGetState(nullptr);
}

// The system's XInput (Wine's here) with nothing attached: found, and every slot at rest.
TEST(XInputPads, TheRealXInputWithNoPadReadsNeutral)
{
    EXPECT_NE(loadXInputGetState(), nullptr);
    useXInputGetState(nullptr);
    GamePads pads;
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(pads.poll(), 0);
        EXPECT_EQ(pads.connected(), 0);
        for (Key key : {Key::Space, Key::Left, Key::Right, Key::Up, Key::Down})
            EXPECT_FALSE(pads.isDown(key));
    }
}
