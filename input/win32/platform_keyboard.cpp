// The keys as they are at the moment of the poll. The keys of play are read whichever window
// has the keyboard focus; a key of our own only while a window of the game is the foreground
// window (GetAsyncKeyState sees keys typed into any program).
#include "input/key_source.h"

#include <windows.h>

namespace {

class PlatformKeyboard final : public KeySource {
public:
    bool isDown(Key key) const override
    {
        if (const char letter = letterOf(key))
            return gameHasFocus() && isDownNow(letter - 'a' + 'A');
        return isDownNow(virtualKey(key));
    }

private:
    // The most significant bit of the 16-bit result: the key is down now. The virtual key of
    // a letter is the key that prints it in the current layout.
    static bool isDownNow(int virtualKey)
    {
        return virtualKey != 0 && (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
    }

    // The game has one window (and its boxes): the foreground window is the game's when it
    // belongs to this process.
    static bool gameHasFocus()
    {
        HWND foreground = GetForegroundWindow();
        DWORD process = 0;
        return foreground != nullptr && GetWindowThreadProcessId(foreground, &process) != 0 &&
               process == GetCurrentProcessId();
    }

    static int virtualKey(Key key)
    {
        switch (key) {
        case Key::Space: return VK_SPACE;
        case Key::F1: return VK_F1;
        case Key::F2: return VK_F2;
        case Key::Left: return VK_LEFT;
        case Key::Right: return VK_RIGHT;
        case Key::Up: return VK_UP;
        case Key::Down: return VK_DOWN;
        default: return 0;
        }
    }
};

} // namespace

const KeySource& platformKeyboard()
{
    static const PlatformKeyboard keyboard;
    return keyboard;
}
