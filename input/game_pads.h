#pragma once

#include "input/pad_reading.h"

// The game pads as the last poll saw them: a key source the input device reads beside the
// keyboard, and the Start button's presses for the pause. The window's message pump polls
// it once per pass, paused or not, so Start can resume a paused game.
class GamePads final : public KeySource {
public:
    using Reader = void (*)(PadSet&);

    // Reads the platform's pads unless a test gives another reader.
    void setReader(Reader reader) { reader_ = reader != nullptr ? reader : readPlatformPads; }

    // Reads every pad once and keeps what they hold. True when Start went down since the
    // previous poll: a held Start presses once, and a pad that goes while Start is held
    // leaves nothing pressed.
    bool pollStartWentDown();

    bool isDown(Key key) const override { return pads_.holds(key); }
    // The pads of the last poll.
    int connected() const { return pads_.count(); }

private:
    Reader reader_ = readPlatformPads;
    PadSet pads_;
    bool startHeld_ = false;
};

// The process-wide pads, polled by the window and read by the input device.
extern GamePads gamePads;
