#pragma once

#include "settings/settings_store.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The settings record as a file, the way both desktops keep it (settings/desktop/). Read only
// when it is a regular file of at most kMaxBytes (a folder, a pipe or a device in its place is
// reported, never opened). Written whole or not at all: the text goes to a temporary file in
// the same folder, which is flushed to the disk and then renamed over the record, so the
// record is always the old one or the new one. A temporary left behind by a crash is never
// read and never in the way of the next write. A missing folder is made (private to the user).
class SettingsFile final : public SettingsStore {
public:
    // Settings are a few lines; anything much larger is not a record of this game.
    static constexpr uintmax_t kMaxBytes = 64 * 1024;
    // keepAside moves the record to the same name with this ending.
    static constexpr const char* kAsideEnding = ".damaged";

    explicit SettingsFile(std::filesystem::path path);

    std::string name() const override;
    std::string asideName() const override;
    Found read(std::string& text, std::string& problem) override;
    bool write(std::string_view text, std::string& problem) override;
    bool keepAside(bool& moved, std::string& problem) override;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A path as UTF-8, as reports name it.
std::string pathText(const std::filesystem::path& path);

// What a desktop backend does for the file (settings/sdl/, settings/win32/):

// Writes bytes to a new file in the folder of beside, named as beside with an ending of its
// own that no other file there has, and flushes it to the disk. On success temporary names
// the file; on failure nothing is left behind and problem says why.
bool writeTemporaryFile(const std::filesystem::path& beside, std::string_view bytes,
                        std::filesystem::path& temporary, std::string& problem);

// Renames from to to, replacing the file there (atomically where the system can), and flushes
// the change to the disk. False with the reason in problem.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& problem);
