// Replacing a file whole on Windows: the temporary is made with CREATE_NEW (never another
// file), its bytes flushed to the disk with FlushFileBuffers, and MoveFileExW swaps it in,
// replacing the old file and returning only once the move is on the disk. Every path is wide.
#include "settings/settings_file.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace fs = std::filesystem;

namespace {

// The system's own words for an error code, on one line.
std::string reasonFor(const char* what, const fs::path& path, DWORD error)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
        words.pop_back();
    if (words.empty())
        words = "error " + std::to_string(error);
    return std::string(what) + " \"" + pathText(path) + "\": " + words;
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD piece =
            bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool writeTemporaryFile(const fs::path& beside, std::string_view bytes, fs::path& temporary,
                        std::string& problem)
{
    // A name of this process and moment; another file of that name (a temporary a crash left
    // behind) makes the next one be tried.
    const unsigned long long seed =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount64();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char ending[32];
        std::snprintf(ending, sizeof ending, ".%llx.tmp", seed + attempt);
        fs::path name = beside;
        name += ending;
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            problem = reasonFor("cannot make a file in", beside.parent_path(), error);
            return false;
        }
        const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (!written) {
            DeleteFileW(name.c_str());
            problem = reasonFor("cannot write", name, error);
            return false;
        }
        temporary = name;
        return true;
    }
    problem = "cannot make a file in \"" + pathText(beside.parent_path()) +
              "\": every name tried is taken";
    return false;
}

bool renameOver(const fs::path& from, const fs::path& to, std::string& problem)
{
    if (!MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        problem = reasonFor("cannot rename the file to", to, GetLastError());
        return false;
    }
    return true;
}
