#pragma once

#include "app/frame_clock.h"

#include <functional>
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

// Runs the frame loop while the window is running: pump, measure, hold the 15 ms floor and
// update and render while active, present on every pass.
template <class Window, class Scene>
void mainLoop(Window& window, Scene& scene, FrameClock& clock, int64_t lastCounter)
{
    const int64_t frequency = clock.frequency();
    while (window.running()) {
        window.pumpMessages();
        int64_t now = clock.counter();
        float frameTime = frameSeconds(lastCounter, now, frequency);
        if (window.active()) {
            while (frameTime < kMinimumFrameSeconds) {
                clock.sleepOneMillisecond();
                now = clock.counter();
                frameTime = frameSeconds(lastCounter, now, frequency);
            }
            scene.update(frameTime);
            scene.render();
        }
        window.present();
        lastCounter = now;
    }
}

// The life of the program from window creation to the end of the loop. The caller owns the
// window and the scene; the scene is registered as size listener here and destroyed by the
// caller afterwards, while the window (and so the GL context) still exists.
// Returns the exit code: 0 after a normal end, 1 after a start-up failure.
template <class Window, class Scene>
int runApplication(Window& window, Scene& scene, FrameClock& clock, const GlStartup& glStartup)
{
    window.setSizeListener(&scene);
    if (!window.create(kWindowWidth, kWindowHeight, kWindowBits, false)) {
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
    const int64_t start = clock.counter();
    mainLoop(window, scene, clock, start);
    scene.shutdown();
    window.close();
    return 0;
}
