#include "app/data_directory.h"

#include <windows.h>

#include <vector>

std::filesystem::path executableDirectory()
{
    // The path may be longer than MAX_PATH; grow the buffer until it fits.
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size())
            return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
        if (name.size() >= 32768)
            return {};
        name.resize(name.size() * 2);
    }
}
