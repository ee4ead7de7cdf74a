#include "tests/support/gl_test_context.h"

#include "app/game_window.h"
#include "app/gl_functions.h"

#include <cstdlib>
#include <string>

GlTestContext::GlTestContext(int width, int height) : window_(std::make_unique<GameWindow>())
{
    window_->setOffscreen(true);
    ok_ = window_->create(width, height, 32, false);
    if (ok_) {
        fetchGlFunctions(&GameWindow::glProcAddress);
        ok_ = missingGlFunctions().empty();
    }
}

GlTestContext::~GlTestContext() = default;

bool glTestsMaySkip()
{
    const char* skip = std::getenv("ZORBEL_SKIP_WITHOUT_GL");
    return skip != nullptr && std::string(skip) == "1";
}

void* glEntryAddress(const char* name)
{
    return GameWindow::glProcAddress(name);
}

bool isBuffer(unsigned name)
{
    return glEntry<PFNGLISBUFFERPROC>("glIsBuffer")(name) == GL_TRUE;
}
