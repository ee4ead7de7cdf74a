#include "app/data_directory.h"

#include <SDL2/SDL_filesystem.h>
#include <SDL2/SDL_stdinc.h>

#include <filesystem>
#include <system_error>

bool useDataDirectory()
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory("data", error))
        return true;
    char* base = SDL_GetBasePath();
    if (base == nullptr)
        return false;
    const fs::path folder = base;
    SDL_free(base);
    if (!fs::is_directory(folder / "data", error))
        return false;
    fs::current_path(folder, error);
    return !error;
}
