#pragma once

// Stateless wrappers for the render-state changes the scene makes.
class RenderState {
public:
    // Clears the colour and depth buffers.
    void clear();
    void setDepthTest(bool on);
    void setDepthWrite(bool on);
    void setViewport(int x, int y, int width, int height);
};
