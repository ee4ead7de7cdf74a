#include "app/message_box.h"
#include "diag/diagnostics.h"

#include <emscripten/emscripten.h>

namespace {

// The page shows the text in its message element (id "message") when it has one; the
// console gets it in any case.
void showInPage(const char* caption, const char* text)
{
    diagErr(text);
    // clang-format off
    EM_ASM({
        var box = document.getElementById('message');
        if (!box)
            return;
        var caption = UTF8ToString($0);
        box.textContent = (caption ? caption + ": " : "") + UTF8ToString($1);
        box.hidden = false;
    }, caption, text);
    // clang-format on
}

} // namespace

void showErrorBox(const char* text)
{
    showInPage("An error occurred", text);
}

void showNoticeBox(const char* text)
{
    showInPage("", text);
}

// The page passes no command line; the browser's console takes whatever is said.
bool showAnswerWithoutConsole(const char*, const char*, bool)
{
    return false;
}

void reportProblemBeforeWindow(const char* text)
{
    showErrorBox(text);
}
