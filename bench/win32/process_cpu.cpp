#include "bench/process_cpu.h"

#include <windows.h>

double processCpuMilliseconds()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    const auto hundredsOfNs = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (hundredsOfNs(kernel) + hundredsOfNs(user)) / 1e4;
}
