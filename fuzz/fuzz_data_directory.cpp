// Fuzzes the data folder search: the input is the folder the player names, then after a zero
// byte the executable's folder, both read from a scratch tree that has a working folder with
// data/, a bin/ and an installed share/zorbel/data/. A folder found must be an absolute plain
// path to a folder called data; otherwise the problem must say why.

#include "app/data_directory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Made once per process and removed at exit; never destroyed, so the exit handler can use it.
const fs::path& scratchRoot()
{
    static const fs::path* root = [] {
        const auto* made = new fs::path(fs::temp_directory_path() /
                                        ("zorbel-fuzz-data-" + std::to_string(getpid())));
        fs::create_directories(*made / "work" / "data");
        fs::create_directories(*made / "prefix" / "bin");
        fs::create_directories(*made / "prefix" / "share" / "zorbel" / "data");
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratchRoot(), ignored);
        });
        return made;
    }();
    return *root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find('\0');
    const std::string requested = text.substr(0, split);
    const std::string executable = split == std::string::npos ? "" : text.substr(split + 1);
    if (executable.find('\0') != std::string::npos)
        return -1; // not a path: keep it out of the corpus

    const DataDirectorySearch search =
        findDataDirectory(requested, scratchRoot() / "work", executable);
    if (search.folder.empty() == search.problem.empty())
        __builtin_trap();
    if (!search.folder.empty()) {
        std::error_code error;
        if (!search.folder.is_absolute() || search.folder.filename() != "data" ||
            search.folder != search.folder.lexically_normal() ||
            !fs::is_directory(search.folder, error))
            __builtin_trap();
    }
    return 0;
}
