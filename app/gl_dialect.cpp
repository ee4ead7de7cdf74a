#include "app/gl_dialect.h"

#include <GL/gl.h>

#include <cstring>

namespace {

GlDialect currentDialect = GlDialect::Desktop;

} // namespace

GlDialect glDialect()
{
    return currentDialect;
}

void detectGlDialect()
{
    useGlDialect(glDialectFromVersion(reinterpret_cast<const char*>(glGetString(GL_VERSION))));
}

void useGlDialect(GlDialect dialect)
{
    currentDialect = dialect;
}

GlDialect glDialectFromVersion(const char* version)
{
    constexpr char kEs[] = "OpenGL ES";
    if (version != nullptr && std::strncmp(version, kEs, sizeof kEs - 1) == 0)
        return GlDialect::Es2;
    return GlDialect::Desktop;
}
