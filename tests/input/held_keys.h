#pragma once

#include "input/pad_reading.h"

#include <set>

// The keys a set of pads holds, every key of the game looked at.
inline std::set<Key> heldKeys(const PadSet& pads)
{
    std::set<Key> keys;
    for (int k = 0; k < kKeyCount; ++k)
        if (pads.holds(static_cast<Key>(k)))
            keys.insert(static_cast<Key>(k));
    return keys;
}
