#pragma once

#include "input/key_source.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

// Which keys are held on which frame. Written as space-separated KEY@FIRST[-LAST] items,
// for example "RIGHT@0-119 SPACE@120 UP@121-200"; keys: LEFT RIGHT UP DOWN SPACE F1 F2 M H.
class KeyScript {
public:
    struct Hold {
        Key key;
        int first;
        int last;
    };

    // Nothing when the text is malformed; error then says what is wrong.
    static std::optional<KeyScript> parse(const std::string& text, std::string& error);

    std::set<Key> keysAt(int frame) const;

private:
    std::vector<Hold> holds_;
};

// A key source that reports a fixed set of held keys.
class HeldKeys final : public KeySource {
public:
    std::set<Key> down;
    bool isDown(Key key) const override { return down.count(key) != 0; }
};
