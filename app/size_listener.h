#pragma once

// Receives the window's drawable size: once during window creation, then on every change.
class SizeListener {
public:
    virtual void resize(int width, int height) = 0;

protected:
    ~SizeListener() = default;
};
