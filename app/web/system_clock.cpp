#include "app/frame_clock.h"

#include <emscripten/emscripten.h>

// The page's clock (performance.now()) in whole microseconds. The browser's frame callback
// paces the game, so the thread never sleeps.
namespace {

constexpr int64_t kMicrosecondsPerSecond = 1000000;

int64_t nowMicroseconds()
{
    return static_cast<int64_t>(emscripten_get_now() * 1000.0);
}

} // namespace

SystemClock::SystemClock() = default;
SystemClock::~SystemClock() = default;

int64_t SystemClock::counter()
{
    return nowMicroseconds();
}

int64_t SystemClock::frequency()
{
    return kMicrosecondsPerSecond;
}

// The frame loop never calls this here (canSleep() is false); a caller that does still gets
// a millisecond, spent waiting, since a browser's main thread cannot block.
void SystemClock::sleepOneMillisecond()
{
    const int64_t end = nowMicroseconds() + 1000;
    while (nowMicroseconds() < end) {
    }
}

bool SystemClock::canSleep() const
{
    return false;
}
