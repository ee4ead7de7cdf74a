#include "app/data_directory.h"

#include <system_error>

bool useDataDirectory()
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory("data", error))
        return true;
    const fs::path folder = executableDirectory();
    if (folder.empty() || !fs::is_directory(folder / "data", error))
        return false;
    fs::current_path(folder, error);
    return !error;
}
