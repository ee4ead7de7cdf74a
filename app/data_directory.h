#pragma once

#include <filesystem>
#include <string>

// Assets load from "data/..." under the working directory, so the game works from the folder
// that holds its data folder. The places it looks, in this order:
//   1. a data folder the player names (the command line's --data DIR): that folder alone,
//      with no fallback, so a mistyped folder is reported rather than quietly replaced;
//   2. data/ in the working directory;
//   3. data/ beside the executable (the build tree);
//   4. ../share/zorbel/data from the executable (an installed tree under any prefix).
// A named folder must itself be called "data": its parent becomes the working directory.
// A place counts only when it holds the game's data (quad.json and a shaders folder), so an
// unrelated data/ in the working folder is passed over; each place is tried once, however
// many of the rules above lead to it.

// The outcome of the search: the data folder found, or the one line that says why none is.
struct DataDirectorySearch {
    std::filesystem::path folder; // absolute; empty when no place has the data folder
    std::string problem;          // every place tried and why it was passed over, or why the
                                  // named folder cannot serve
};

// The search itself, without touching the working directory. requested is the named folder
// (empty: none named), relative to workingDirectory; executableDirectory may be empty when
// the platform cannot tell, and then places 3 and 4 are skipped.
DataDirectorySearch findDataDirectory(const std::filesystem::path& requested,
                                      const std::filesystem::path& workingDirectory,
                                      const std::filesystem::path& executableDirectory);

// Finds the data folder from the current working directory and the executable's folder and
// makes the folder that holds it the working directory. Returns the empty string when the
// game can load its assets, else the one-line problem.
std::string useDataDirectory(const std::filesystem::path& requested = {});

// A path from the command line's text, which is UTF-8 on every platform (on Linux, the
// bytes as given, whatever they are).
std::filesystem::path pathFromUtf8(const std::string& text);

// The folder that holds the running executable, from the platform backend; empty when the
// platform cannot tell.
std::filesystem::path executableDirectory();
