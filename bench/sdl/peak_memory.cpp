#include "bench/peak_memory.h"

#include <sys/resource.h>

double peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // reported in KiB
}
