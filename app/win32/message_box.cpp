#include "app/message_box.h"
#include "diag/diagnostics.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The game's texts are UTF-8 (a path may name a folder outside the ANSI code page).
std::wstring wide(const char* text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
    result.pop_back(); // the terminating zero
    return result;
}

// The same text goes to standard error first: a box nobody sees (a machine without a user
// at it) still leaves the report.
void showBox(const wchar_t* caption, const char* text, UINT type)
{
    diagErr(text);
    MessageBoxW(nullptr, wide(text).c_str(), caption, type);
}

// Whether a standard stream leads somewhere: a file, a pipe or a console the program was given
// (a windowed program started from Explorer or a shortcut has none).
bool leadsSomewhere(DWORD stream)
{
    HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

bool showAnswerWithoutConsole(const char* caption, const char* text, bool mistake)
{
    const DWORD stream = mistake ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    if (leadsSomewhere(stream))
        return false;
    // Started from a command prompt: its console, which the C stream then writes to. The
    // prompt does not wait for a windowed program, so the text follows its next prompt.
    if (AttachConsole(ATTACH_PARENT_PROCESS) &&
        std::freopen("CONOUT$", "w", mistake ? stderr : stdout) != nullptr)
        return false;
    MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(),
                MB_OK | (mistake ? MB_ICONERROR : MB_ICONINFORMATION));
    return true;
}

void showErrorBox(const char* text)
{
    showBox(L"An error occurred", text, MB_OK | MB_ICONERROR);
}

void showNoticeBox(const char* text)
{
    // An empty caption: a null one would read "Error".
    showBox(L"", text, MB_OK);
}

void reportProblemBeforeWindow(const char* text)
{
    // The program has no console: without the box a player who starts it sees nothing.
    showErrorBox(text);
}
