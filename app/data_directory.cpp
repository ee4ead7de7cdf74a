#include "app/data_directory.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolderName = "data";
// What every copy of the game's data holds: a folder without them is someone else's "data".
constexpr const char* kMarkerFile = "quad.json";
constexpr const char* kMarkerFolder = "shaders";

// An absolute path without "." or ".." steps and without a trailing separator, so that its
// last name is the folder's own ("data/", "./data" and "/x/data/." all end in "data").
fs::path plainAbsolute(const fs::path& path, const fs::path& base)
{
    fs::path plain = (path.is_absolute() ? path : base / path).lexically_normal();
    if (plain.filename().empty() && plain.has_relative_path())
        plain = plain.parent_path();
    return plain;
}

// Why place cannot serve as the data folder, in a few words; empty when it holds the data.
std::string whyNotData(const fs::path& place)
{
    std::error_code error;
    const fs::file_status status = fs::status(place, error);
    if (status.type() == fs::file_type::not_found)
        return "not found";
    if (error)
        return "cannot be read: " + error.message();
    if (!fs::is_directory(status))
        return "not a folder";
    // Only that the marker is there: a damaged one is the loaders' to report, file by file.
    if (!fs::exists(place / kMarkerFile, error))
        return std::string("not the game's data: no ") + kMarkerFile;
    if (!fs::is_directory(place / kMarkerFolder, error))
        return std::string("not the game's data: no ") + kMarkerFolder + " folder";
    return {};
}

// The same folder, spelled alike or reached another way (a link; on Windows, another case),
// whether it exists or not.
bool samePlace(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return a == b || fs::equivalent(a, b, error) ||
           (a.filename() == b.filename() &&
            fs::equivalent(a.parent_path(), b.parent_path(), error));
}

// "No data folder found; tried A (why), B (why)": each place with the reason it was passed over.
std::string triedLine(const std::vector<fs::path>& tried)
{
    std::string line = "No data folder found; tried";
    for (size_t i = 0; i < tried.size(); ++i)
        line += (i == 0 ? " " : ", ") + tried[i].string() + " (" + whyNotData(tried[i]) + ")";
    return line;
}

} // namespace

DataDirectorySearch findDataDirectory(const fs::path& requested, const fs::path& workingDirectory,
                                      const fs::path& executableDirectory)
{
    DataDirectorySearch search;
    if (!requested.empty()) {
        const fs::path folder = plainAbsolute(requested, workingDirectory);
        if (std::error_code error; !fs::is_directory(folder, error))
            search.problem = triedLine({folder});
        else if (folder.filename() != kDataFolderName)
            search.problem = "Cannot use " + folder.string() +
                             " as the data folder: the game reads its files as data/..., so the "
                             "folder must be called \"data\"";
        else if (!whyNotData(folder).empty())
            search.problem = triedLine({folder});
        else
            search.folder = folder;
        return search;
    }

    std::vector<fs::path> candidates{plainAbsolute(kDataFolderName, workingDirectory)};
    if (!executableDirectory.empty()) {
        const fs::path beside = plainAbsolute(executableDirectory, workingDirectory);
        candidates.push_back(beside / kDataFolderName);
        candidates.push_back(
            (beside / ".." / "share" / "zorbel" / kDataFolderName).lexically_normal());
    }
    std::vector<fs::path> places;
    for (const fs::path& candidate : candidates) {
        bool seen = false;
        for (const fs::path& place : places)
            seen = seen || samePlace(place, candidate);
        if (!seen)
            places.push_back(candidate);
    }
    for (const fs::path& place : places) {
        if (whyNotData(place).empty()) {
            search.folder = place;
            return search;
        }
    }
    search.problem = triedLine(places);
    return search;
}

fs::path pathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string useDataDirectory(const fs::path& requested)
{
    std::error_code error;
    const fs::path working = fs::current_path(error);
    if (error)
        return "Cannot read the working directory: " + error.message();
    const DataDirectorySearch search = findDataDirectory(requested, working, executableDirectory());
    if (search.folder.empty())
        return search.problem;
    const fs::path parent = search.folder.parent_path();
    if (parent != working) {
        fs::current_path(parent, error);
        if (error)
            return "Cannot change to " + parent.string() +
                   ", the folder that holds the data folder: " + error.message();
    }
    return {};
}
