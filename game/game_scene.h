#pragma once

#include "app/render_state.h"
#include "app/size_listener.h"

// The one game scene, driven by the frame loop: constructed before the window, resized by
// the window (possibly before init), initialised once, updated and rendered each active
// frame, shut down once after a successful init, destroyed on every path.
class GameScene final : public SizeListener {
public:
    GameScene();
    ~GameScene();
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    bool init();
    void update(float frameSeconds);
    void render();
    void resize(int width, int height) override;
    void shutdown();

private:
    RenderState renderState_;
};
