#include "input/game_pads.h"

GamePads gamePads;

int GamePads::poll()
{
    pads_ = PadSet();
    reader_(pads_);
    const bool pressed = pads_.start() && !startHeld_;
    startHeld_ = pads_.start();
    return pressed ? 1 : 0;
}
