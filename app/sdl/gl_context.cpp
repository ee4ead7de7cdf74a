#include "app/gl_context.h"

#include <SDL2/SDL_video.h>

bool hasCurrentGlContext()
{
    return SDL_GL_GetCurrentContext() != nullptr;
}
