#include "input/key_source.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace {

// The keys the page's touch controls hold, apart from the keyboard's, so that a finger lifting
// never releases a key the keyboard holds, nor a key-up one a finger holds. The page counts
// its fingers: a key is down here while any finger holds it.
std::array<bool, kKeyCount> touchDown{};

// The down state of the game's keys, kept by the page's key events. The events arrive between
// frames, so the state read in an update is the one at the start of that pass.
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
    // The keys of play, by the place of the key (the event's code), whatever the layout.
    static constexpr std::array<std::pair<Key, const char*>, 7> kPlayKeys = {{
        {Key::Space, "Space"},
        {Key::F1, "F1"},
        {Key::F2, "F2"},
        {Key::Left, "ArrowLeft"},
        {Key::Right, "ArrowRight"},
        {Key::Up, "ArrowUp"},
        {Key::Down, "ArrowDown"},
    }};

    // True for the game's keys, so the page neither scrolls nor opens its help on them.
    static EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void* data)
    {
        auto* self = static_cast<PlatformKeyboard*>(data);
        const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
        for (const auto& [key, code] : kPlayKeys) {
            if (std::strcmp(event->code, code) == 0) {
                self->down_[static_cast<size_t>(key)] = down;
                return EM_TRUE;
            }
        }
        return self->onLetterKey(*event, down) ? EM_TRUE : EM_FALSE;
    }

    // A key of our own goes down by the letter it prints (the event's key, either case) and up
    // by the place that pressed it: a modifier pressed in between may change what it prints.
    bool onLetterKey(const EmscriptenKeyboardEvent& event, bool down)
    {
        const char letter = printedLetter(event);
        bool ours = false;
        for (const LetterKey& row : kLetterKeys) {
            const auto k = static_cast<size_t>(row.key);
            const bool pressedHere = down_[k] && pressedBy_[k] == event.code;
            if (row.letter != letter && !pressedHere)
                continue;
            ours = true;
            if (down) {
                down_[k] = true;
                pressedBy_[k] = event.code;
            } else if (pressedHere) {
                down_[k] = false;
            }
        }
        return ours;
    }

    // The letter a key prints, in lower case; 0 for none. A key that prints one letter of
    // another script (a Cyrillic or Greek layout, which has no key printing the Latin one)
    // counts as the letter in its place on a US keyboard, as its code names it ("KeyM").
    static char printedLetter(const EmscriptenKeyboardEvent& event)
    {
        const auto* key = reinterpret_cast<const unsigned char*>(event.key);
        if (key[0] != 0 && key[1] == 0) {
            if (key[0] >= 'a' && key[0] <= 'z')
                return static_cast<char>(key[0]);
            if (key[0] >= 'A' && key[0] <= 'Z')
                return static_cast<char>(key[0] - 'A' + 'a');
            return 0;
        }
        // One character outside ASCII: a lead byte, then only continuation bytes.
        if (key[0] < 0xC0)
            return 0;
        for (const unsigned char* at = key + 1; *at != 0; ++at)
            if (*at < 0x80 || *at >= 0xC0)
                return 0;
        const char* code = event.code;
        if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == 0)
            return static_cast<char>(code[3] - 'A' + 'a');
        return 0;
    }

    static EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void* data)
    {
        static_cast<PlatformKeyboard*>(data)->down_.fill(false);
        return EM_FALSE;
    }

    std::array<bool, kKeyCount> down_{};
    // For a key of our own while it is down, the code of the key that pressed it.
    std::array<std::string, kKeyCount> pressedBy_;
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
