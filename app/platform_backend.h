#pragma once

// What a platform backend defines: the whole list. The core declares each function in the
// header of its subsystem and never includes a platform header; a backend is one folder per
// subsystem that needs the platform (app/<platform>/, input/<platform>/, a PNG decoder under
// render/, audio/<platform>/, settings/<platform>/), picked by ZORBEL_PLATFORM in
// CMakeLists.txt. A new platform starts from this list; when it shares a duty with another
// backend, the shared definition lives once in a folder both compile (app/desktop/,
// settings/desktop/).
//
// Window and GL context: app/game_window.h, app/gl_context.h (app/<platform>/game_window.cpp,
// gl_context.cpp)
//   struct GameWindow::Platform        the backend's handles and event state
//   GameWindow::GameWindow()           makes the Platform; ~GameWindow() destroys
//   bool GameWindow::create(width, height, bitsPerPixel, fullScreen)
//                                      a GL 3.0 context, else the legacy one (with its line);
//                                      in a browser full screen waits for the first gesture
//                                      and asks the page (Module.requestGameFullScreen)
//   void GameWindow::pumpMessages()    close requests, size changes, Escape; on a desktop F11
//                                      toggles full screen (its box and the window where it
//                                      cannot be had), in a browser fullScreen() follows the
//                                      document's fullscreenchange
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
// Message boxes: app/message_box.h (app/<platform>/message_box.cpp); the first three also
// say their text on standard error through diag/diagnostics.h
//   void showErrorBox(const char* text)
//   void showNoticeBox(const char* text)
//   void reportProblemBeforeWindow(const char* text)   a start-up problem before any window
//   bool showAnswerWithoutConsole(caption, text, mistake)   --help, --version or a mistake
//                                      in a box where no console shows it (Windows)
//
// Executable folder: app/data_directory.h (app/<platform>/executable_directory.cpp)
//   std::filesystem::path executableDirectory()
//
// Frame driver: app/frame_driver.h (app/desktop/frame_driver.cpp for SDL and Win32,
// app/web/frame_driver.cpp in a browser)
//   int runFrameLoop(std::function<bool()> pass, std::function<int()> finish)
//
// Key source: input/key_source.h (input/<platform>/platform_keyboard.cpp)
//   const KeySource& platformKeyboard()   the keys of play by their place, the rows of
//                                      kLetterKeys (M, H) by their letter and only with the focus
//
// Game pads: input/pad_reading.h (input/<platform>/platform_pads.cpp)
//   void readPlatformPads(PadSet& pads)   every connected pad, as the platform reports it: the
//                                        left stick, the d-pad, South, North and Start
//   (the backend's state in a class of its platform_pads.cpp)
//
// Sound output: audio/audio_output.h (audio/<platform>/audio_output.cpp)
//   struct AudioOutput::State          every handle and buffer of the backend, no file globals
//   AudioOutput::AudioOutput(), ~AudioOutput()
//   bool AudioOutput::open(AudioSource&, std::string& reason), bool poll(std::string& reason),
//   void close(), bool isOpen() const, void showMuted(bool)
//   (buffers of kOutputBufferFrames)
//
// Settings store: settings/settings_store.h (settings/<platform>/settings_place.cpp; a browser's
// in settings/web/local_storage.cpp)
//   std::unique_ptr<SettingsStore> openPlatformSettingsStore(std::string& problem)
//                                      where the player's choices live (a file on a desktop)
// The file store both desktops share (settings/desktop/) asks: settings/settings_file.h
// (settings/<platform>/atomic_replace.cpp)
//   bool writeTemporaryFile(beside, bytes, temporary, problem)   a new file, flushed to disk
//   bool renameOver(from, to, problem)                           replacing, durably
//
// Where no virtual device exists (Windows' pads and sound under Wine), the backend takes its
// system calls through a table that tests replace: input/win32/xinput_functions.h,
// audio/win32/wave_out_functions.h.
//
// PNG decoder: render/png_container.h (render/libpng/, render/wic/, render/browser/, named
// by ZORBEL_PNG_DECODER); the portable loadPng reads the file and checks the container first
//   uint8_t* decodeCheckedPng(path, file, header, reason)
//
// Entry function: main/main.cpp (main) or main/winmain.cpp (WinMain), named by
// ZORBEL_ENTRY_SOURCE; either calls runGame from main/game_main.h.
//
// The browser's page (web/): the web backend also answers the page's own controls and tells
// it what it shows, beside the duties above
//   extern "C" int zorbelTouchKey(int key, int down)   input/web/platform_keyboard.cpp: a key
//                                      the touch controls hold (a value of Key), beside the keys
//   extern "C" void zorbelPausePress()  app/web/game_window.cpp: the pause button, as Escape
//   Module.onPauseState(paused), Module.onSoundState(state)   told to the page on each change
//
// Test support: tests/support/test_process.h (tests/support/<platform>/test_process.cpp)
//   prepareTestProcess(), processId(), redirectDescriptor(), restoreDescriptor()
//
// Controllers and sound arrive the same way: a portable core (input/game_pads.h, audio/mixer.h)
// and, per platform, only the calls listed above.

#include "app/data_directory.h"
#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "app/gl_context.h"
#include "app/message_box.h"
