#pragma once

#include "tools/loudness/recording.h"

// Where a recording comes nearest to repeating itself: the largest normalised correlation
// of its mono sum with itself shifted by a lag, over the frames the two overlap,
//   r(lag) = sum x[t] x[t + lag] / sqrt(sum x[t]^2 * sum x[t + lag]^2),
// 1 for an exact repeat. A loop heard again and again reads close to 1 at its length;
// sounds that never repeat, well under it.
struct Repeat {
    double correlation = 0.0;
    double lagSeconds = 0.0;
};

// Every lag from minLagSeconds to maxLagSeconds whose overlap is at least minOverlapSeconds.
Repeat strongestRepeat(const Recording& recording, double minLagSeconds, double maxLagSeconds,
                       double minOverlapSeconds);
