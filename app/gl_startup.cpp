#include "app/application.h"
#include "app/game_window.h"
#include "app/gl_dialect.h"
#include "app/gl_functions.h"
#include "app/message_box.h"

GlStartup platformGlStartup()
{
    GlStartup startup;
    startup.fetchEntryPoints = [] {
        fetchGlFunctions(&GameWindow::glProcAddress);
        detectGlDialect();
        const std::vector<std::string> missing = missingGlFunctions();
        return missing.empty() ? std::string() : missing.front();
    };
    startup.setRenderState = [] {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.glActiveTexture(GL_TEXTURE0);
    };
    return startup;
}

void reportStartupFailure(const char* text)
{
    showErrorBox(text);
}
