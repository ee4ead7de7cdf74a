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

private:
    std::unique_ptr<GameWindow> window_;
    bool ok_ = false;
};

// The game needs GL, so a test that cannot make a context fails. Only when
// ZORBEL_SKIP_WITHOUT_GL=1 is set by hand (a machine without the offscreen driver) is it
// skipped instead.
bool glTestsMaySkip();

// Entry points the game's GL table does not carry, through which the tests read state back,
// looked up for the current context.
void* glEntryAddress(const char* name);
template <typename Function>
Function glEntry(const char* name)
{
    return reinterpret_cast<Function>(glEntryAddress(name));
}
bool isBuffer(unsigned name);

#define ZORBEL_REQUIRE_GL(ok)                                                                     \
    do {                                                                                          \
        if (!(ok)) {                                                                              \
            if (glTestsMaySkip())                                                                 \
                GTEST_SKIP() << "no offscreen GL context (ZORBEL_SKIP_WITHOUT_GL is set)";        \
            FAIL() << "no offscreen GL context; ZORBEL_SKIP_WITHOUT_GL=1 skips GL tests instead"; \
        }                                                                                         \
    } while (0)
