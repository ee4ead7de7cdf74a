#include "app/frame_clock.h"

#include <SDL2/SDL_timer.h>

SystemClock::SystemClock() = default;
SystemClock::~SystemClock() = default;

int64_t SystemClock::counter()
{
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

int64_t SystemClock::frequency()
{
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}

void SystemClock::sleepOneMillisecond()
{
    SDL_Delay(1);
}

bool SystemClock::canSleep() const
{
    return true;
}
