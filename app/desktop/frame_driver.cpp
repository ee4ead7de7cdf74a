// The frame driver of every desktop backend (SDL and Win32 alike): the passes run back to
// back on the calling thread, and the call returns once finish has given the exit code.
#include "app/frame_driver.h"

int runFrameLoop(std::function<bool()> pass, std::function<int()> finish)
{
    while (pass()) {
    }
    return finish();
}
