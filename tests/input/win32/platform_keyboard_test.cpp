// The key source of Windows reads the keys as they are at the moment of the poll, with no
// message pump involved: the keys of play whichever window has the focus, M only while a
// window of the game is the foreground window.
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

// Whether the keyboard sees the key while it is held.
bool seenWhileHeld(WORD virtualKey, Key key)
{
    const KeySource& keyboard = platformKeyboard();
    EXPECT_FALSE(keyboard.isDown(key)) << virtualKey << " before it went down";
    sendKey(virtualKey, true);
    const bool seen = keyboard.isDown(key);
    sendKey(virtualKey, false);
    EXPECT_FALSE(keyboard.isDown(key)) << virtualKey << " after it went up";
    return seen;
}

// A plain window of the test's own, shown and brought to the foreground.
HWND foregroundWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KeyboardTestWindow";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, windowClass.lpszClassName, "keyboard test", WS_OVERLAPPEDWINDOW, 0, 0,
                        320, 240, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message;
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    return window;
}

} // namespace

TEST(PlatformKeyboard, KeysOfPlayAreSeenWithoutAnyWindowAndMOnlyWithTheGameInFront)
{
    const struct {
        WORD virtualKey;
        Key key;
    } play[] = {{VK_SPACE, Key::Space}, {VK_F1, Key::F1}, {VK_F2, Key::F2},    {VK_LEFT, Key::Left},
                {VK_RIGHT, Key::Right}, {VK_UP, Key::Up}, {VK_DOWN, Key::Down}};
    for (const auto& k : play)
        EXPECT_TRUE(seenWhileHeld(k.virtualKey, k.key)) << k.virtualKey;
    EXPECT_FALSE(seenWhileHeld('M', Key::M)) << "no window of the game is in front";
    EXPECT_FALSE(seenWhileHeld('H', Key::H)) << "no window of the game is in front";

    HWND window = foregroundWindow();
    ASSERT_EQ(GetForegroundWindow(), window);
    EXPECT_TRUE(seenWhileHeld('M', Key::M)) << "the game's window is in front";
    EXPECT_TRUE(seenWhileHeld('H', Key::H)) << "the game's window is in front";
    EXPECT_TRUE(seenWhileHeld(VK_LEFT, Key::Left));

    DestroyWindow(window);
    EXPECT_NE(GetForegroundWindow(), window);
    EXPECT_FALSE(seenWhileHeld('M', Key::M)) << "the game's window has gone";
    EXPECT_TRUE(seenWhileHeld(VK_LEFT, Key::Left));

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
