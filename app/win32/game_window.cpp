// The window on Win32 and WGL: the window class "GLClass", a window whose client area has
// the requested size, a 32-bit double-buffered pixel format, a GL 3.0 context where the
// driver grants one and the legacy context otherwise, and the message handling the frame
// loop relies on.
#include "app/game_window.h"

#include "app/message_box.h"
#include "diag/diagnostics.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstdint>

namespace {

constexpr const char* kClassName = "GLClass";
constexpr const char* kTitle = "QUIX 5 Zorbel";

// Looked up once the legacy context is current, during the creation message; kept for the
// life of the process.
PFNWGLCREATECONTEXTATTRIBSARBPROC createContextAttribs = nullptr;

// Some drivers answer a lookup of a missing function with 1, 2, 3 or -1 instead of null.
void* validProcAddress(PROC address)
{
    const auto value = reinterpret_cast<intptr_t>(address);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1)
        return nullptr;
    return reinterpret_cast<void*>(address);
}

// The program's icon (resource 1 of zorbel.exe) at the size Windows shows for these metrics,
// or the system's application icon in a program without one (the test programs).
HICON programIcon(HINSTANCE instance, int widthMetric, int heightMetric)
{
    const auto icon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(widthMetric),
                   GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
    return icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

// 32-bit colour, 16-bit depth, double buffered, RGBA, main plane; nothing else requested.
// Neither result is acted on: a failure shows up as a context that cannot be made.
void setPixelFormat(HDC deviceContext, int bitsPerPixel)
{
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(bitsPerPixel);
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    const int index = ChoosePixelFormat(deviceContext, &format);
    SetPixelFormat(deviceContext, index, &format);
}

void printFallbackLine()
{
    diagOut("OpenGL 3.0 is not supported, falling back to GL 2.1");
}

} // namespace

struct GameWindow::Platform {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC glContext = nullptr;
    RECT clientRect{};
    WNDCLASSEXA windowClass{};
    bool classRegistered = false;
    bool sizeReported = false;
    int bitsPerPixel = 32;
    // The client size asked for at creation: the display mode full screen asks for.
    int modeWidth = 0;
    int modeHeight = 0;
    // The window's outer rectangle while it is not full screen, restored when leaving it.
    RECT windowedRect{};
    // F11 went down (not a repeat); acted on after the pump, outside the window procedure.
    bool fullScreenToggleAsked = false;

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handleMessage(GameWindow& owner, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam);
    bool createContext(GameWindow& owner, HWND window);
    bool changeDisplayMode() const;
    void toggleFullScreen(GameWindow& owner);
};

