#include "input/input_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

class ScriptedKeys final : public KeySource {
public:
    std::set<Key> down;
    mutable std::vector<Key> polled;
    bool isDown(Key key) const override
    {
        polled.push_back(key);
        return down.count(key) != 0;
    }
};

void expectAllPairs(const InputDevice& device, float x, float y)
{
    for (Direction pair : {device.primaryStick(), device.secondaryStick(), device.directionPad()}) {
        EXPECT_EQ(pair.x, x);
        EXPECT_EQ(pair.y, y);
    }
}

} // namespace

TEST(InputDevice, OppositeKeysResolveToLeftAndUp)
{
    ScriptedKeys keys;
    InputDevice device;
    device.setKeySource(&keys);

    keys.down = {Key::Left, Key::Right, Key::Up, Key::Down};
    keys.polled.clear();
    device.update();
    expectAllPairs(device, -1.0f, 1.0f);
    // Right and Down are not even polled when Left and Up win.
    EXPECT_EQ(std::count(keys.polled.begin(), keys.polled.end(), Key::Right), 0);
    EXPECT_EQ(std::count(keys.polled.begin(), keys.polled.end(), Key::Down), 0);

    keys.down = {Key::Right, Key::Down};
    device.update();
    expectAllPairs(device, 1.0f, -1.0f);
}

TEST(InputDevice, DiagonalsReadFullValuesInAllThreePairs)
{
    ScriptedKeys keys;
    InputDevice device;
    device.setKeySource(&keys);
    keys.down = {Key::Up, Key::Right};
    device.update();
    expectAllPairs(device, 1.0f, 1.0f);
}

TEST(InputDevice, HeldButtonsReadOnEveryUpdateAndReleaseAtTheNext)
{
    ScriptedKeys keys;
    InputDevice device;
    device.setKeySource(&keys);
    EXPECT_FALSE(device.spaceHeld());
    expectAllPairs(device, 0.0f, 0.0f);

    keys.down = {Key::Space, Key::F2, Key::M, Key::H};
    for (int frame = 0; frame < 3; ++frame) {
        device.update();
        EXPECT_TRUE(device.spaceHeld());
        EXPECT_FALSE(device.f1Held());
        EXPECT_TRUE(device.f2Held());
        EXPECT_TRUE(device.muteHeld());
        EXPECT_TRUE(device.displayHeld());
    }
    keys.down = {Key::F1};
    device.update();
    EXPECT_FALSE(device.spaceHeld());
    EXPECT_TRUE(device.f1Held());
    EXPECT_FALSE(device.f2Held());
    EXPECT_FALSE(device.muteHeld());
    EXPECT_FALSE(device.displayHeld());
    expectAllPairs(device, 0.0f, 0.0f);
}
