// The keys as SDL's last event pump left them. SDL sees the keys only while one of its windows
// has the keyboard focus, and forgets every key when its window loses it.
#include "input/key_source.h"

#include <SDL2/SDL_keyboard.h>

namespace {

class PlatformKeyboard final : public KeySource {
public:
    bool isDown(Key key) const override
    {
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        const SDL_Scancode code = scancode(key);
        return state != nullptr && code < count && state[code] != 0;
    }

private:
    static SDL_Scancode scancode(Key key)
    {
        if (const char letter = letterOf(key))
            return printing(letter);
        switch (key) {
        case Key::Space: return SDL_SCANCODE_SPACE;
        case Key::F1: return SDL_SCANCODE_F1;
        case Key::F2: return SDL_SCANCODE_F2;
        case Key::Left: return SDL_SCANCODE_LEFT;
        case Key::Right: return SDL_SCANCODE_RIGHT;
        case Key::Up: return SDL_SCANCODE_UP;
        case Key::Down: return SDL_SCANCODE_DOWN;
        default: return SDL_SCANCODE_UNKNOWN;
        }
    }

    // The key that prints `letter` in the current layout (SDL follows a change of layout).
    // Where none does (a layout of another script), the key in the letter's place on a US
    // keyboard, which is where that layout's own key for it usually sits.
    static SDL_Scancode printing(char letter)
    {
        const SDL_Scancode code = SDL_GetScancodeFromKey(static_cast<SDL_Keycode>(letter));
        if (code != SDL_SCANCODE_UNKNOWN)
            return code;
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (letter - 'a'));
    }
};

} // namespace

const KeySource& platformKeyboard()
{
    static const PlatformKeyboard keyboard;
    return keyboard;
}
