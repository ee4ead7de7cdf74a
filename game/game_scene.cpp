#include "game/game_scene.h"

GameScene::GameScene() = default;
GameScene::~GameScene() = default;

bool GameScene::init()
{
    return true;
}

void GameScene::update(float)
{
}

void GameScene::render()
{
    renderState_.clear();
}

void GameScene::resize(int width, int height)
{
    renderState_.setViewport(0, 0, width, height);
}

void GameScene::shutdown()
{
}
