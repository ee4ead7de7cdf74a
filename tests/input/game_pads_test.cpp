#include "input/game_pads.h"
#include "input/input_device.h"
#include "tests/input/held_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// The pads a scripted reader reports on the next poll.
std::vector<PadReading> scriptedPads;

void readScriptedPads(PadSet& pads)
{
    for (const PadReading& pad : scriptedPads)
        pads.add(pad);
}

std::set<Key> heldBy(const PadReading& pad)
{
    PadSet pads;
    pads.add(pad);
    return heldKeys(pads);
}

PadReading stick(float x, float y)
{
    PadReading pad;
    pad.stickX = x;
    pad.stickY = y;
    return pad;
}

class ScriptedKeys final : public KeySource {
public:
    std::set<Key> down;
    bool isDown(Key key) const override { return down.count(key) != 0; }
};

} // namespace

TEST(PadSet, StickCountsAsADirectionOnlyPastTheDeadZone)
{
    EXPECT_EQ(heldBy(stick(0.0f, 0.0f)), std::set<Key>{});
    // A stick at rest drifts a little, and a light touch stays inside too.
    EXPECT_EQ(heldBy(stick(-kStickDeadZone, kStickDeadZone)), std::set<Key>{});
    EXPECT_EQ(heldBy(stick(0.2f, -0.24f)), std::set<Key>{});

    EXPECT_EQ(heldBy(stick(-0.26f, 0.0f)), std::set<Key>{Key::Left});
    EXPECT_EQ(heldBy(stick(0.26f, 0.0f)), std::set<Key>{Key::Right});
    // y points up: a positive y is Up.
    EXPECT_EQ(heldBy(stick(0.0f, 1.0f)), std::set<Key>{Key::Up});
    EXPECT_EQ(heldBy(stick(0.0f, -1.0f)), std::set<Key>{Key::Down});
    EXPECT_EQ(heldBy(stick(0.7f, 0.7f)), (std::set<Key>{Key::Right, Key::Up}));
}

TEST(PadSet, DpadSouthAndNorthHoldTheArrowsSpaceAndHAndStartNoKey)
{
    PadReading pad;
    pad.dpadLeft = pad.dpadDown = pad.south = true;
    EXPECT_EQ(heldBy(pad), (std::set<Key>{Key::Left, Key::Down, Key::Space}));

    PadReading other;
    other.dpadRight = other.dpadUp = other.north = other.start = true;
    PadSet pads;
    pads.add(other);
    EXPECT_EQ(heldKeys(pads), (std::set<Key>{Key::Right, Key::Up, Key::H}));
    EXPECT_TRUE(pads.start());
}

TEST(PadSet, AnyPadOfSeveralHoldsAKey)
{
    PadReading idle;
    PadReading south;
    south.south = true;
    PadSet pads;
    pads.add(idle);
    pads.add(stick(-1.0f, 0.0f));
    pads.add(south);
    EXPECT_EQ(pads.count(), 3);
    EXPECT_EQ(heldKeys(pads), (std::set<Key>{Key::Left, Key::Space}));
    EXPECT_FALSE(pads.start());
}

TEST(PadSet, SixteenBitAxesMapOntoMinusOneToOne)
{
    EXPECT_EQ(axisFromInt16(0), 0.0f);
    EXPECT_EQ(axisFromInt16(32767), 1.0f);
    EXPECT_EQ(axisFromInt16(-32767), -1.0f);
    EXPECT_EQ(axisFromInt16(-32768), -1.0f);
    // The recommended resting limits of the platforms stay inside the dead zone.
    EXPECT_LT(axisFromInt16(8000), kStickDeadZone);
    EXPECT_GT(axisFromInt16(8300), kStickDeadZone);
}

TEST(GamePads, StartPressesOnceWhenItGoesDownNeverWhileHeldOrOnRelease)
{
    GamePads pads;
    pads.setReader(readScriptedPads);
    PadReading start;
    start.start = true;

    scriptedPads = {};
    EXPECT_FALSE(pads.pollStartWentDown());
    EXPECT_EQ(pads.connected(), 0);

    scriptedPads = {start};
    EXPECT_TRUE(pads.pollStartWentDown());
    EXPECT_FALSE(pads.pollStartWentDown());
    EXPECT_FALSE(pads.pollStartWentDown());
    scriptedPads = {PadReading{}};
    EXPECT_FALSE(pads.pollStartWentDown());
    scriptedPads = {start};
    EXPECT_TRUE(pads.pollStartWentDown());

    // A second pad pressing Start while the first holds it is no new press.
    scriptedPads = {start, start};
    EXPECT_FALSE(pads.pollStartWentDown());

    // The pad goes while Start is held: nothing stays pressed, and its return is a press.
    scriptedPads = {};
    EXPECT_FALSE(pads.pollStartWentDown());
    scriptedPads = {start};
    EXPECT_TRUE(pads.pollStartWentDown());
    scriptedPads = {};
}

TEST(GamePads, KeysOfThePadGoWithThePad)
{
    GamePads pads;
    pads.setReader(readScriptedPads);
    scriptedPads = {stick(-1.0f, 0.0f)};
    pads.pollStartWentDown();
    EXPECT_TRUE(pads.isDown(Key::Left));
    EXPECT_EQ(pads.connected(), 1);
    scriptedPads = {};
    pads.pollStartWentDown();
    EXPECT_FALSE(pads.isDown(Key::Left));
    EXPECT_EQ(pads.connected(), 0);
}

TEST(InputDevice, KeyboardAndPadTogetherEitherHoldsAKey)
{
    ScriptedKeys keys;
    GamePads pads;
    pads.setReader(readScriptedPads);
    InputDevice device;
    device.setKeySource(&keys);
    device.setPadSource(&pads);

    // The pad alone: the same -1/0/+1 values and Space as the keys give.
    PadReading pad = stick(0.0f, 0.9f);
    pad.dpadRight = true;
    pad.south = true;
    scriptedPads = {pad};
    pads.pollStartWentDown();
    device.update();
    EXPECT_EQ(device.primaryStick().x, 1.0f);
    EXPECT_EQ(device.primaryStick().y, 1.0f);
    EXPECT_EQ(device.directionPad().x, 1.0f);
    EXPECT_EQ(device.secondaryStick().y, 1.0f);
    EXPECT_TRUE(device.spaceHeld());
    EXPECT_FALSE(device.f1Held());
    EXPECT_FALSE(device.displayHeld());

    // Keyboard Left with pad Right: Left wins as it does on the keyboard alone; keyboard F1
    // and pad Space both read.
    keys.down = {Key::Left, Key::F1};
    device.update();
    EXPECT_EQ(device.primaryStick().x, -1.0f);
    EXPECT_TRUE(device.f1Held());
    EXPECT_TRUE(device.spaceHeld());

    // North holds the display's key, as H does; M stays the keyboard's alone.
    pad.north = true;
    scriptedPads = {pad};
    pads.pollStartWentDown();
    device.update();
    EXPECT_TRUE(device.displayHeld());
    EXPECT_FALSE(device.muteHeld());

    // The pad released: the keyboard alone again.
    scriptedPads = {};
    pads.pollStartWentDown();
    device.update();
    EXPECT_EQ(device.primaryStick().x, -1.0f);
    EXPECT_EQ(device.primaryStick().y, 0.0f);
    EXPECT_FALSE(device.spaceHeld());
    EXPECT_FALSE(device.displayHeld());
}
