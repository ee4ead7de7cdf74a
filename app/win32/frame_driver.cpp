#include "app/frame_driver.h"

int runFrameLoop(std::function<bool()> pass, std::function<int()> finish)
{
    while (pass()) {
    }
    return finish();
}
