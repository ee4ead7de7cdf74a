#include "game/game_scene.h"

#include "input/input_device.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr float kMoveSpeed = 10.0f;
constexpr float kStickThreshold = 0.2f;
constexpr float kPadThreshold = 0.5f;
constexpr float kDiagonalFactor = 0.707f;
constexpr float kScrollLimit = 25.0f;
constexpr float kScoreRate = 15.0f;
constexpr float kSpinnerDegreesPerSecond = 90.0f;

// Speed zones by the player's x, with strict bounds. The zones are not symmetric.
constexpr double kCentreLow = -1.05;
constexpr double kCentreHigh = 0.84;
constexpr double kMiddleLow = -4.37;
constexpr double kMiddleHigh = 4.09;

// Truncation toward zero that saturates instead of overflowing for values beyond int (the
// player's position and the score have no bound) and reads NaN as 0.
int truncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

float clampScroll(float value)
{
    if (value < -kScrollLimit)
        return -kScrollLimit;
    if (value > kScrollLimit)
        return kScrollLimit;
    return value;
}

} // namespace

void GameScene::setPaused(bool paused)
{
    sound_.setPaused(paused);
    if (!paused)
        return;
    // The device keeps no history, so the poll changes nothing the next update reads.
    inputDevice.update();
    sound_.followMuteKey(inputDevice.muteHeld());
}

void GameScene::update(float t)
{
    // Big enough for "%d %d" of any two ints and the terminator.
    char text[32];

    inputDevice.update();
    if (inputDevice.spaceHeld())
        freeCamera_ = freeCamera_ == 0 ? 1 : 0;
    // Unlike Space, the display's key acts once per press.
    const bool displayKeyDown = inputDevice.displayHeld();
    if (displayKeyDown && !displayKeyWasDown_)
        displayShown_ = !displayShown_;
    displayKeyWasDown_ = displayKeyDown;

    std::snprintf(text, sizeof text, "%d %d", truncateToInt(spinner_.x), truncateToInt(spinner_.y));
    positionLabel_.setText(text);

    Sprite& player = *playerLink_;
    spinner_.x = player.x;
    spinner_.y = player.y;
    spinner_.setRotation(spinnerClock_ * kSpinnerDegreesPerSecond);
    spinner_.rememberPosition();

    const double x = player.x;
    if (x > kCentreLow && x < kCentreHigh) {
        multiplier_ = 3.0f;
        multiplierLabel_.setColor(0.0f, 0.0f, 1.0f);
    } else if (x > kMiddleLow && x < kMiddleHigh) {
        multiplier_ = 2.0f;
        multiplierLabel_.setColor(0.5f, 0.5f, 1.0f);
    } else {
        multiplier_ = 1.0f;
        multiplierLabel_.setColor(0.9f, 0.9f, 1.0f);
    }

    score_ += t * kScoreRate * multiplier_;
    std::snprintf(text, sizeof text, "x%d", truncateToInt(multiplier_));
    multiplierLabel_.setText(text);
    std::snprintf(text, sizeof text, "%d", truncateToInt(score_));
    scoreLabel_.setText(text);

    spinnerClock_ += t;

    const Direction stick = inputDevice.primaryStick();
    const Direction pad = inputDevice.directionPad();
    float mx = 0.0f;
    float my = 0.0f;
    if (stick.x >= kStickThreshold || stick.y >= kStickThreshold) {
        mx = stick.x;
        my = stick.y;
    } else if ((pad.x > kPadThreshold || pad.x < -kPadThreshold) &&
               (pad.y > kPadThreshold || pad.y < -kPadThreshold)) {
        mx = pad.x * kDiagonalFactor;
        my = pad.y * kDiagonalFactor;
    } else {
        mx = pad.x;
        my = pad.y;
    }

    player.x += kMoveSpeed * t * mx;
    player.y += kMoveSpeed * t * my;

    const Vec2 scrollBefore = scroll_;
    const Vec2 eyeBefore = cameraEye_;
    if (freeCamera_ == 0) {
        scroll_.x = clampScroll(scroll_.x + kMoveSpeed * t * mx);
        scroll_.y = clampScroll(scroll_.y + kMoveSpeed * t * my);
    } else {
        cameraEye_.x += kMoveSpeed * t * mx;
        cameraEye_.y += kMoveSpeed * t * my;
    }

    const bool moved = scroll_.x != scrollBefore.x || scroll_.y != scrollBefore.y ||
                       cameraEye_.x != eyeBefore.x || cameraEye_.y != eyeBefore.y;
    sound_.update({.moved = moved,
                   .multiplier = truncateToInt(multiplier_),
                   .spaceDown = inputDevice.spaceHeld(),
                   .muteDown = inputDevice.muteHeld(),
                   .seconds = t});
}
