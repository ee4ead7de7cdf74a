// The performance counter and a one-millisecond sleep. Windows wakes sleeping threads on its
// timer tick, 15.6 ms by default, so Sleep(1) alone could hold a frame for about 31 ms instead
// of 15. The clock asks for a 1 ms tick while it exists (the life of the frame loop) and gives
// it back when it goes.
#include "app/frame_clock.h"

#include <windows.h>
#include <timeapi.h>

namespace {

constexpr UINT kTimerMilliseconds = 1;
// Requests granted and not yet given back; each clock gives back its own.
int raisedRequests = 0;

} // namespace

SystemClock::SystemClock()
{
    if (timeBeginPeriod(kTimerMilliseconds) == TIMERR_NOERROR)
        ++raisedRequests;
}

SystemClock::~SystemClock()
{
    if (raisedRequests > 0 && timeEndPeriod(kTimerMilliseconds) == TIMERR_NOERROR)
        --raisedRequests;
}

int64_t SystemClock::counter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t SystemClock::frequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

void SystemClock::sleepOneMillisecond()
{
    Sleep(1);
}

bool SystemClock::canSleep() const
{
    return true;
}
