#include "app/message_box.h"
#include "diag/diagnostics.h"

#include <windows.h>

namespace {

// The same text goes to standard error first: a box nobody sees (a machine without a user
// at it) still leaves the report.
void showBox(const char* caption, const char* text, UINT type)
{
    diagErr(text);
    MessageBoxA(nullptr, text, caption, type);
}

} // namespace

void showErrorBox(const char* text)
{
    showBox("An error occurred", text, MB_OK | MB_ICONERROR);
}

void showNoticeBox(const char* text)
{
    // An empty caption: a null one would read "Error".
    showBox("", text, MB_OK);
}
