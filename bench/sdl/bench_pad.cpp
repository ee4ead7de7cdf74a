#include "bench/bench_pad.h"
#include "tests/support/sdl/virtual_pad.h"

namespace {

class SdlBenchPad final : public BenchPad {
public:
    void play(int frame) override
    {
        pad.axis(SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>((frame * 997) % 65536 - 32768));
        pad.button(SDL_CONTROLLER_BUTTON_A, frame % 2 == 0);
    }
    VirtualPad pad;
};

} // namespace

std::unique_ptr<BenchPad> BenchPad::plugIn()
{
    auto pad = std::make_unique<SdlBenchPad>();
    if (!pad->pad.plugged())
        return nullptr;
    return pad;
}

void pumpPadEvents()
{
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void printPlatformPadFigures() { }