// The object pointer travels as the creation parameter and lives in the window's user data
// (pointer-sized, so a 64-bit address stays whole). Messages that arrive before the creation
// message (non-client creation, size limits) find no object and get the default handling.
LRESULT CALLBACK GameWindow::Platform::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                       LPARAM lParam)
{
    GameWindow* owner = nullptr;
    if (message == WM_CREATE) {
        owner = static_cast<GameWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    } else {
        owner = reinterpret_cast<GameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (owner == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return owner->platform_->handleMessage(*owner, window, message, wParam, lParam);
}

LRESULT GameWindow::Platform::handleMessage(GameWindow& owner, HWND window, UINT message,
                                            WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // Without any context the window is of no use: refusing the creation message makes
        // CreateWindowExA fail, so create() reports the failure.
        if (!createContext(owner, window))
            return -1;
        break;
    case WM_SIZE:
        sizeReported = true;
        owner.reportSize(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_CLOSE:
    case WM_DESTROY:
        // The loop ends at its next test. The context stays current until the window object
        // goes, after the scene has released its GL objects.
        owner.running_ = false;
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            owner.toggleActive();
        // Bit 30: the key was already down, so this is an auto-repeat.
        else if (wParam == VK_F11 && (lParam & (1 << 30)) == 0)
            fullScreenToggleAsked = true;
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The legacy context first: wglGetProcAddress answers only while a context is current. Then
// the 3.0 request; where the extension is missing or the driver refuses 3.0, the legacy
// context stays, as the console line says.
bool GameWindow::Platform::createContext(GameWindow& owner, HWND window)
{
    deviceContext = GetDC(window);
    if (deviceContext == nullptr)
        return false;
    // Leaves nothing behind: the context (when one was made) and the device context go.
    const auto giveUp = [&](const char* what, HGLRC context) {
        diagErrf("%s (error %lu)", what, GetLastError());
        if (context != nullptr)
            wglDeleteContext(context);
        ReleaseDC(window, deviceContext);
        deviceContext = nullptr;
        return false;
    };
    setPixelFormat(deviceContext, bitsPerPixel);
    HGLRC legacy = wglCreateContext(deviceContext);
    if (legacy == nullptr || !wglMakeCurrent(deviceContext, legacy))
        return giveUp("OpenGL context creation failed", legacy);
    createContextAttribs = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
        validProcAddress(wglGetProcAddress("wglCreateContextAttribsARB")));
    HGLRC modern = nullptr;
    if (createContextAttribs != nullptr) {
        const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB,
                                  0, 0};
        modern = createContextAttribs(deviceContext, nullptr, attributes);
    }
    if (modern != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(legacy);
        glContext = modern;
    } else {
        printFallbackLine();
        glContext = legacy;
        owner.legacyContext_ = true;
    }
    if (!wglMakeCurrent(deviceContext, glContext)) {
        giveUp("OpenGL context could not be made current", glContext);
        glContext = nullptr;
        return false;
    }
    owner.running_ = true;
    return true;
}

// The display mode of the window's client size at the requested colour depth.
bool GameWindow::Platform::changeDisplayMode() const
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(modeWidth);
    mode.dmPelsHeight = static_cast<DWORD>(modeHeight);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// F11: the display mode and the popup style --fullscreen gives, or back to the desktop's mode
// and the window where it was. Where the mode cannot be set the box says so and the game
// plays on in its window. The size messages of SetWindowPos reach the listener.
void GameWindow::Platform::toggleFullScreen(GameWindow& owner)
{
    const LONG_PTR visible = GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE;
    if (!owner.fullScreen_) {
        GetWindowRect(window, &windowedRect);
        if (!changeDisplayMode()) {
            showNoticeBox("Display mode failed");
            return;
        }
        owner.fullScreen_ = true;
        SetWindowLongPtrA(window, GWL_STYLE,
                          WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | visible);
        SetWindowPos(window, HWND_TOP, 0, 0, modeWidth, modeHeight, SWP_FRAMECHANGED);
        ShowCursor(FALSE);
    } else {
        ChangeDisplaySettingsA(nullptr, 0);
        owner.fullScreen_ = false;
        SetWindowLongPtrA(window, GWL_STYLE,
                          WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | visible);
        const RECT& r = windowedRect;
        SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_FRAMECHANGED | SWP_NOZORDER);
        ShowCursor(TRUE);
    }
}

GameWindow::GameWindow() : platform_(std::make_unique<Platform>())
{
    platform_->instance = GetModuleHandleA(nullptr);
}

GameWindow::~GameWindow()
{
    destroy();
}

bool GameWindow::create(int width, int height, int bitsPerPixel, bool fullScreen)
{
    Platform& p = *platform_;
    fullScreen_ = fullScreen;
    p.bitsPerPixel = bitsPerPixel;
    p.modeWidth = width;
    p.modeHeight = height;
    p.clientRect = RECT{0, 0, width, height};
    // Where F11 puts a window that started full screen: the size and place a window gets.
    p.windowedRect = p.clientRect;
    AdjustWindowRectEx(&p.windowedRect, WS_OVERLAPPEDWINDOW, FALSE,
                       WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
    OffsetRect(&p.windowedRect, -p.windowedRect.left, -p.windowedRect.top);

    p.windowClass = WNDCLASSEXA{};
    p.windowClass.cbSize = sizeof(WNDCLASSEXA);
    p.windowClass.style = CS_HREDRAW | CS_VREDRAW;
    p.windowClass.lpfnWndProc = &Platform::windowProcedure;
    p.windowClass.hInstance = p.instance;
    p.windowClass.hIcon = programIcon(p.instance, SM_CXICON, SM_CYICON);
    p.windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    p.windowClass.lpszClassName = kClassName;
    p.windowClass.hIconSm = programIcon(p.instance, SM_CXSMICON, SM_CYSMICON);
    if (RegisterClassExA(&p.windowClass) == 0) {
        // The class of an earlier window of this process is the same class.
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    } else {
        p.classRegistered = true;
    }

    if (fullScreen_ && !p.changeDisplayMode()) {
        showNoticeBox("Display mode failed");
        fullScreen_ = false;
    }

    DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (fullScreen_) {
        extendedStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    }
    RECT outer = p.clientRect;
    AdjustWindowRectEx(&outer, style, FALSE, extendedStyle);
    p.clientRect = outer;

    // The creation message runs inside this call and makes the context current.
    p.window = CreateWindowExA(0, kClassName, kTitle, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                               0, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                               nullptr, p.instance, this);
    if (p.window == nullptr) {
        destroy();
        return false;
    }
    // The device context taken in the creation message stays the window's for its life: the
    // class has no own DC, so a second GetDC would hold a second one from the shared pool.
    if (!offscreen_) {
        ShowWindow(p.window, SW_SHOW);
        UpdateWindow(p.window);
    }
    // A window that is never shown may get its first size message only when it is: the
    // listener hears the client size before create() returns all the same.
    if (!p.sizeReported) {
        RECT client{};
        GetClientRect(p.window, &client);
        reportSize(client.right - client.left, client.bottom - client.top);
    }
    return true;
}

void GameWindow::pumpMessages()
{
    // The quit message needs nothing of its own: the close already cleared running.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (platform_->fullScreenToggleAsked) {
        platform_->fullScreenToggleAsked = false;
        if (running_)
            platform_->toggleFullScreen(*this);
    }
    if (padStartWentDown())
        toggleActive();
}

void GameWindow::present()
{
    if (platform_->deviceContext != nullptr)
        SwapBuffers(platform_->deviceContext);
}

void GameWindow::close()
{
    if (fullScreen_) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
}

// The GL 1.1 functions are exports of opengl32.dll and unknown to wglGetProcAddress; the
// table holds none, but any name is answered from the one or the other.
void* GameWindow::glProcAddress(const char* name)
{
    if (void* address = validProcAddress(wglGetProcAddress(name)))
        return address;
    if (HMODULE library = GetModuleHandleA("opengl32.dll"))
        return validProcAddress(GetProcAddress(library, name));
    return nullptr;
}

void GameWindow::destroy()
{
    Platform& p = *platform_;
    running_ = false;
    if (p.glContext != nullptr) {
        if (wglGetCurrentContext() == p.glContext)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(p.glContext);
        p.glContext = nullptr;
    }
    if (p.window != nullptr) {
        // No message reaches this object any more.
        SetWindowLongPtrA(p.window, GWLP_USERDATA, 0);
        if (p.deviceContext != nullptr)
            ReleaseDC(p.window, p.deviceContext);
        DestroyWindow(p.window);
        p.window = nullptr;
    }
    p.deviceContext = nullptr;
    if (p.classRegistered) {
        UnregisterClassA(kClassName, p.instance);
        p.classRegistered = false;
    }
}
