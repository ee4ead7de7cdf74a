#include "app/data_directory.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolderName = "data";

// An absolute path without "." or ".." steps and without a trailing separator, so that its
// last name is the folder's own ("data/", "./data" and "/x/data/." all end in "data").
fs::path plainAbsolute(const fs::path& path, const fs::path& base)
{
    fs::path plain = (path.is_absolute() ? path : base / path).lexically_normal();
    if (plain.filename().empty() && plain.has_relative_path())
        plain = plain.parent_path();
    return plain;
}

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string triedLine(const std::vector<fs::path>& tried)
{
    std::string line = "No data folder found; tried";
    for (size_t i = 0; i < tried.size(); ++i)
        line += (i == 0 ? " " : ", ") + tried[i].string();
    return line;
}

} // namespace

DataDirectorySearch findDataDirectory(const fs::path& requested, const fs::path& workingDirectory,
                                      const fs::path& executableDirectory)
{
    DataDirectorySearch search;
    if (!requested.empty()) {
        const fs::path folder = plainAbsolute(requested, workingDirectory);
        if (!isFolder(folder))
            search.problem = triedLine({folder});
        else if (folder.filename() != kDataFolderName)
            search.problem = "Cannot use " + folder.string() +
                             " as the data folder: the game reads its files as data/..., so the "
                             "folder must be called \"data\"";
        else
            search.folder = folder;
        return search;
    }

    std::vector<fs::path> places{plainAbsolute(kDataFolderName, workingDirectory)};
    if (!executableDirectory.empty()) {
        const fs::path beside = plainAbsolute(executableDirectory, workingDirectory);
        places.push_back(beside / kDataFolderName);
        places.push_back((beside / ".." / "share" / "zorbel" / kDataFolderName).lexically_normal());
    }
    for (const fs::path& place : places) {
        if (isFolder(place)) {
            search.folder = place;
            return search;
        }
    }
    search.problem = triedLine(places);
    return search;
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
