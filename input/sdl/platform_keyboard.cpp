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
        switch (key) {
        case Key::Space: return SDL_SCANCODE_SPACE;
        case Key::F1: return SDL_SCANCODE_F1;
        case Key::F2: return SDL_SCANCODE_F2;
        case Key::Left: return SDL_SCANCODE_LEFT;
        case Key::Right: return SDL_SCANCODE_RIGHT;
        case Key::Up: return SDL_SCANCODE_UP;
        case Key::Down: return SDL_SCANCODE_DOWN;
        case Key::M: return SDL_SCANCODE_M;
        case Key::H: return SDL_SCANCODE_H;
        }
        return SDL_SCANCODE_UNKNOWN;
    }
};

} // namespace

const KeySource& platformKeyboard()
{
    static const PlatformKeyboard keyboard;
    return keyboard;
}
