#include "input/game_pads.h"

GamePads gamePads;

bool GamePads::pollStartWentDown()
{
    pads_ = PadSet();
    reader_(pads_);
    const bool wentDown = pads_.start() && !startHeld_;
    startHeld_ = pads_.start();
    return wentDown;
}
