#pragma once

#include <memory>
#include <string>
#include <string_view>

// Where the player's settings live on this platform: a file in the user's settings folder on
// a desktop (settings_file.h), the browser's localStorage in a page. The keeper
// (settings_keeper.h) is its one user, on the game's thread.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The place, for reports: the file's path (UTF-8), or the storage and its key.
    virtual std::string name() const = 0;
    // Where keepAside moves a record.
    virtual std::string asideName() const = 0;

    enum class Found {
        Record,     // text holds the record as stored
        Nothing,    // no record yet: the defaults, and nothing to report
        Unreadable, // something is there that cannot be read; problem says why
    };
    virtual Found read(std::string& text, std::string& problem) = 0;

    // Replaces the record with text, whole or not at all: a failure (an unwritable folder, a
    // full disk, a crash half-way) leaves the previous record as it was. False with the
    // reason in problem.
    virtual bool write(std::string_view text, std::string& problem) = 0;

    // Moves the record there now to asideName() (replacing an older one there), so that a
    // new record does not take the place of a damaged one without a trace. moved tells
    // whether there was one to move. False with the reason when it could not be moved.
    virtual bool keepAside(bool& moved, std::string& problem) = 0;
};

// The store of the platform the build is for (settings/<platform>/), or null with the reason
// in problem when the platform has no place for it (no home folder to keep it in).
std::unique_ptr<SettingsStore> openPlatformSettingsStore(std::string& problem);
