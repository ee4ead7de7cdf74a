#include "tests/support/sdl/virtual_pad.h"

VirtualPad::VirtualPad()
{
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "virtual test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0)
        joystick_ = SDL_JoystickOpen(index);
}

void VirtualPad::axis(SDL_GameControllerAxis which, Sint16 value)
{
    SDL_JoystickSetVirtualAxis(joystick_, which, value);
}

void VirtualPad::button(SDL_GameControllerButton which, bool down)
{
    SDL_JoystickSetVirtualButton(joystick_, which, down ? 1 : 0);
}

void VirtualPad::unplug()
{
    if (joystick_ == nullptr)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        if (SDL_JoystickGetDeviceInstanceID(index) == id)
            SDL_JoystickDetachVirtual(index);
}
