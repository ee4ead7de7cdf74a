#include "input/input_device.h"

InputDevice inputDevice;

void InputDevice::update()
{
    const KeySource& keys = source_ != nullptr ? *source_ : platformKeyboard();
    space_ = keys.isDown(Key::Space);
    f1_ = keys.isDown(Key::F1);
    f2_ = keys.isDown(Key::F2);
    mute_ = keys.isDown(Key::M);

    float x = 0.0f;
    if (keys.isDown(Key::Left))
        x = -1.0f;
    else if (keys.isDown(Key::Right))
        x = 1.0f;
    primary_.x = secondary_.x = pad_.x = x;

    float y = 0.0f;
    if (keys.isDown(Key::Up))
        y = 1.0f;
    else if (keys.isDown(Key::Down))
        y = -1.0f;
    primary_.y = secondary_.y = pad_.y = y;
}
