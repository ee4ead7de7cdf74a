#pragma once

// The keys the game reads: the seven of play, M for muting the sound and H for the score
// display. The integers are fixed: the browser page sends H as key 8.
enum class Key { Space, F1, F2, Left, Right, Up, Down, M, H };
inline constexpr int kKeyCount = static_cast<int>(Key::H) + 1;

// The keys of play (the arrows, Space, F1, F2) are read where they sit on the keyboard,
// whatever its layout prints on them, and on Windows whichever window has the keyboard focus.
// A key of our own is read by the letter printed on it in the player's layout, and only
// while the game's window has the keyboard focus: typing into another program does nothing
// to the game. Each has one row here; every platform keyboard reads them from this table.
struct LetterKey {
    Key key;
    char letter; // lower case, a to z
};
inline constexpr LetterKey kLetterKeys[] = {{Key::M, 'm'}, {Key::H, 'h'}};

// The letter of a key of our own; 0 for a key of play.
constexpr char letterOf(Key key)
{
    for (const LetterKey& row : kLetterKeys)
        if (row.key == key)
            return row.letter;
    return 0;
}

// Where the device reads the current down state of a key. The platform keyboard is one
// source; tests script another.
class KeySource {
public:
    virtual bool isDown(Key key) const = 0;

protected:
    ~KeySource() = default;
};

// The keyboard as the platform backend reads it: the state of the last message pump (SDL), of
// the page's last key events (a browser) or at the moment of the poll (Windows).
const KeySource& platformKeyboard();
