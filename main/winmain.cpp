// The entry function of the Windows program. runGame gets the process's command line as
// UTF-8, split from the wide command line: the C runtime's own split (__argv) goes through
// the ANSI code page, which turns a folder named outside it into question marks. The window
// takes the instance from GetModuleHandle, so the arguments of WinMain are not needed here.
#include "main/game_main.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back(); // the terminating zero
    return text;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return runGame(__argc, __argv);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(utf8(wide[i]));
    LocalFree(wide);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return runGame(count, argv.data());
}
