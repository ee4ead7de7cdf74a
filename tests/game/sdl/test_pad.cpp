#include "tests/game/test_pad.h"
#include "tests/support/sdl/virtual_pad.h"

namespace {

class SdlTestPad final : public TestPad {
public:
    void holdStickLeft(bool held) override
    {
        pad.axis(SDL_CONTROLLER_AXIS_LEFTX, held ? -32768 : 0);
    }
    void holdStart(bool held) override { pad.button(SDL_CONTROLLER_BUTTON_START, held); }
    VirtualPad pad;
};

} // namespace

std::unique_ptr<TestPad> TestPad::plugIn()
{
    auto pad = std::make_unique<SdlTestPad>();
    if (!pad->pad.plugged())
        return nullptr;
    return pad;
}
