#pragma once

// The waveOut calls the Windows sound output goes through. A test replaces them with a device
// of its own, to play one that misbehaves in ways no real device can be made to on demand.
#include <windows.h>
#include <mmsystem.h>

struct WaveOutFunctions {
    decltype(&waveOutOpen) open;
    decltype(&waveOutPrepareHeader) prepareHeader;
    decltype(&waveOutWrite) write;
    decltype(&waveOutReset) reset;
    decltype(&waveOutUnprepareHeader) unprepareHeader;
    decltype(&waveOutClose) close;
};

// Tests: outputs opened from now on go through `functions` (not owned; it must outlive them);
// null goes back to the system's.
void useWaveOutFunctions(const WaveOutFunctions* functions);
