#include "app/gl_context.h"

#include <windows.h>

bool hasCurrentGlContext()
{
    return wglGetCurrentContext() != nullptr;
}
