#pragma once

#include <cstdint>

// The high-resolution counter and the one-millisecond sleep the frame loop runs on.
class FrameClock {
public:
    virtual ~FrameClock() = default;
    virtual int64_t counter() = 0;
    virtual int64_t frequency() = 0;
    virtual void sleepOneMillisecond() = 0;
};

// The platform's counter and sleep.
class SystemClock final : public FrameClock {
public:
    int64_t counter() override;
    int64_t frequency() override;
    void sleepOneMillisecond() override;
};

// Seconds between two counter readings, as a whole number of microseconds: the tick
// difference times 1000000 divided by the frequency (truncating), then as float seconds.
// Computed without 64-bit overflow for any difference.
float frameSeconds(int64_t lastCounter, int64_t nowCounter, int64_t frequency);
