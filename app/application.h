#pragma once

#include "app/frame_clock.h"

#include <functional>
#include <memory>
#include <string>

// What start-up does between creating the window and initialising the scene: fetch the GL
// entry points (returning the name of a missing one, or an empty string) and set the fixed
// render state. Tests replace both.
struct GlStartup {
    std::function<std::string()> fetchEntryPoints;
    std::function<void()> setRenderState;
};

// The real steps: the window's lookup, a check of every slot the game calls, and depth test,
// back-face culling, white clear colour, less-or-equal depth, alpha blending, texture unit 0.
GlStartup platformGlStartup();

inline constexpr int kWindowWidth = 1280;
inline constexpr int kWindowHeight = 720;
inline constexpr int kWindowBits = 32;
inline constexpr float kMinimumFrameSeconds = 0.015f;

void reportStartupFailure(const char* text);

// The frame loop, one pass at a time: pump, tell the scene whether it is paused (when it
// listens), measure, hold the 15 ms floor and update and render while active, present on
// every pass. A desktop runs the passes back to back; a
// browser runs one per frame callback.
template <class Window, class Scene>
class FrameLoop {
public:
    // lastCounter: the counter read once the scene's init has returned.
    FrameLoop(Window& window, Scene& scene, FrameClock& clock, int64_t lastCounter)
        : window_(window), scene_(scene), clock_(clock), frequency_(clock.frequency()),
          lastCounter_(lastCounter)
    {
    }

    // One pass. Where the clock cannot sleep and the floor has not been reached yet, the pass
    // stops before updating (nothing drawn, nothing presented, the last counter kept) and the
    // next frame callback measures again.
    void pass()
    {
        window_.pumpMessages();
        // A scene that makes sound hears of the pause on every pass, since no update runs
        // while paused.
        if constexpr (requires { scene_.setPaused(true); })
            scene_.setPaused(!window_.active());
        int64_t now = clock_.counter();
        float frameTime = frameSeconds(lastCounter_, now, frequency_);
        if (window_.active()) {
            while (frameTime < kMinimumFrameSeconds) {
                if (!clock_.canSleep())
                    return;
                clock_.sleepOneMillisecond();
                now = clock_.counter();
                frameTime = frameSeconds(lastCounter_, now, frequency_);
            }
            scene_.update(frameTime);
            scene_.render();
        }
        window_.present();
        lastCounter_ = now;
    }

private:
    Window& window_;
    Scene& scene_;
    FrameClock& clock_;
    const int64_t frequency_;
    int64_t lastCounter_;
};

// Start-up from window creation to the scene's init: 0 when the frame loop may start, else
// the exit code 1 after the failure box and the window's close. The scene is registered as
// size listener here; the caller owns the window and the scene. The window is asked for full
// screen only when the player chose it; it falls back to a window by itself.
template <class Window, class Scene>
int startApplication(Window& window, Scene& scene, const GlStartup& glStartup,
                     bool fullScreen = false)
{
    window.setSizeListener(&scene);
    if (!window.create(kWindowWidth, kWindowHeight, kWindowBits, fullScreen)) {
        reportStartupFailure("Unable to create the OpenGL Window");
        window.close();
        return 1;
    }
    const std::string missing = glStartup.fetchEntryPoints();
    if (!missing.empty()) {
        const std::string text = "Unable to create the OpenGL Window (missing " + missing + ")";
        reportStartupFailure(text.c_str());
        window.close();
        return 1;
    }
    glStartup.setRenderState();
    if (!scene.init()) {
        reportStartupFailure("Could not initialize the application");
        window.close();
        return 1;
    }
    return 0;
}

// After the loop: the scene's shutdown, then the window's close. Returns the exit code 0.
template <class Window, class Scene>
int finishApplication(Window& window, Scene& scene)
{
    scene.shutdown();
    window.close();
    return 0;
}

// The life of the program from window creation to the end of the loop. `drive(pass, finish)`
// runs pass once per frame while it returns true, then finish, and gives the exit code: the
// platform's frame driver, which in a browser returns at once and runs the passes later, so
// the window, the scene and the clock must outlive the passes. The caller destroys the scene
// afterwards, while the window (and so the GL context) still exists. Returns the exit code:
// 0 after a normal end, 1 after a start-up failure.
template <class Window, class Scene, class Drive>
int runApplication(Window& window, Scene& scene, FrameClock& clock, const GlStartup& glStartup,
                   bool fullScreen, Drive&& drive)
{
    if (const int failed = startApplication(window, scene, glStartup, fullScreen); failed != 0)
        return failed;
    // The counter is read once init has returned, so loading time stays out of the first frame.
    auto loop = std::make_shared<FrameLoop<Window, Scene>>(window, scene, clock, clock.counter());
    return drive(
        [loop, &window] {
            loop->pass();
            return window.running();
        },
        [&window, &scene] { return finishApplication(window, scene); });
}
