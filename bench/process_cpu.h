#pragma once

// The processor time the whole process has used so far, every thread of it (the GL
// driver's included), in milliseconds, from the platform's own accounting (bench/<platform>/).
// Unlike a clock on the wall, it barely moves with what other processes do on the machine.
double processCpuMilliseconds();
