#include "app/data_directory.h"

#include <SDL2/SDL_filesystem.h>
#include <SDL2/SDL_stdinc.h>

std::filesystem::path executableDirectory()
{
    char* base = SDL_GetBasePath();
    if (base == nullptr)
        return {};
    const std::filesystem::path folder = base;
    SDL_free(base);
    return folder;
}
