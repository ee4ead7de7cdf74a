// The pads through the page's Gamepad API. Only pads the browser maps the "standard" way are
// read (button 0 South, 3 North, 9 Start, 12 to 15 the d-pad; axes 0 and 1 the left stick,
// y down): other mappings number their buttons as they like.
#include "input/pad_reading.h"

#include <emscripten/html5.h>

#include <cstring>

namespace {

class BrowserPads {
public:
    BrowserPads()
    {
        emscripten_set_gamepadconnected_callback(this, EM_FALSE, onConnection);
        emscripten_set_gamepaddisconnected_callback(this, EM_FALSE, onConnection);
    }

    // The pads are sampled only while one is connected, as the last sampling found after the
    // page's latest connect or disconnect: with none, nothing is asked of the browser.
    void read(PadSet& pads)
    {
        if (!anyConnected_ && !changed_)
            return;
        changed_ = false;
        anyConnected_ = false;
        if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
            return;
        // The number of slots, empty ones (pads gone) included.
        const int slots = emscripten_get_num_gamepads();
        for (int slot = 0; slot < slots; ++slot) {
            if (emscripten_get_gamepad_status(slot, &state_) != EMSCRIPTEN_RESULT_SUCCESS ||
                !state_.connected)
                continue;
            anyConnected_ = true;
            if (std::strcmp(state_.mapping, "standard") == 0)
                pads.add(reading(state_));
        }
    }

private:
    static EM_BOOL onConnection(int, const EmscriptenGamepadEvent*, void* data)
    {
        static_cast<BrowserPads*>(data)->changed_ = true;
        return EM_FALSE;
    }

    static PadReading reading(const EmscriptenGamepadEvent& pad)
    {
        const auto button = [&pad](int index) {
            return index < pad.numButtons && pad.digitalButton[index] != 0;
        };
        const auto axis = [&pad](int index) {
            return index < pad.numAxes ? static_cast<float>(pad.axis[index]) : 0.0f;
        };
        PadReading reading;
        reading.stickX = axis(0);
        reading.stickY = -axis(1);
        reading.south = button(0);
        reading.north = button(3);
        reading.start = button(9);
        reading.dpadUp = button(12);
        reading.dpadDown = button(13);
        reading.dpadLeft = button(14);
        reading.dpadRight = button(15);
        return reading;
    }

    // The first read samples once: a pad may have been announced before the callbacks were set.
    bool changed_ = true;
    bool anyConnected_ = false;
    // Large (the API's fixed arrays): kept here rather than on the stack of every read.
    EmscriptenGamepadEvent state_{};
};

} // namespace

void readPlatformPads(PadSet& pads)
{
    static BrowserPads browserPads;
    browserPads.read(pads);
}
