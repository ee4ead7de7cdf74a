#include "app/gl_functions.h"

GlFunctions gl;

void fetchGlFunctions(GlProcLookup lookup)
{
#define ZORBEL_GL_FETCH(type, name, used) gl.name = reinterpret_cast<type>(lookup(#name));
    ZORBEL_GL_FUNCTION_LIST(ZORBEL_GL_FETCH)
#undef ZORBEL_GL_FETCH
}

std::vector<std::string> missingGlFunctions()
{
    std::vector<std::string> missing;
#define ZORBEL_GL_CHECK(type, name, used) \
    if (used && gl.name == nullptr)       \
        missing.emplace_back(#name);
    ZORBEL_GL_FUNCTION_LIST(ZORBEL_GL_CHECK)
#undef ZORBEL_GL_CHECK
    return missing;
}

const std::vector<const char*>& glFunctionNames()
{
    static const std::vector<const char*> names = {
#define ZORBEL_GL_NAME(type, name, used) #name,
        ZORBEL_GL_FUNCTION_LIST(ZORBEL_GL_NAME)
#undef ZORBEL_GL_NAME
    };
    return names;
}

static_assert(sizeof(GlFunctions) == kGlFunctionCount * sizeof(void*),
              "the GL table has one slot per entry point");
