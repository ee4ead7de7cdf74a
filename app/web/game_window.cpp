#include "app/game_window.h"

#include "app/message_box.h"
#include "diag/diagnostics.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

// The window is the page's canvas (id "canvas") with a WebGL 1 context. The browser calls
// the event callbacks between frames; they only note what happened, and pumpMessages
// applies it at the start of the next pass, as a desktop message pump would. The page hears
// of every change of the pause through Module.onPauseState(paused) when it has one.

namespace {

constexpr const char* kCanvas = "#canvas";

// A page may go full screen only from a player's gesture: the full screen the player chose in
// an earlier visit is asked for on the first key (Escape aside, which grants no gesture), tap
// or click, through the page's own control (Module.requestGameFullScreen, which knows what
// the page puts full screen). A page without that hook stays as it is.
// clang-format off
EM_JS(void, zorbelFullScreenOnGesture, (int on), {
    var names = ['keydown', 'mousedown', 'pointerdown', 'touchend'];
    var disarm = function() {
        var armed = Module.zorbelFullScreenGesture;
        if (!armed) return;
        names.forEach(function(name) { window.removeEventListener(name, armed, true); });
        delete Module.zorbelFullScreenGesture;
    };
    disarm();
    if (!on) return;
    var enter = function(event) {
        if (event.type == 'keydown' && event.key == 'Escape') return;
        disarm();
        if (!document.fullscreenElement && Module.requestGameFullScreen)
            Module.requestGameFullScreen();
    };
    names.forEach(function(name) { window.addEventListener(name, enter, true); });
    Module.zorbelFullScreenGesture = enter;
});
// clang-format on

// The Escape presses of the one window while it is open, where the page's pause button adds
// its presses.
int* pagePausePresses = nullptr;

// clang-format off
EM_JS(void, zorbelTellPaused, (int paused), {
    if (Module.onPauseState) Module.onPauseState(paused != 0);
});
// clang-format on

} // namespace

// The page's pause button: one press of Escape.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelPausePress()
{
    if (pagePausePresses != nullptr)
        ++*pagePausePresses;
}

struct GameWindow::Platform {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    bool callbacksSet = false;
    // Fixed drawing-buffer size (offscreen use); otherwise the canvas follows its CSS box.
    int fixedWidth = 0;
    int fixedHeight = 0;
    int width = 0;
    int height = 0;

    int escapePresses = 0;
    bool sizeChanged = false;
    bool contextLost = false;
    // A hidden tab pauses the game; once visible again one pass runs still paused, so the
    // first frame after the return is measured from that pass and not from the hiding.
    bool hidden = false;
    bool pausedForHiding = false;
    int passesBeforeResume = 0;
    // What the page was last told.
    bool toldPaused = false;

    void tellPause(const GameWindow& owner)
    {
        if (toldPaused == !owner.active_)
            return;
        toldPaused = !owner.active_;
        zorbelTellPaused(toldPaused ? 1 : 0);
    }

    // Sets the drawing buffer to the size the page shows the canvas at, in device pixels,
    // and tells the listener when it changed (always on the first call).
    void fitCanvas(GameWindow& owner, bool first)
    {
        int w = fixedWidth;
        int h = fixedHeight;
        if (w == 0 || h == 0) {
            double cssWidth = 0.0;
            double cssHeight = 0.0;
            emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
            const double ratio = emscripten_get_device_pixel_ratio();
            w = std::max(1, static_cast<int>(std::lround(cssWidth * ratio)));
            h = std::max(1, static_cast<int>(std::lround(cssHeight * ratio)));
        }
        if (!first && w == width && h == height)
            return;
        width = w;
        height = h;
        emscripten_set_canvas_element_size(kCanvas, w, h);
        owner.reportSize(w, h);
    }

