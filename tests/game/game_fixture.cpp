#include "tests/game/game_fixture.h"

#include <filesystem>

HeadlessGame* GameTest::game_ = nullptr;
bool GameTest::started_ = false;

void GameTest::SetUpTestSuite()
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    game_ = new HeadlessGame;
    started_ = game_->start({.width = 320, .height = 180});
}

void GameTest::TearDownTestSuite()
{
    delete game_;
    game_ = nullptr;
}
