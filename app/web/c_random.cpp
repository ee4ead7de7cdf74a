// srand and rand for the browser build, in place of the C library's. A seed then lays the
// world out the same as on Linux (the tree layout, and so the golden frames): this is the
// additive feedback generator of the GNU C library's rand, r[i] = r[i-3] + r[i-31], seeded
// by a Park-Miller sequence and run 310 steps before the first value.
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kDegree = 31;
constexpr int kSeparation = 3;

struct Generator {
    std::array<uint32_t, kDegree> state{};
    int front = kSeparation;
    int rear = 0;

    void seed(unsigned value)
    {
        int32_t word = static_cast<int32_t>(value == 0 ? 1 : value);
        state[0] = static_cast<uint32_t>(word);
        for (int i = 1; i < kDegree; ++i) {
            const int64_t hi = word / 127773;
            const int64_t lo = word % 127773;
            word = static_cast<int32_t>(16807 * lo - 2836 * hi);
            if (word < 0)
                word += 2147483647;
            state[static_cast<size_t>(i)] = static_cast<uint32_t>(word);
        }
        front = kSeparation;
        rear = 0;
        for (int i = 0; i < 10 * kDegree; ++i)
            next();
    }

    int next()
    {
        uint32_t& value = state[static_cast<size_t>(front)];
        value += state[static_cast<size_t>(rear)];
        front = (front + 1) % kDegree;
        rear = (rear + 1) % kDegree;
        return static_cast<int>(value >> 1);
    }
};

Generator& generator()
{
    // Seeded with 1 until srand is called, as the C library is.
    static Generator instance = [] {
        Generator g;
        g.seed(1);
        return g;
    }();
    return instance;
}

} // namespace

extern "C" void srand(unsigned seed)
{
    generator().seed(seed);
}

extern "C" int rand()
{
    return generator().next();
}
