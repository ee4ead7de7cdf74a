// The key source of Windows reads the keys as they are at the moment of the poll, with no
// window and no message pump involved.
#include "input/input_device.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace {

void sendKey(WORD key, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

} // namespace

TEST(PlatformKeyboard, SeesTheGameKeysWithoutAnyWindow)
{
    const struct {
        WORD virtualKey;
        Key key;
    } keys[] = {{VK_SPACE, Key::Space}, {VK_F1, Key::F1},       {VK_F2, Key::F2},
                {VK_LEFT, Key::Left},   {VK_RIGHT, Key::Right}, {VK_UP, Key::Up},
                {VK_DOWN, Key::Down},   {'M', Key::M},          {'H', Key::H}};
    const KeySource& keyboard = platformKeyboard();
    for (const auto& k : keys) {
        EXPECT_FALSE(keyboard.isDown(k.key)) << k.virtualKey;
        sendKey(k.virtualKey, true);
        EXPECT_TRUE(keyboard.isDown(k.key)) << k.virtualKey;
        sendKey(k.virtualKey, false);
        EXPECT_FALSE(keyboard.isDown(k.key)) << k.virtualKey;
    }

    // The device on the platform keyboard: Up and Right held read (1, 1).
    InputDevice device;
    sendKey(VK_UP, true);
    sendKey(VK_RIGHT, true);
    device.update();
    sendKey(VK_UP, false);
    sendKey(VK_RIGHT, false);
    EXPECT_EQ(device.primaryStick().x, 1.0f);
    EXPECT_EQ(device.primaryStick().y, 1.0f);
}
