#pragma once

// What a platform backend defines: the whole list. The core declares each function in the
// header of its subsystem and never includes a platform header; a backend is one folder per
// subsystem that needs the platform (app/<platform>/, input/<platform>/, a PNG decoder under
// render/, audio/<platform>/), picked by ZORBEL_PLATFORM in CMakeLists.txt. A new platform
// starts from this list; when it shares a duty with another backend, the shared definition
// lives once in a folder both compile (app/desktop/).
//
// Window and GL context: app/game_window.h, app/gl_context.h (app/<platform>/game_window.cpp,
// gl_context.cpp)
//   struct GameWindow::Platform        the backend's handles and event state
//   GameWindow::GameWindow()           makes the Platform; ~GameWindow() destroys
//   bool GameWindow::create(width, height, bitsPerPixel, fullScreen)
//                                      a GL 3.0 context, else the legacy one (with its line)
//   void GameWindow::pumpMessages()    close requests, size changes, Escape
//   void GameWindow::present()
//   void GameWindow::close()
//   void GameWindow::destroy()
//   static void* GameWindow::glProcAddress(const char* name)
//   bool hasCurrentGlContext()
//
// Clock: app/frame_clock.h (app/<platform>/system_clock.cpp)
//   SystemClock::SystemClock(), ~SystemClock()
//   int64_t SystemClock::counter(), int64_t SystemClock::frequency()
//   void SystemClock::sleepOneMillisecond(), bool SystemClock::canSleep() const
//
// Message boxes: app/message_box.h (app/<platform>/message_box.cpp); each also says its
// text on standard error through diag/diagnostics.h
//   void showErrorBox(const char* text)
//   void showNoticeBox(const char* text)
//
// Executable folder: app/data_directory.h (app/<platform>/executable_directory.cpp)
//   std::filesystem::path executableDirectory()
//
// Frame driver: app/frame_driver.h (app/desktop/frame_driver.cpp for SDL and Win32,
// app/web/frame_driver.cpp in a browser)
//   int runFrameLoop(std::function<bool()> pass, std::function<int()> finish)
//
// Key source: input/key_source.h (input/<platform>/platform_keyboard.cpp)
//   const KeySource& platformKeyboard()
//
// PNG decoder: render/image_decoders.h (render/libpng/, render/wic/, render/browser/, named
// by ZORBEL_PNG_DECODER)
//   uint8_t* loadPng(path, width, height, reason)
//
// Entry function: main/main.cpp (main) or main/winmain.cpp (WinMain), named by
// ZORBEL_ENTRY_SOURCE; either calls runGame from main/game_main.h.
//
// Test support: tests/support/test_process.h (tests/support/<platform>/test_process.cpp)
//   prepareTestProcess(), processId(), redirectDescriptor(), restoreDescriptor()
//
// Controllers and sound output arrive the same way: a portable core declares the seam and
// each platform fills it in its own folder. Sound: audio/audio_output.h, whose AudioOutput
// (open, poll, close, isOpen, with its State) audio/sdl/, audio/win32/ and audio/web/
// define; controllers: the pad sources of the input/ backends, beside the key source.

#include "app/data_directory.h"
#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "app/gl_context.h"
#include "app/message_box.h"
