// The score display: the three live labels drawn over the finished picture on request.
#include "game/game_scene.h"

namespace {

// Upright in the top-left corner, over the sky, one line each, in screen-camera units (a
// 1280 x 720 layout). The labels' own placements (glyphs of 90, turned a quarter, along the
// left edge) would read sideways and run into the grass; the display sets them smaller here
// and leaves what the labels store alone.
constexpr LabelPlacement kScorePlace{24.0f, 656.0f, -35.0f, 40.0f, 0.0f};
constexpr LabelPlacement kMultiplierPlace{24.0f, 612.0f, -35.0f, 32.0f, 0.0f};
constexpr LabelPlacement kPositionPlace{24.0f, 576.0f, -35.0f, 24.0f, 0.0f};

} // namespace

void GameScene::drawDisplay()
{
    displayProgram_.bind();
    // Over the world whatever lies in front of it; the depth buffer is cleared next frame.
    renderState_.setDepthTest(false);
    scoreLabel_.draw(kScorePlace);
    multiplierLabel_.draw(kMultiplierPlace);
    positionLabel_.draw(kPositionPlace);
    renderState_.setDepthTest(true);
    // The next frame draws its sky with the program bound last: the basic one, as it would
    // be without the display.
    basicProgram_.bind();
}
