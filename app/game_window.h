#pragma once

#include "app/size_listener.h"

#include <functional>
#include <memory>
#include <utility>

// The one window with its OpenGL context. This header is the same on every platform; the
// backend folder of the build (app/sdl/, app/win32/, app/web/) defines the members and keeps
// its own handles in GameWindow::Platform.
//
// Lifetime of the context: created by create() and kept current until the window object
// is destroyed, even after a close request. The entry function destroys the scene before
// the window, so every GL release of the scene runs with the context still current.
class GameWindow {
public:
    GameWindow();
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Not owned; must outlive the window's use of it.
    void setSizeListener(SizeListener* listener) { sizeListener_ = listener; }
    SizeListener* sizeListener() const { return sizeListener_; }

    // Reads the game pads once per pump, after the window's events, and answers whether Start
    // went down since the last read; a press toggles the pause exactly as an Escape key-down
    // does. Without it no pad is read.
    void setPadPoll(std::function<bool()> poll) { padPoll_ = std::move(poll); }

    // Tools and tests: make the window and its context without showing anything on a
    // display (SDL's offscreen driver, a Win32 window that is never shown). Before create().
    void setOffscreen(bool offscreen) { offscreen_ = offscreen; }

    // Opens the window (title "QUIX 5 Zorbel") with a GL 3.0 context, or a legacy one when
    // 3.0 cannot be had, makes it current, sets running, and reports the drawable size to
    // the listener before returning. False when no window or no context could be made.
    bool create(int width, int height, int bitsPerPixel, bool fullScreen);

    bool running() const { return running_; }
    // False while paused; Escape toggles it on every key-down, auto-repeat included, and a
    // pad's Start on every press.
    bool active() const { return active_; }
    bool fullScreen() const { return fullScreen_; }
    // True when the 3.0 request failed and the legacy context is in use.
    bool legacyContext() const { return legacyContext_; }

    // Handles every pending event (close requests, size changes, Escape), then polls the pads.
    void pumpMessages();
    // Swaps the back buffer to the screen.
    void present();
    // Leaves full screen (restoring the desktop mode and the cursor); nothing when windowed.
    void close();

    // The window's GL entry-point lookup (for fetchGlFunctions). Null for a missing name.
    static void* glProcAddress(const char* name);

private:
    // The backend's handles and event handling; defined by the backend, which may use
    // every member below.
    struct Platform;

    // What every backend does with the events it translates.
    void toggleActive() { active_ = !active_; }
    bool padStartWentDown() { return padPoll_ && padPoll_(); }
    void reportSize(int width, int height)
    {
        if (sizeListener_ != nullptr)
            sizeListener_->resize(width, height);
    }
    void destroy();

    bool active_ = true;
    SizeListener* sizeListener_ = nullptr;
    std::function<bool()> padPoll_;
    bool running_ = false;
    bool fullScreen_ = false;
    bool legacyContext_ = false;
    bool offscreen_ = false;
    std::unique_ptr<Platform> platform_;
};
