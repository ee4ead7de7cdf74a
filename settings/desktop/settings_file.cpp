// The settings file of both desktops. Paths are std::filesystem paths all the way to the
// system, so a folder named outside the ANSI code page works on Windows too (the standard
// streams open a wide path there).
#include "settings/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Makes folder and every missing folder above it, each private to the user as a settings
// folder should be. False with the reason when one cannot be made.
bool makeFolder(const fs::path& folder, std::string& problem)
{
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
        problem = "cannot make the folder \"" + pathText(folder) + "\": a file is in its place";
        return false;
    }
    std::vector<fs::path> missing;
    for (fs::path step = folder; !step.empty() && !fs::exists(step, error);
         step = step.parent_path()) {
        missing.push_back(step);
        if (step == step.parent_path())
            break;
    }
    for (auto step = missing.rbegin(); step != missing.rend(); ++step) {
        if (!fs::create_directory(*step, error) && error) {
            problem = "cannot make the folder \"" + pathText(*step) + "\": " + error.message();
            return false;
        }
        fs::permissions(*step, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    return true;
}

} // namespace

std::string pathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

SettingsFile::SettingsFile(fs::path path) : path_(std::move(path)) { }

std::string SettingsFile::name() const
{
    return pathText(path_);
}

std::string SettingsFile::asideName() const
{
    return name() + kAsideEnding;
}

SettingsStore::Found SettingsFile::read(std::string& text, std::string& problem)
{
    text.clear();
    std::error_code error;
    const fs::file_status status = fs::status(path_, error);
    if (status.type() == fs::file_type::not_found)
        return Found::Nothing;
    if (error) {
        problem = "cannot read the file: " + error.message();
        return Found::Unreadable;
    }
    if (fs::is_directory(status)) {
        problem = "cannot read the file: it is a folder";
        return Found::Unreadable;
    }
    if (!fs::is_regular_file(status)) {
        problem = "cannot read the file: it is not a regular file";
        return Found::Unreadable;
    }
    std::ifstream file(path_, std::ios::binary);
    if (!file) {
        problem = std::string("cannot open the file: ") + std::strerror(errno);
        return Found::Unreadable;
    }
    // One byte more than a record may have tells a file that is too large.
    text.resize(kMaxBytes + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        text.clear();
        problem = "cannot read the file";
        return Found::Unreadable;
    }
    text.resize(static_cast<size_t>(file.gcount()));
    if (text.size() > kMaxBytes) {
        text.clear();
        problem = "the file is larger than 64 KiB, which no settings record is";
        return Found::Unreadable;
    }
    return Found::Record;
}

bool SettingsFile::write(std::string_view text, std::string& problem)
{
    std::error_code error;
    if (fs::is_directory(path_, error)) {
        problem = "cannot replace the file: a folder is in its place";
        return false;
    }
    if (!makeFolder(path_.parent_path(), problem))
        return false;
    fs::path temporary;
    if (!writeTemporaryFile(path_, text, temporary, problem))
        return false;
    if (!renameOver(temporary, path_, problem)) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool SettingsFile::keepAside(bool& moved, std::string& problem)
{
    moved = false;
    std::error_code error;
    if (!fs::is_regular_file(path_, error))
        return true;
    fs::path aside = path_;
    aside += kAsideEnding;
    if (!renameOver(path_, aside, problem))
        return false;
    moved = true;
    return true;
}
