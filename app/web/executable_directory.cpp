#include "app/data_directory.h"

// The data package is mounted at the root of the page's virtual file system, which is also
// where the program starts.
std::filesystem::path executableDirectory()
{
    return "/";
}
