#pragma once

// The keys the game reads: the seven of play, M for muting the sound and H for the score
// display. The integers are fixed: the browser page sends H as key 8.
enum class Key { Space, F1, F2, Left, Right, Up, Down, M, H };
inline constexpr int kKeyCount = static_cast<int>(Key::H) + 1;

// Where the device reads the current down state of a key. The platform keyboard is one
// source; tests script another.
class KeySource {
public:
    virtual bool isDown(Key key) const = 0;

protected:
    ~KeySource() = default;
};

// The keyboard as the platform backend reads it: the state of the last message pump (SDL) or
// the state at the moment of the poll (Windows).
const KeySource& platformKeyboard();
