#include "app/frame_driver.h"

#include "diag/diagnostics.h"

#include <emscripten/emscripten.h>

#include <utility>

namespace {

// The two functions live on the heap while the browser calls the frame callback; the last
// callback releases them, and with them the game they share.
struct Driver {
    std::function<bool()> pass;
    std::function<int()> finish;
};

void onAnimationFrame(void* argument)
{
    auto* driver = static_cast<Driver*>(argument);
    if (driver->pass())
        return;
    emscripten_cancel_main_loop();
    const int code = driver->finish();
    delete driver;
    diagOutf("The game has ended (exit code %d)", code);
}

} // namespace

// One pass per animation frame (fps 0 = requestAnimationFrame). The call returns at once
// with 0: the page keeps running the passes after the entry function has returned.
int runFrameLoop(std::function<bool()> pass, std::function<int()> finish)
{
    auto* driver = new Driver{std::move(pass), std::move(finish)};
    emscripten_set_main_loop_arg(onAnimationFrame, driver, 0, 0);
    return 0;
}
