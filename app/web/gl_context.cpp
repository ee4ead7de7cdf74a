#include "app/gl_context.h"

#include <emscripten/html5_webgl.h>

bool hasCurrentGlContext()
{
    return emscripten_webgl_get_current_context() != 0;
}
