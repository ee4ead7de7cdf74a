#pragma once

#include "app/render_state.h"
#include "app/size_listener.h"
#include "collision/collider.h"
#include "game/game_sound.h"
#include "game/scene_textures.h"
#include "math/camera.h"
#include "math/vec.h"
#include "render/mesh.h"
#include "render/shader_program.h"
#include "render/sprite.h"
#include "render/text_label.h"
#include "render/texture.h"

#include <GL/gl.h>

#include <array>
#include <optional>

// The one game scene: a little round world of grass tiles, trees and a fence under a star
// sky, scrolled with the arrows. It owns every asset, sprite, label and camera by value;
// sprites and labels point into it, so it outlives them all.
//
// Driven by the frame loop: constructed before the window (no GL work), resized by the
// window (possibly before init: viewport and projections only), initialised once, updated
// and rendered each active frame, shut down once after a successful init, destroyed last,
// while the GL context still exists.
class GameScene final : public SizeListener {
public:
    static constexpr int kTreeCount = 30;
    static constexpr int kWallCount = 120;

    GameScene();
    ~GameScene();
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    // The mixer the game's sounds play through (not owned; it outlives the scene and its
    // sounds are handed to it at init). Set before init; without one the game is silent.
    void setMixer(Mixer* mixer) { sound_.setMixer(mixer); }
    // Called on every pass of the frame loop, paused or not (no update runs while paused).
    // While paused it reads the keys for M alone, so the player can mute a paused game.
    void setPaused(bool paused);

    // Whether the score display is shown over the picture (off by default); the player's
    // choice, kept between runs.
    bool displayShown() const { return displayShown_; }
    void setDisplayShown(bool shown) { displayShown_ = shown; }

    // Seeds the tree layout with a fixed value instead of the clock (tools and tests).
    void setRandomSeed(unsigned seed) { seed_ = seed; }

    bool init();
    void update(float frameSeconds);
    void render();
    void resize(int width, int height) override;
    void shutdown();

    // Read access for tools and tests.
    float score() const { return score_; }
    float multiplier() const { return multiplier_; }
    Vec2 scroll() const { return scroll_; }
    Vec2 cameraEye() const { return cameraEye_; }
    bool freeCamera() const { return freeCamera_ != 0; }
    float spinnerClock() const { return spinnerClock_; }
    Sprite& player() { return player_; }
    Sprite& spinner() { return spinner_; }
    Sprite& background() { return background_; }
    std::array<Sprite, kTreeCount>& trees() { return trees_; }
    std::array<Sprite, kWallCount>& walls() { return walls_; }
    TextLabel& positionLabel() { return positionLabel_; }
    TextLabel& multiplierLabel() { return multiplierLabel_; }
    TextLabel& scoreLabel() { return scoreLabel_; }
    const Camera& worldCamera() const { return worldCamera_; }
    const Camera& screenCamera() const { return screenCamera_; }
    const Texture& textureByLoadOrder(int index) const;
    // The seven labels in the order init creates them.
    TextLabel& labelByCreationOrder(int index);

private:
    void loadTextures();
    void loadMeshes();
    void layOutLevel();
    void createLabels();
    void loadPrograms();
    void drawTilted(Sprite& sprite, float distanceSquared);
    void drawNear(Sprite& sprite, float radiusSquared);

    // The texture of one row of kSceneTextures.
    Texture& texture(SceneTexture id) { return textures_[static_cast<size_t>(id)]; }

    // Members in the order the scene builds them; destroyed in reverse.
    std::array<Texture, kSceneTextureCount> textures_; // by row of kSceneTextures
    TextLabel positionLabel_;
    TextLabel multiplierLabel_;
    TextLabel scoreLabel_;
    TextLabel modeLabel_;
    TextLabel startLabel_;
    TextLabel randomModeLabel_;
    TextLabel easyModeLabel_;
    Camera worldCamera_;
    Camera screenCamera_;
    Sprite* playerLink_ = nullptr;
    Sprite player_;
    Sprite spinner_;
    Sprite background_;
    Sprite groundTile_;
    Collider quadCollider_;
    Mesh quadMesh_;
    Mesh treeMesh_;
    Mesh wallMesh_;
    Mesh backgroundMesh_;
    RenderState renderState_;
    ShaderProgram basicProgram_;
    ShaderProgram conveyorProgram_;
    ShaderProgram gameOverProgram_;
    float spinnerClock_ = 0.0f;
    std::array<Sprite, kTreeCount> trees_;
    std::array<Sprite, kWallCount> walls_;
    float score_ = 0.0f;
    float multiplier_ = 0.0f;
    Vec2 scroll_;
    Vec2 cameraEye_;
    GLint tilePositionLocation_ = -1;
    int freeCamera_ = 0;

    GameSound sound_;
    std::optional<unsigned> seed_;
    bool initialised_ = false;
    bool displayShown_ = false;
};
