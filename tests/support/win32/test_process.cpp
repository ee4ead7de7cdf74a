// Tests run unattended: a message box would wait for a click that never comes, and a crash
// must end the process instead of asking what to do.
#include "tests/support/test_process.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cstring>

namespace {

// Refuses to create dialog windows on this thread, so MessageBoxA returns at once. What the
// box would say is on standard error as well.
LRESULT CALLBACK refuseDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const char* name = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass;
        const bool dialog = IS_INTRESOURCE(name) ? reinterpret_cast<uintptr_t>(name) == 0x8002
                                                 : std::strcmp(name, "#32770") == 0;
        if (dialog)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void prepareTestProcess()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetWindowsHookExA(WH_CBT, refuseDialogs, nullptr, GetCurrentThreadId());
}

int processId()
{
    return _getpid();
}

int redirectDescriptor(int descriptor, const std::filesystem::path& file)
{
    // Binary: the captured text keeps "\n" as written, with no "\r" added.
    const int target =
        _wopen(file.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    const int saved = _dup(descriptor);
    _dup2(target, descriptor);
    _close(target);
    return saved;
}

void restoreDescriptor(int descriptor, int saved)
{
    _dup2(saved, descriptor);
    _close(saved);
}

// Windows' named pipes live in a namespace of their own, never in a folder.
bool makeNamedPipe(const std::filesystem::path&)
{
    return false;
}

bool releasePipeReader(const std::filesystem::path&)
{
    return false;
}
