#pragma once

// The whole life of the game on any platform, from the command line to the exit code; the
// platform's own entry function calls it.
int runGame(int argc, char** argv);
