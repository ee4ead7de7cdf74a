// The window on SDL's offscreen driver with Mesa's software rasteriser. Each test runs in a
// process of its own (ctest), so environment settings made here reach the GL driver.
#include "tests/app/window_checks.h"

#include "app/message_box.h"
#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>

namespace {

void pushKey(SDL_Keycode key, bool repeat, Uint32 type = SDL_KEYDOWN)
{
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.repeat = repeat ? 1 : 0;
    SDL_PushEvent(&event);
}

void pushEscape(bool repeat, Uint32 type = SDL_KEYDOWN)
{
    pushKey(SDLK_ESCAPE, repeat, type);
}

} // namespace

TEST(GameWindow, CreationMakesTheContextCurrentAndReportsTheSizeBeforeReturning)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    SizeLog log;
    ASSERT_NO_FATAL_FAILURE(createReadyToDraw(window, log, 1280, 720));
    EXPECT_EQ(log.sizes.size(), 1u);
}

TEST(GameWindow, DriverWithoutGl30FallsBackToTheLegacyContextWithItsConsoleLine)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    GameWindow window;
    RecordedLines said;
    const bool created = window.create(320, 200, 32, false);
    const std::string printed = said.out();
    ASSERT_TRUE(created);
    EXPECT_TRUE(window.legacyContext());
    EXPECT_EQ(printed, "OpenGL 3.0 is not supported, falling back to GL 2.1\n");
    EXPECT_TRUE(hasCurrentGlContext());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(glGetString(GL_VERSION))).substr(0, 3),
              "2.1");
}

TEST(GameWindow, EscapeTogglesOnEveryKeyDownIncludingAutoRepeatAndNeverOnKeyUp)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    ASSERT_TRUE(window.create(64, 64, 32, false));
    pushEscape(false);
    pushEscape(false, SDL_KEYUP);
    window.pumpMessages();
    EXPECT_FALSE(window.active());
    pushEscape(false);
    window.pumpMessages();
    EXPECT_TRUE(window.active());
    pushEscape(false, SDL_KEYUP);
    window.pumpMessages();
    EXPECT_TRUE(window.active());
    // Holding the key: the press and two repeats toggle three times, the release not at all.
    pushEscape(false);
    pushEscape(true);
    pushEscape(true);
    pushEscape(false, SDL_KEYUP);
    window.pumpMessages();
    EXPECT_FALSE(window.active());
    EXPECT_TRUE(window.running());
}

// Held, F11 goes full screen once: its repeats and its release change nothing. Again, the
// window comes back at its size, and the listener hears it.
TEST(GameWindow, F11TogglesFullScreenOncePerPressAndBackAtTheWindowsSize)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    SizeLog log;
    window.setSizeListener(&log);
    ASSERT_TRUE(window.create(640, 360, 32, false));
    pushKey(SDLK_F11, false);
    pushKey(SDLK_F11, true);
    pushKey(SDLK_F11, false, SDL_KEYUP);
    window.pumpMessages();
    EXPECT_TRUE(window.fullScreen());
    pushKey(SDLK_F11, false);
    window.pumpMessages();
    EXPECT_FALSE(window.fullScreen());
    EXPECT_EQ(log.sizes.back(), std::make_pair(640, 360));
    EXPECT_TRUE(window.active());
}

TEST(GameWindow, CloseRequestStopsRunningButKeepsTheContextForTheSceneToRelease)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    ASSERT_TRUE(window.create(64, 64, 32, false));
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    window.pumpMessages();
    EXPECT_FALSE(window.running());
    EXPECT_TRUE(hasCurrentGlContext());
    window.close();
    EXPECT_TRUE(hasCurrentGlContext());
}

TEST(GameWindow, SizeChangesReachTheListener)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    SizeLog log;
    window.setSizeListener(&log);
    ASSERT_TRUE(window.create(640, 360, 32, false));
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    event.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    SDL_PushEvent(&event);
    window.pumpMessages();
    ASSERT_EQ(log.sizes.size(), 2u);
    EXPECT_EQ(log.sizes[1], std::make_pair(640, 360));
}

TEST(GameWindow, WithoutADisplayCreationFailsInsteadOfRunningInvisibly)
{
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    GameWindow window;
    RecordedLines said;
    EXPECT_FALSE(window.create(1280, 720, 32, false));
    EXPECT_NE(said.err().find("No display"), std::string::npos);
    EXPECT_FALSE(window.running());
    EXPECT_FALSE(hasCurrentGlContext());
}

TEST(SdlShell, ErrorBoxesAlsoReportOnTheRealStandardErrorAndReturn)
{
    // On the offscreen driver no box is shown: the line on standard error is the report.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GameWindow window;
    ASSERT_TRUE(window.create(64, 64, 32, false));
    CapturedStream err(CapturedStream::Err);
    showErrorBox("Unable to create the OpenGL Window");
    showNoticeBox("Display mode failed");
    EXPECT_EQ(err.text(), "Unable to create the OpenGL Window\nDisplay mode failed\n");
}
