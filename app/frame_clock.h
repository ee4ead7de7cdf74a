#pragma once

#include <cstdint>

// The high-resolution counter and the one-millisecond sleep the frame loop runs on.
class FrameClock {
public:
    virtual ~FrameClock() = default;
    virtual int64_t counter() = 0;
    virtual int64_t frequency() = 0;
    virtual void sleepOneMillisecond() = 0;
    // False where the thread must never block (a browser's frame callback): the frame loop
    // then waits for the next callback instead of sleeping.
    virtual bool canSleep() const { return true; }
};

// The platform's counter and sleep, defined by the backend. Constructed before the frame
// loop starts and destroyed after it ends (a backend may change the system timer meanwhile).
class SystemClock final : public FrameClock {
public:
    SystemClock();
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    int64_t counter() override;
    int64_t frequency() override;
    void sleepOneMillisecond() override;
    bool canSleep() const override;
};

// Seconds between two counter readings, as a whole number of microseconds: the tick
// difference times 1000000 divided by the frequency (truncating), then as float seconds.
// Computed without 64-bit overflow for any difference.
float frameSeconds(int64_t lastCounter, int64_t nowCounter, int64_t frequency);
