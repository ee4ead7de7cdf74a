#include "input/pad_reading.h"

float axisFromInt16(int value)
{
    const float axis = static_cast<float>(value) / 32767.0f;
    return axis < -1.0f ? -1.0f : axis;
}

void PadSet::add(const PadReading& pad)
{
    const auto hold = [this](Key key, bool down) { held_[static_cast<size_t>(key)] |= down; };
    hold(Key::Left, pad.dpadLeft || pad.stickX < -kStickDeadZone);
    hold(Key::Right, pad.dpadRight || pad.stickX > kStickDeadZone);
    hold(Key::Up, pad.dpadUp || pad.stickY > kStickDeadZone);
    hold(Key::Down, pad.dpadDown || pad.stickY < -kStickDeadZone);
    hold(Key::Space, pad.south);
    hold(Key::H, pad.north);
    start_ = start_ || pad.start;
    ++count_;
}
