#pragma once

#include <memory>

// A pad plugged in for a test, on the platform's own pad path: SDL's virtual pad on Linux, a
// scripted XInputGetState on Windows. Unplugged when destroyed.
class TestPad {
public:
    // Null when the platform cannot make one.
    static std::unique_ptr<TestPad> plugIn();
    virtual ~TestPad() = default;

    virtual void holdStickLeft(bool held) = 0;
    virtual void holdStart(bool held) = 0;
};
