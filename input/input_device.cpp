#include "input/input_device.h"

#include "input/game_pads.h"

InputDevice inputDevice;

void InputDevice::update()
{
    const KeySource& keys = source_ != nullptr ? *source_ : platformKeyboard();
    const KeySource& pads = pads_ != nullptr ? *pads_ : gamePads;
    // The keyboard first: a key it holds needs no look at the pads.
    const auto down = [&](Key key) { return keys.isDown(key) || pads.isDown(key); };
    space_ = down(Key::Space);
    f1_ = down(Key::F1);
    f2_ = down(Key::F2);
    mute_ = keys.isDown(Key::M);
    display_ = down(Key::H);

    float x = 0.0f;
    if (down(Key::Left))
        x = -1.0f;
    else if (down(Key::Right))
        x = 1.0f;
    primary_.x = secondary_.x = pad_.x = x;

    float y = 0.0f;
    if (down(Key::Up))
        y = 1.0f;
    else if (down(Key::Down))
        y = -1.0f;
    primary_.y = secondary_.y = pad_.y = y;
}
