// The entry function of the Windows program. The game takes no arguments, but runGame gets
// the process's command line all the same, as the C runtime split it. The window takes the
// instance from GetModuleHandle, so the arguments of WinMain are not needed here.
#include "main/game_main.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return runGame(__argc, __argv);
}
