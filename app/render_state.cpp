#include "app/render_state.h"

#include <GL/gl.h>

void RenderState::clear()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void RenderState::setDepthTest(bool on)
{
    if (on)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void RenderState::setDepthWrite(bool on)
{
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void RenderState::setViewport(int x, int y, int width, int height)
{
    glViewport(x, y, width, height);
}
