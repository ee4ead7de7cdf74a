#include "tests/game/game_fixture.h"

#include <cmath>
#include <filesystem>

HeadlessGame* GameTest::game_ = nullptr;
bool GameTest::started_ = false;

void GameTest::SetUpTestSuite()
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    game_ = new HeadlessGame;
    HeadlessGame::Options options;
    options.width = 320;
    options.height = 180;
    started_ = game_->start(options);
}

void GameTest::TearDownTestSuite()
{
    delete game_;
    game_ = nullptr;
}

std::string labelText(const TextLabel& label)
{
    const Mesh& mesh = label.mesh();
    std::string text;
    const size_t slots = static_cast<size_t>(mesh.indexCount) / 6;
    for (size_t slot = 0; slot < slots; ++slot) {
        // Vertex 4i+1 carries (u, v) of the cell's top-left corner.
        const float u = mesh.uvs[8 * slot + 2];
        const float v = mesh.uvs[8 * slot + 3];
        const int column = static_cast<int>(std::lround(u * 16.0f));
        const int row = static_cast<int>(std::lround((1.0f - v) * 16.0f));
        text.push_back(static_cast<char>(row * 16 + column));
    }
    return text;
}