    static EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void* data)
    {
        if (std::strcmp(event->code, "Escape") != 0)
            return EM_FALSE;
        ++static_cast<Platform*>(data)->escapePresses;
        return EM_TRUE;
    }

    static EM_BOOL onResize(int, const EmscriptenUiEvent*, void* data)
    {
        static_cast<Platform*>(data)->sizeChanged = true;
        return EM_FALSE;
    }

    // Full screen is the page's to enter and leave (its control, the browser's Escape): the
    // window only follows.
    static EM_BOOL onFullScreenChange(int, const EmscriptenFullscreenChangeEvent* event, void* data)
    {
        static_cast<GameWindow*>(data)->fullScreen_ = event->isFullscreen != 0;
        return EM_FALSE;
    }

    static EM_BOOL onContextLost(int, const void*, void* data)
    {
        static_cast<Platform*>(data)->contextLost = true;
        return EM_TRUE;
    }

    // Called with the owner: hiding must pause at once, since no pass runs while hidden.
    static EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void* data)
    {
        auto* owner = static_cast<GameWindow*>(data);
        Platform& p = *owner->platform_;
        p.hidden = event->hidden != 0;
        if (p.hidden && owner->active_) {
            owner->active_ = false;
            p.pausedForHiding = true;
        }
        if (!p.hidden && p.pausedForHiding)
            p.passesBeforeResume = 1;
        p.tellPause(*owner);
        return EM_FALSE;
    }

    // Leaving the window (another window or tab takes the focus) pauses too, but the player
    // resumes: a hidden tab's automatic resume no longer applies either.
    static EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void* data)
    {
        auto* owner = static_cast<GameWindow*>(data);
        Platform& p = *owner->platform_;
        p.pausedForHiding = false;
        owner->active_ = false;
        p.tellPause(*owner);
        return EM_FALSE;
    }

    void setCallbacks(GameWindow& owner, bool on)
    {
        void* self = on ? this : nullptr;
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_FALSE,
                                        on ? onKeyDown : nullptr);
        emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_FALSE,
                                       on ? onResize : nullptr);
        emscripten_set_webglcontextlost_callback(kCanvas, self, EM_FALSE,
                                                 on ? onContextLost : nullptr);
        emscripten_set_visibilitychange_callback(on ? &owner : nullptr, EM_FALSE,
                                                 on ? onVisibilityChange : nullptr);
        emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT,
                                                 on ? &owner : nullptr, EM_FALSE,
                                                 on ? onFullScreenChange : nullptr);
        // Not offscreen, where tools step the game whatever has the focus. NOTE: removing it
        // also removes the key source's blur callback on the window; that happens only once
        // the game has ended.
        if (!owner.offscreen_)
            emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, on ? &owner : nullptr,
                                         EM_FALSE, on ? onBlur : nullptr);
        pagePausePresses = on ? &escapePresses : nullptr;
        callbacksSet = on;
    }
};

GameWindow::GameWindow() : platform_(std::make_unique<Platform>()) { }

GameWindow::~GameWindow()
{
    destroy();
}

// A WebGL 1 context: OpenGL ES 2.0, the counterpart of the legacy 2.1 path, so no 3.0
// request is made. Colour without alpha (the page must not show through), a depth buffer,
// no stencil, no multisampling, as the desktop pixel format asks. Full screen comes with the
// player's first gesture, when the page can go full screen.
bool GameWindow::create(int width, int height, int, bool fullScreen)
{
    Platform& p = *platform_;
    fullScreen_ = false;
    if (offscreen_) {
        p.fixedWidth = width;
        p.fixedHeight = height;
    }

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    p.context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (p.context <= 0) {
        diagErrf("WebGL is not available on the canvas \"%s\" (error %d)", kCanvas,
                 static_cast<int>(p.context));
        p.context = 0;
        return false;
    }
    emscripten_webgl_make_context_current(p.context);
    legacyContext_ = true;
    running_ = true;
    p.setCallbacks(*this, true);
    p.fitCanvas(*this, true);
    if (fullScreen && !offscreen_)
        zorbelFullScreenOnGesture(1);
    return true;
}

void GameWindow::pumpMessages()
{
    Platform& p = *platform_;
    // A pad's Start goes the way of Escape, ending a pause for a hidden tab too.
    if (padStartWentDown())
        ++p.escapePresses;
    for (; p.escapePresses > 0; --p.escapePresses) {
        // The player decides from here: no automatic resume after a hidden tab.
        p.pausedForHiding = false;
        toggleActive();
    }
    if (p.pausedForHiding && !p.hidden) {
        if (p.passesBeforeResume > 0) {
            --p.passesBeforeResume;
        } else {
            p.pausedForHiding = false;
            active_ = true;
        }
    }
    p.tellPause(*this);
    if (p.sizeChanged) {
        p.sizeChanged = false;
        p.fitCanvas(*this, false);
    }
    if (p.contextLost && running_) {
        running_ = false;
        showNoticeBox("The browser took the WebGL context away; reload the page to play again.");
    }
}

// The browser shows what was drawn when the frame callback returns.
void GameWindow::present() { }

void GameWindow::close() { }

void* GameWindow::glProcAddress(const char* name)
{
    return emscripten_webgl1_get_proc_address(name);
}

void GameWindow::destroy()
{
    Platform& p = *platform_;
    running_ = false;
    if (p.callbacksSet) {
        p.setCallbacks(*this, false);
        zorbelFullScreenOnGesture(0);
    }
    if (p.context != 0) {
        emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(p.context);
        p.context = 0;
    }
}
