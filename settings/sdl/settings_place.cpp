// Where a Linux desktop keeps a user's settings: $XDG_CONFIG_HOME/zorbel/settings.json, or
// ~/.config/zorbel/settings.json when that is not set. A relative XDG_CONFIG_HOME is passed
// over, as the base directory rules ask (the game changes its working folder at start).
#include "settings/settings_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

// The value of an environment variable when it names an absolute path; empty otherwise.
fs::path absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0' || !fs::path(value).is_absolute())
        return {};
    return value;
}

fs::path homeFolder()
{
    if (fs::path home = absoluteFromEnvironment("HOME"); !home.empty())
        return home;
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr && fs::path(user->pw_dir).is_absolute())
        return user->pw_dir;
    return {};
}

} // namespace

std::unique_ptr<SettingsStore> openPlatformSettingsStore(std::string& problem)
{
    fs::path base = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (base.empty()) {
        const fs::path home = homeFolder();
        if (home.empty()) {
            problem = "no home folder to keep them in (HOME is not set)";
            return nullptr;
        }
        base = home / ".config";
    }
    return std::make_unique<SettingsFile>(base / "zorbel" / "settings.json");
}
