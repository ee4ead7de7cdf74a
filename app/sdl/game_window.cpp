#include "app/game_window.h"

#include "app/message_box.h"
#include "diag/diagnostics.h"

#define SDL_MAIN_HANDLED
#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>
#include <SDL2/SDL_syswm.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTitle = "QUIX 5 Zorbel";

// SDL quietly falls back to a driver that shows nothing when there is no display. The
// game must not run invisibly, so such a driver is accepted only when it was asked for.
bool invisibleDriverNotRequested()
{
    const char* current = SDL_GetCurrentVideoDriver();
    if (current == nullptr)
        return true;
    if (std::strcmp(current, "offscreen") != 0 && std::strcmp(current, "dummy") != 0)
        return false;
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (requested == nullptr)
        requested = std::getenv("SDL_VIDEODRIVER");
    return requested == nullptr || SDL_strcasecmp(requested, current) != 0;
}

// 32-bit colour as 8 bits per channel, no alpha, 16-bit depth, no stencil, double buffer.
void setPixelFormat(int bitsPerPixel)
{
    const int channel = bitsPerPixel >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// Whether full screen asked for now would be granted. On X11 a window manager grants it, and
// without one (a bare X server) the window would keep its size while SDL takes it for the
// size of the display mode, so the picture would be drawn for the wrong size: the window
// manager announces itself on the root window (_NET_SUPPORTING_WM_CHECK). Other video
// systems grant it themselves.
bool fullScreenCanBeGranted(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return true;
    Display* display = info.info.x11.display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* value = nullptr;
    const bool announced =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &value) == Success &&
        type == XA_WINDOW && count == 1;
    if (value != nullptr)
        XFree(value);
    return announced;
}

} // namespace

struct GameWindow::Platform {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool videoStarted = false;
    // The window's place and size while it is not full screen, restored when leaving it.
    SDL_Rect windowed{};

    void reportDrawableSize(GameWindow& owner) const
    {
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
        owner.reportSize(drawableWidth, drawableHeight);
    }

    // F11: full screen in the display mode of the window's size (as --fullscreen asks), or
    // back to the window where it was. Where full screen cannot be granted the box says so
    // and the game plays on in its window.
    void toggleFullScreen(GameWindow& owner)
    {
        if (!owner.fullScreen_) {
            SDL_GetWindowPosition(window, &windowed.x, &windowed.y);
            SDL_GetWindowSize(window, &windowed.w, &windowed.h);
            if (!fullScreenCanBeGranted(window) ||
                SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
                showNoticeBox("Display mode failed");
                return;
            }
            owner.fullScreen_ = true;
            SDL_ShowCursor(SDL_DISABLE);
        } else {
            SDL_SetWindowFullscreen(window, 0);
            SDL_SetWindowSize(window, windowed.w, windowed.h);
            SDL_SetWindowPosition(window, windowed.x, windowed.y);
            owner.fullScreen_ = false;
            SDL_ShowCursor(SDL_ENABLE);
        }
        reportDrawableSize(owner);
    }

    // The size the window really has on the display: a context made current for the first
    // time sets its viewport to it. Without a window manager to grant full screen, the window
    // keeps its windowed size while SDL takes it for the size of the display mode.
    void realSize(int& width, int& height) const
    {
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        width = viewport[2];
        height = viewport[3];
    }
};

GameWindow::GameWindow() : platform_(std::make_unique<Platform>()) { }

GameWindow::~GameWindow()
{
    destroy();
}

bool GameWindow::create(int width, int height, int bitsPerPixel, bool fullScreen)
{
    fullScreen_ = fullScreen;
    Platform& p = *platform_;
    SDL_SetMainReady();
    if (offscreen_)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        diagErrf("Video start-up failed: %s", SDL_GetError());
        return false;
    }
    p.videoStarted = true;
    if (invisibleDriverNotRequested()) {
        diagErrf("No display to show the window on (video driver \"%s\")",
                 SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
        destroy();
        return false;
    }

    SDL_GL_ResetAttributes();
    setPixelFormat(bitsPerPixel);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);

    const Uint32 baseFlags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    p.windowed = SDL_Rect{0, 0, width, height};
    if (fullScreen_) {
        p.window = SDL_CreateWindow(kTitle, 0, 0, width, height, baseFlags | SDL_WINDOW_FULLSCREEN);
        if (p.window == nullptr) {
            showNoticeBox("Display mode failed");
            fullScreen_ = false;
        }
    }
    if (p.window == nullptr)
        p.window = SDL_CreateWindow(kTitle, 0, 0, width, height, baseFlags | SDL_WINDOW_SHOWN);
    if (p.window == nullptr) {
        diagErrf("Window creation failed: %s", SDL_GetError());
        destroy();
        return false;
    }

    p.context = SDL_GL_CreateContext(p.window);
    if (p.context == nullptr) {
        // No 3.0 context on this driver (the request is missing or refused): the legacy
        // context serves, as announced on the console.
        diagOut("OpenGL 3.0 is not supported, falling back to GL 2.1");
        SDL_GL_ResetAttributes();
        setPixelFormat(bitsPerPixel);
        p.context = SDL_GL_CreateContext(p.window);
        legacyContext_ = true;
    }
    if (p.context == nullptr) {
        diagErrf("OpenGL context creation failed: %s", SDL_GetError());
        destroy();
        return false;
    }
    SDL_GL_MakeCurrent(p.window, p.context);
    if (fullScreen_) {
        int realWidth = 0;
        int realHeight = 0;
        int drawableWidth = 0;
        int drawableHeight = 0;
        p.realSize(realWidth, realHeight);
        SDL_GL_GetDrawableSize(p.window, &drawableWidth, &drawableHeight);
        const bool measured = realWidth > 0 && realHeight > 0;
        if (measured && (realWidth != drawableWidth || realHeight != drawableHeight)) {
            // Full screen was not granted: the game plays in its window, and SDL is told the
            // size that window has (leaving full screen alone keeps the display mode's).
            showNoticeBox("Display mode failed");
            SDL_SetWindowFullscreen(p.window, 0);
            SDL_SetWindowSize(p.window, realWidth, realHeight);
            fullScreen_ = false;
        }
    }
    if (fullScreen_)
        SDL_ShowCursor(SDL_DISABLE);
    running_ = true;

    p.reportDrawableSize(*this);
    return true;
}

void GameWindow::pumpMessages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT: running_ = false; break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                running_ = false;
            } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                platform_->reportDrawableSize(*this);
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE)
                toggleActive();
            else if (event.key.keysym.sym == SDLK_F11 && event.key.repeat == 0)
                platform_->toggleFullScreen(*this);
            break;
        default: break;
        }
    }
    // After the events: SDL has brought the pads' state up to date while pumping them.
    if (padStartWentDown())
        toggleActive();
}

void GameWindow::present()
{
    if (platform_->window != nullptr)
        SDL_GL_SwapWindow(platform_->window);
}

void GameWindow::close()
{
    if (fullScreen_ && platform_->window != nullptr) {
        SDL_SetWindowFullscreen(platform_->window, 0);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

void* GameWindow::glProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

void GameWindow::destroy()
{
    Platform& p = *platform_;
    running_ = false;
    if (p.context != nullptr) {
        SDL_GL_MakeCurrent(p.window, nullptr);
        SDL_GL_DeleteContext(p.context);
        p.context = nullptr;
    }
    if (p.window != nullptr) {
        SDL_DestroyWindow(p.window);
        p.window = nullptr;
    }
    if (p.videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        p.videoStarted = false;
    }
}
