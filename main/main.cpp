// The entry function where the platform starts programs at main (Linux, browsers).
#include "main/game_main.h"

int main(int argc, char** argv)
{
    return runGame(argc, argv);
}
