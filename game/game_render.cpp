#include "game/game_scene.h"

#include "app/gl_functions.h"

#include <cmath>

namespace {

constexpr float kFieldOfView = 40.0f;
constexpr float kAspect = 1.7777778f;
constexpr float kNear = 1.0f;
constexpr float kFar = 1000.0f;
constexpr float kEyeHeight = 20.0f;
constexpr float kLookAtY = 5.46237f;
constexpr float kLookAtZ = -5.0f;
constexpr int kTileRangeLow = -40;
constexpr int kTileRangeHigh = 39;
constexpr float kGroundRadiusSquared = 400.0f;
constexpr float kWallRadiusSquared = 293.7796f;
constexpr float kBendRadiusSquared = 225.0f;
constexpr float kBendRadius = 15.0f;
constexpr float kBendReferenceDepth = -10.0f;

} // namespace

void GameScene::render()
{
    renderState_.clear();

    worldCamera_.resetView();
    worldCamera_.perspective(kFieldOfView, kAspect, kNear, kFar);
    worldCamera_.lookAt(cameraEye_.x, cameraEye_.y, kEyeHeight, 0.0f, kLookAtY, kLookAtZ, 0.0f,
                        10.0f, 0.0f);

    // Drawn with whichever program is bound: the conveyor program on the first frame, the
    // basic program on every later one.
    background_.draw();

    conveyorProgram_.bind();
    const GLuint conveyor = conveyorProgram_.programName();
    tilePositionLocation_ = gl.glGetUniformLocation(conveyor, "pos");
    gl.glUniformMatrix4fv(gl.glGetUniformLocation(conveyor, "projMat"), 1, GL_FALSE,
                          worldCamera_.projectionMatrix());

    // One sprite drawn once per tile of the disc around the scroll centre.
    const float baseX = groundTile_.x;
    const float baseY = groundTile_.y;
    for (int i = kTileRangeLow; i <= kTileRangeHigh; ++i) {
        for (int j = kTileRangeLow; j <= kTileRangeHigh; ++j) {
            const float x = (baseX - scroll_.x) + static_cast<float>(i);
            const float y = (baseY - scroll_.y) + static_cast<float>(j);
            if (x * x + y * y < kGroundRadiusSquared) {
                groundTile_.x = x;
                groundTile_.y = y;
                gl.glUniform2f(tilePositionLocation_, x, y);
                groundTile_.draw();
            }
        }
    }
    groundTile_.x = baseX;
    groundTile_.y = baseY;

    basicProgram_.bind();
    renderState_.setDepthWrite(true);
    for (Sprite& tree : trees_)
        drawNear(tree, kGroundRadiusSquared);
    for (Sprite& wall : walls_)
        drawNear(wall, kWallRadiusSquared);
    renderState_.setDepthTest(true);

    if (displayShown_)
        drawDisplay();
}

// Draws a tree or wall piece shifted by the scroll when it lies strictly inside the radius:
// upright up to the bend radius, tilted beyond it. Its stored position is kept.
void GameScene::drawNear(Sprite& sprite, float radiusSquared)
{
    const float storedX = sprite.x;
    const float storedY = sprite.y;
    sprite.x = storedX - scroll_.x;
    sprite.y = storedY - scroll_.y;
    const float distanceSquared = sprite.x * sprite.x + sprite.y * sprite.y;
    if (distanceSquared < radiusSquared) {
        if (distanceSquared > kBendRadiusSquared)
            drawTilted(sprite, distanceSquared);
        else
            sprite.draw();
    }
    sprite.x = storedX;
    sprite.y = storedY;
}

// Leans the object outward about the tangent of its circle by (distance - 15) radians, so
// the disc reads as a small planet whose horizon bends away.
void GameScene::drawTilted(Sprite& sprite, float distanceSquared)
{
    sprite.loadMatrix(worldCamera_.viewMatrix());
    sprite.translate(sprite.x, sprite.y, sprite.z);
    Vec3 axis = Vec3::cross(Vec3(sprite.x, sprite.y, sprite.z),
                            Vec3(sprite.x, sprite.y, kBendReferenceDepth));
    axis.normalize();
    const float angle = std::sqrt(distanceSquared) - kBendRadius;
    sprite.rotateAxis(angle, axis.x, axis.y, axis.z);
    sprite.applyScale(1.0f, 1.0f, 1.0f);
    sprite.translate(-sprite.anchorX(), -sprite.anchorY(), 0.0f);
    sprite.multiplyMatrix(worldCamera_.projection(), sprite.matrix());
    sprite.texture()->bind();
    sprite.mesh()->draw(&sprite.matrix());
}

void GameScene::resize(int width, int height)
{
    renderState_.setViewport(0, 0, width, height);
    worldCamera_.resetProjection();
    screenCamera_.resetProjection();
    screenCamera_.ortho(0.0f, 1280.0f, 0.0f, 720.0f, kNear, kFar);
}
