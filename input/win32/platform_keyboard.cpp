// The keys as they are at the moment of the poll, whichever window has the keyboard focus.
#include "input/key_source.h"

#include <windows.h>

namespace {

class PlatformKeyboard final : public KeySource {
public:
    bool isDown(Key key) const override
    {
        // The most significant bit of the 16-bit result: the key is down now.
        return (GetAsyncKeyState(virtualKey(key)) & 0x8000) != 0;
    }

private:
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
        case Key::M: return 'M';
        case Key::H: return 'H';
        }
        return 0;
    }
};

} // namespace

const KeySource& platformKeyboard()
{
    static const PlatformKeyboard keyboard;
    return keyboard;
}
