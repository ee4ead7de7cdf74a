#pragma once

#include <functional>

// Drives the frame loop the way the platform wants it driven: `pass` runs once per frame
// until it returns false, then `finish` runs once and gives the exit code. On the desktop
// this is a plain loop and the call returns finish's code; in a browser the passes run in
// the browser's frame callback, so the call returns 0 at once and the functions live on.
int runFrameLoop(std::function<bool()> pass, std::function<int()> finish);
