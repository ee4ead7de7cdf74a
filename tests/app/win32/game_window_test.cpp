// The window on Win32 and WGL, never shown (offscreen), under Wine on a virtual X display in
// the tests. Messages are posted or sent the way the system would deliver them.
#include <windows.h>

#include "app/data_directory.h"
#include "app/message_box.h"
#include "tests/app/window_checks.h"
#include "tests/support/capture.h"

#include <filesystem>
#include <new>
#include <string>
#include <vector>

namespace {

// The game window of this thread (other test processes may show theirs meanwhile), checked
// for its title.
HWND gameWindowHandle()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            char className[32] = {};
            char title[32] = {};
            GetClassNameA(window, className, sizeof className);
            GetWindowTextA(window, title, sizeof title);
            if (std::string(className) != "GLClass" || std::string(title) != "QUIX 5 Zorbel")
                return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void postEscape(HWND window, bool repeat)
{
    // Bit 30 of the key data: the key was already down (auto-repeat).
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, repeat ? 0x40000001 : 0x00000001);
}

} // namespace

TEST(GameWindow, CreationMakesTheContextCurrentAndReportsTheClientSizeBeforeReturning)
{
    GameWindow window;
    window.setOffscreen(true);
    SizeLog log;
    ASSERT_NO_FATAL_FAILURE(createReadyToDraw(window, log, 1280, 720));

    // Class "GLClass", the title, and an outer size grown so the client area is as asked.
    const HWND handle = gameWindowHandle();
    ASSERT_NE(handle, nullptr);
    RECT client{};
    GetClientRect(handle, &client);
    EXPECT_EQ(client.right - client.left, 1280);
    EXPECT_EQ(client.bottom - client.top, 720);
    RECT outer{};
    GetWindowRect(handle, &outer);
    EXPECT_GT(outer.right - outer.left, 1280);
    EXPECT_FALSE(IsWindowVisible(handle));
    GLint doubleBuffered = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
}

TEST(GameWindow, TheWindowFindsItsObjectAtAnAddressAbove4GiB)
{
    // The object pointer lives in the window's user data. A 32-bit slot would cut this
    // address in half and the messages would go astray.
    void* memory = VirtualAlloc(nullptr, sizeof(GameWindow),
                                MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
    ASSERT_NE(memory, nullptr);
    ASSERT_GT(reinterpret_cast<uintptr_t>(memory), uintptr_t{0xFFFFFFFF});
    auto* window = new (memory) GameWindow;
    window->setOffscreen(true);
    ASSERT_TRUE(window->create(64, 64, 32, false));
    const HWND handle = gameWindowHandle();
    EXPECT_EQ(GetWindowLongPtrA(handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(window));
    postEscape(handle, false);
    window->pumpMessages();
    EXPECT_FALSE(window->active());
    window->~GameWindow();
    VirtualFree(memory, 0, MEM_RELEASE);
    // The window went with its object, and the class with it.
    EXPECT_EQ(gameWindowHandle(), nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "GLClass", &windowClass));
}

TEST(GameWindow, EscapeTogglesOnEveryKeyDownIncludingAutoRepeat)
{
    GameWindow window;
    window.setOffscreen(true);
    ASSERT_TRUE(window.create(64, 64, 32, false));
    const HWND handle = gameWindowHandle();
    postEscape(handle, false);
    window.pumpMessages();
    EXPECT_FALSE(window.active());
    postEscape(handle, false);
    window.pumpMessages();
    EXPECT_TRUE(window.active());
    // Holding the key: the press and two repeats toggle three times. Other keys do nothing.
    postEscape(handle, false);
    postEscape(handle, true);
    postEscape(handle, true);
    PostMessageA(handle, WM_KEYDOWN, VK_SPACE, 1);
    window.pumpMessages();
    EXPECT_FALSE(window.active());
    EXPECT_TRUE(window.running());
}

TEST(GameWindow, CloseRequestStopsRunningButKeepsTheWindowAndContextForTheSceneToRelease)
{
    for (UINT message : {WM_CLOSE, WM_DESTROY}) {
        GameWindow window;
        window.setOffscreen(true);
        ASSERT_TRUE(window.create(64, 64, 32, false));
        const HWND handle = gameWindowHandle();
        PostMessageA(handle, message, 0, 0);
        window.pumpMessages();
        EXPECT_FALSE(window.running()) << message;
        EXPECT_TRUE(IsWindow(handle)) << message;
        EXPECT_TRUE(hasCurrentGlContext()) << message;
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << message;
        window.close();
        EXPECT_TRUE(hasCurrentGlContext()) << message;
    }
    EXPECT_FALSE(hasCurrentGlContext());
}

TEST(GameWindow, SizeChangesReachTheListenerAsClientSizes)
{
    GameWindow window;
    window.setOffscreen(true);
    SizeLog log;
    window.setSizeListener(&log);
    ASSERT_TRUE(window.create(640, 360, 32, false));
    const HWND handle = gameWindowHandle();
    RECT outer{0, 0, 800, 500};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
    log.sizes.clear();
    SetWindowPos(handle, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.pumpMessages();
    ASSERT_FALSE(log.sizes.empty());
    EXPECT_EQ(log.sizes.back(), std::make_pair(800, 500));
}

TEST(GameWindow, LooksUpNewerEntryPointsAndTheExportsOfOpenGl32)
{
    GameWindow window;
    window.setOffscreen(true);
    ASSERT_TRUE(window.create(64, 64, 32, false));
    EXPECT_NE(GameWindow::glProcAddress("glGenBuffers"), nullptr);
    EXPECT_NE(GameWindow::glProcAddress("glUniformMatrix4fv"), nullptr);
    // A GL 1.1 function is no extension: the lookup answers it from opengl32.dll itself.
    EXPECT_EQ(GameWindow::glProcAddress("glClear"),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("opengl32.dll"), "glClear")));
    EXPECT_EQ(GameWindow::glProcAddress("glNoSuchFunctionAnywhere"), nullptr);
}

TEST(Win32Shell, ErrorBoxesAlsoReportOnStandardErrorAndReturn)
{
    // The test process refuses dialog windows, so the box returns at once.
    CapturedStream err(CapturedStream::Err);
    showErrorBox("Unable to create the OpenGL Window");
    showNoticeBox("Display mode failed");
    EXPECT_EQ(err.text(), "Unable to create the OpenGL Window\nDisplay mode failed\n");
}

TEST(Win32Shell, ExecutableDirectoryHoldsTheRunningProgram)
{
    const std::filesystem::path folder = executableDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(folder / "test_app.exe")) << folder;
}
