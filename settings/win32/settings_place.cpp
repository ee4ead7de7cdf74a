// Where Windows keeps a user's settings: %APPDATA%\zorbel\settings.json, the roaming profile
// folder. The variable is read wide, so a user name outside the ANSI code page works; where
// it is not set, the shell names the same folder.
#include "settings/settings_file.h"

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path roamingFolder()
{
    const DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (size > 1) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(L"APPDATA", value.data(), size);
        value.resize(length);
        if (length > 0 && length < size && fs::path(value).is_absolute())
            return value;
    }
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return folder;
    return {};
}

} // namespace

std::unique_ptr<SettingsStore> openPlatformSettingsStore(std::string& problem)
{
    const fs::path base = roamingFolder();
    if (base.empty()) {
        problem = "no folder to keep them in (APPDATA is not set)";
        return nullptr;
    }
    return std::make_unique<SettingsFile>(base / L"zorbel" / L"settings.json");
}
