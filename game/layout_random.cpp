#include "game/layout_random.h"

LayoutRandom::LayoutRandom(unsigned seed)
{
    // The seed is taken as a signed 32-bit word; 0 stands for 1.
    int64_t word = static_cast<int32_t>(seed == 0 ? 1u : seed);
    words_[0] = static_cast<uint32_t>(word);
    for (size_t i = 1; i < 31; ++i) {
        word = word * 16807 % 2147483647;
        if (word < 0)
            word += 2147483647;
        words_[i] = static_cast<uint32_t>(word);
    }
    for (size_t i = 31; i < 34; ++i)
        words_[i] = words_[i - 31];
    for (int dropped = 0; dropped < 310; ++dropped)
        next();
}

int LayoutRandom::next()
{
    // The ring holds r[i-34] .. r[i-1]; r[i] replaces r[i-34].
    const uint32_t value = words_[(at_ + 3) % 34] + words_[(at_ + 31) % 34];
    words_[at_] = value;
    at_ = (at_ + 1) % 34;
    return static_cast<int>(value >> 1);
}
