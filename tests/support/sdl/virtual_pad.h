#pragma once

#include <SDL2/SDL.h>

// A virtual pad of SDL's game-controller type, plugged in for the life of the object (or until
// unplug()). SDL announces, maps and removes it as it does a real pad; its state reaches the
// readers at the next event pump. Starts SDL's joystick subsystem when it is not running.
class VirtualPad {
public:
    VirtualPad();
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool plugged() const { return joystick_ != nullptr; }
    void axis(SDL_GameControllerAxis which, Sint16 value);
    void button(SDL_GameControllerButton which, bool down);
    void unplug();

private:
    SDL_Joystick* joystick_ = nullptr;
};
