#include "app/frame_clock.h"

float frameSeconds(int64_t lastCounter, int64_t nowCounter, int64_t frequency)
{
    if (frequency <= 0)
        return 0.0f;
    // ticks * 1000000 / frequency overflows once ticks pass 2^63 / 10^6 (about 2.5 hours
    // at a nanosecond counter); splitting off whole seconds gives the same truncated value.
    const int64_t ticks = nowCounter - lastCounter;
    const int64_t microseconds =
        ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
    return static_cast<float>(static_cast<float>(microseconds) / 1000000.0);
}
