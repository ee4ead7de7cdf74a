#include "input/key_source.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <array>
#include <cstring>

namespace {

// The keys the page's touch controls hold, apart from the keyboard's, so that a finger lifting
// never releases a key the keyboard holds, nor a key-up one a finger holds. The page counts
// its fingers: a key is down here while any finger holds it.
std::array<bool, kKeyCount> touchDown{};

// The down state of the game's keys, kept by the page's key events (by physical key, so the
// keyboard layout does not matter). The events arrive between frames, so the state read in
// an update is the one at the start of that pass.
class PlatformKeyboard final : public KeySource {
public:
    PlatformKeyboard()
    {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_FALSE, onKey);
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_FALSE, onKey);
        // A key released while the page has no focus sends no key-up: forget every key then.
        emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, onBlur);
    }

    bool isDown(Key key) const override
    {
        return down_[static_cast<size_t>(key)] || touchDown[static_cast<size_t>(key)];
    }

private:
    // In the order of Key.
    static constexpr std::array<const char*, 8> kCodes = {
        "Space", "F1", "F2", "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", "KeyM"};

    // True for the game's keys, so the page neither scrolls nor opens its help on them.
    static EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void* data)
    {
        auto* self = static_cast<PlatformKeyboard*>(data);
        for (size_t i = 0; i < kCodes.size(); ++i) {
            if (std::strcmp(event->code, kCodes[i]) == 0) {
                self->down_[i] = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
                return EM_TRUE;
            }
        }
        return EM_FALSE;
    }

    static EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void* data)
    {
        static_cast<PlatformKeyboard*>(data)->down_.fill(false);
        return EM_FALSE;
    }

    std::array<bool, kCodes.size()> down_{};
};

} // namespace

// The page's touch controls: key is a value of Key, down 1 when the first finger holds it and
// 0 when the last one leaves. Answers 1, or 0 for a value the game has no key for (the page
// then hides that button).
extern "C" EMSCRIPTEN_KEEPALIVE int zorbelTouchKey(int key, int down)
{
    if (key < 0 || key >= kKeyCount)
        return 0;
    touchDown[static_cast<size_t>(key)] = down != 0;
    return 1;
}

const KeySource& platformKeyboard()
{
    static const PlatformKeyboard keyboard;
    return keyboard;
}
