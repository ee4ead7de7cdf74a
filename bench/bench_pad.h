#pragma once

#include <memory>

// What the pad benchmark needs of the platform (bench/<platform>/): one pad held by the
// benchmark on the platform's own path, and the event pump the window runs before it reads
// the pads (SDL brings the pads' state up to date there; Windows has nothing of the kind).
class BenchPad {
public:
    // Null when the platform cannot make one.
    static std::unique_ptr<BenchPad> plugIn();
    virtual ~BenchPad() = default;
    // Moves the stick and presses buttons a little differently on every frame.
    virtual void play(int frame) = 0;
};

void pumpPadEvents();

// Figures of the platform's own pad calls worth knowing beside the poll (Windows: one
// XInputGetState of an empty slot, which the backend makes at most once a second per slot).
void printPlatformPadFigures();
