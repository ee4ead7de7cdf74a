#pragma once

#include <memory>

class GameWindow;

// A real GL context for tests: a window that is never shown (on Linux SDL's offscreen driver
// with Mesa's software rasteriser), current on this thread, with the GL entry-point table
// filled.
// One per test fixture; the context goes away with the object.
class GlTestContext {
public:
    explicit GlTestContext(int width = 64, int height = 64);
    ~GlTestContext();

    bool ok() const { return ok_; }
    GameWindow& window() { return *window_; }

private:
    std::unique_ptr<GameWindow> window_;
    bool ok_ = false;
};

// Skips the current test when no GL context can be made on this machine.
#define ZORBEL_REQUIRE_GL(context)                                         \
    do {                                                                   \
        if (!(context).ok())                                               \
            GTEST_SKIP() << "no offscreen GL context on this machine";     \
    } while (0)
