#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The random numbers of the tree layout: the sequence that srand and rand of the GNU C
// library give, on every platform. Other C libraries draw other numbers from the same seed,
// and a seed must give the same trees everywhere (the stored images of the tests are made
// with seed 1).
//
// The generator is additive, with lags 3 and 31: state words r[0..30] come from the seed by
// a multiplicative step (16807, modulo 2^31 - 1), the sum r[i-31] + r[i-3] (modulo 2^32)
// makes each next word, the first 310 of those are dropped, and each result is a word
// shifted right by one (0 to 2^31 - 1).
class LayoutRandom {
public:
    explicit LayoutRandom(unsigned seed);
    int next();

private:
    std::array<uint32_t, 34> words_{};
    size_t at_ = 0; // index of r[i-34] in the ring of the last 34 words
};
