// The pads through SDL's game-controller subsystem: every device SDL knows as a game
// controller (its mapping database, SDL_GAMECONTROLLERCONFIG and the like, as SDL reads them)
// is opened when SDL announces it and closed when SDL says it is gone.
#include "input/pad_reading.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

class SdlPads {
public:
    void read(PadSet& pads)
    {
        if (!started_)
            start();
        if (!available_)
            return;
        if (devicesChanged_.exchange(false))
            followDevices();
        for (SDL_GameController* controller : open_)
            pads.add(reading(controller));
    }

private:
    // The subsystem starts on the first read. The watch goes in first, so the announcements of
    // the pads already plugged in are seen too. Without the subsystem there is no pad.
    // SDL drops a pad's input while none of its windows has the focus; the input device reads
    // its keys whatever has the focus, and so it reads the pads (the environment variable of
    // the hint still decides when a player sets it).
    void start()
    {
        started_ = true;
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        SDL_AddEventWatch(onEvent, this);
        available_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        devicesChanged_ = true;
    }

    // Runs where SDL announces the device (any thread): it only notes the change, and the next
    // read opens and closes on the main thread.
    static int SDLCALL onEvent(void* data, SDL_Event* event)
    {
        if (event->type == SDL_CONTROLLERDEVICEADDED || event->type == SDL_CONTROLLERDEVICEREMOVED)
            static_cast<SdlPads*>(data)->devicesChanged_ = true;
        return 0;
    }

    void followDevices()
    {
        std::erase_if(open_, [](SDL_GameController* controller) {
            if (SDL_GameControllerGetAttached(controller))
                return false;
            SDL_GameControllerClose(controller);
            return true;
        });
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (!SDL_IsGameController(index))
                continue;
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
            const bool known = std::any_of(open_.begin(), open_.end(), [id](SDL_GameController* c) {
                return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id;
            });
            if (known)
                continue;
            if (SDL_GameController* controller = SDL_GameControllerOpen(index))
                open_.push_back(controller);
        }
    }

    // The state SDL keeps from its last event pump. SDL's y axis points down.
    static PadReading reading(SDL_GameController* controller)
    {
        const auto button = [controller](SDL_GameControllerButton which) {
            return SDL_GameControllerGetButton(controller, which) != 0;
        };
        PadReading pad;
        pad.stickX =
            axisFromInt16(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
        pad.stickY =
            -axisFromInt16(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
        pad.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        pad.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        pad.dpadUp = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
        pad.dpadDown = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        pad.south = button(SDL_CONTROLLER_BUTTON_A);
        pad.north = button(SDL_CONTROLLER_BUTTON_Y);
        pad.start = button(SDL_CONTROLLER_BUTTON_START);
        return pad;
    }

    bool started_ = false;
    bool available_ = false;
    std::atomic<bool> devicesChanged_ = false;
    std::vector<SDL_GameController*> open_;
};

} // namespace

void readPlatformPads(PadSet& pads)
{
    static SdlPads sdlPads;
    sdlPads.read(pads);
}
