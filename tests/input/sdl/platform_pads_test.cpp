// SDL's pads read through virtual game controllers, which SDL announces, maps and removes
// as it does real ones; the state is read after an event pump, as the window reads it.
#include "input/game_pads.h"
#include "tests/input/held_keys.h"
#include "tests/support/sdl/virtual_pad.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

// What the pads hold after an event pump, as the window's pump leaves them.
PadSet pumpAndRead()
{
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    PadSet pads;
    readPlatformPads(pads);
    return pads;
}

// The reader starts SDL's controller subsystem on its own on the first read.
class SdlPads : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_JOYSTICK); }
};

} // namespace

TEST_F(SdlPads, NoPadReadsNothing)
{
    const PadSet pads = pumpAndRead();
    EXPECT_EQ(pads.count(), 0);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{});
    EXPECT_FALSE(pads.start());
}

TEST_F(SdlPads, StickAcrossTheDeadZoneAndUpIsUp)
{
    pumpAndRead();
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    EXPECT_EQ(pumpAndRead().count(), 1) << "the pad plugged in while running is picked up";

    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -7000);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 7000);
    EXPECT_EQ(heldKeys(pumpAndRead()), std::set<Key>{}) << "inside the dead zone";

    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -9000);
    EXPECT_EQ(heldKeys(pumpAndRead()), std::set<Key>{Key::Left});
    // SDL's y points down: the stick pushed away from the player is Up in the game.
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    EXPECT_EQ(heldKeys(pumpAndRead()), (std::set<Key>{Key::Right, Key::Up}));
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    EXPECT_EQ(heldKeys(pumpAndRead()), std::set<Key>{Key::Down});
}

TEST_F(SdlPads, DpadSouthNorthAndStart)
{
    VirtualPad pad;
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    PadSet pads = pumpAndRead();
    EXPECT_EQ(heldKeys(pads), (std::set<Key>{Key::Left, Key::Up, Key::Space}));
    EXPECT_FALSE(pads.start());

    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    pad.button(SDL_CONTROLLER_BUTTON_A, false);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    pad.button(SDL_CONTROLLER_BUTTON_Y, true);
    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    // Buttons the game does not use hold nothing.
    pad.button(SDL_CONTROLLER_BUTTON_B, true);
    pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
    pads = pumpAndRead();
    EXPECT_EQ(heldKeys(pads), (std::set<Key>{Key::Right, Key::Down, Key::H}));
    EXPECT_TRUE(pads.start());
}

TEST_F(SdlPads, UnpluggedWhileHeldLeavesNothingHeldAndStartPressesOnce)
{
    GamePads gamePadsUnderTest;
    auto pad = std::make_unique<VirtualPad>();
    pad->axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad->button(SDL_CONTROLLER_BUTTON_START, true);
    SDL_PumpEvents();
    EXPECT_TRUE(gamePadsUnderTest.pollStartWentDown());
    EXPECT_TRUE(gamePadsUnderTest.isDown(Key::Left));
    SDL_PumpEvents();
    EXPECT_FALSE(gamePadsUnderTest.pollStartWentDown()) << "a held Start is one press";

    pad->unplug();
    SDL_PumpEvents();
    EXPECT_FALSE(gamePadsUnderTest.pollStartWentDown());
    EXPECT_FALSE(gamePadsUnderTest.isDown(Key::Left));
    EXPECT_EQ(gamePadsUnderTest.connected(), 0);

    // Plugged in again, a fresh pad reads at rest.
    pad = std::make_unique<VirtualPad>();
    SDL_PumpEvents();
    EXPECT_FALSE(gamePadsUnderTest.pollStartWentDown());
    EXPECT_EQ(gamePadsUnderTest.connected(), 1);
    EXPECT_FALSE(gamePadsUnderTest.isDown(Key::Left));
}

TEST_F(SdlPads, EitherOfTwoPadsPlays)
{
    VirtualPad first;
    VirtualPad second;
    second.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    PadSet pads = pumpAndRead();
    EXPECT_EQ(pads.count(), 2);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Right});
    second.unplug();
    first.button(SDL_CONTROLLER_BUTTON_A, true);
    pads = pumpAndRead();
    EXPECT_EQ(pads.count(), 1);
    EXPECT_EQ(heldKeys(pads), std::set<Key>{Key::Space});
}
