#include "app/game_window.h"

#include "app/message_box.h"

#define SDL_MAIN_HANDLED
#include <SDL2/SDL.h>

#include <cstdio>
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

} // namespace

GameWindow::GameWindow() = default;

GameWindow::~GameWindow()
{
    destroy();
}

bool GameWindow::create(int width, int height, int bitsPerPixel, bool fullScreen)
{
    fullScreen_ = fullScreen;
    SDL_SetMainReady();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Video start-up failed: %s\n", SDL_GetError());
        return false;
    }
    videoStarted_ = true;
    if (invisibleDriverNotRequested()) {
        std::fprintf(stderr, "No display to show the window on (video driver \"%s\")\n",
                     SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
        destroy();
        return false;
    }

    SDL_GL_ResetAttributes();
    setPixelFormat(bitsPerPixel);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);

    const Uint32 baseFlags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    if (fullScreen_) {
        window_ = SDL_CreateWindow(kTitle, 0, 0, width, height, baseFlags | SDL_WINDOW_FULLSCREEN);
        if (window_ == nullptr) {
            showNoticeBox("Display mode failed");
            fullScreen_ = false;
        } else {
            SDL_ShowCursor(SDL_DISABLE);
        }
    }
    if (window_ == nullptr)
        window_ = SDL_CreateWindow(kTitle, 0, 0, width, height, baseFlags | SDL_WINDOW_SHOWN);
    if (window_ == nullptr) {
        std::fprintf(stderr, "Window creation failed: %s\n", SDL_GetError());
        destroy();
        return false;
    }

    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
        // No 3.0 context on this driver (the request is missing or refused): the legacy
        // context serves, as announced on the console.
        std::printf("OpenGL 3.0 is not supported, falling back to GL 2.1\n");
        std::fflush(stdout);
        SDL_GL_ResetAttributes();
        setPixelFormat(bitsPerPixel);
        context_ = SDL_GL_CreateContext(window_);
        legacyContext_ = true;
    }
    if (context_ == nullptr) {
        std::fprintf(stderr, "OpenGL context creation failed: %s\n", SDL_GetError());
        destroy();
        return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    running_ = true;

    if (sizeListener_ != nullptr) {
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
        sizeListener_->resize(drawableWidth, drawableHeight);
    }
    return true;
}

void GameWindow::pumpMessages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            running_ = false;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                running_ = false;
            } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && sizeListener_) {
                int drawableWidth = 0;
                int drawableHeight = 0;
                SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
                sizeListener_->resize(drawableWidth, drawableHeight);
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE)
                active_ = !active_;
            break;
        default:
            break;
        }
    }
}

void GameWindow::present()
{
    if (window_ != nullptr)
        SDL_GL_SwapWindow(window_);
}

void GameWindow::close()
{
    if (fullScreen_ && window_ != nullptr) {
        SDL_SetWindowFullscreen(window_, 0);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

void* GameWindow::glProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

void GameWindow::destroy()
{
    running_ = false;
    if (context_ != nullptr) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
    if (videoStarted_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted_ = false;
    }
}
