#include "game/game_scene.h"

#include "app/gl_dialect.h"
#include "app/gl_functions.h"
#include "diag/diagnostics.h"
#include "game/fallback_mesh.h"
#include "game/fallback_programs.h"
#include "game/layout_random.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

struct LabelLayout {
    const char* text;
    float x, y, z;
    unsigned size;
    float r, g, b;
    bool rotated;
    float rotation;
};

} // namespace

GameScene::GameScene() = default;

// Members release their own GL objects; the entry function keeps the context alive until
// this has run.
GameScene::~GameScene() = default;

const Texture& GameScene::textureByLoadOrder(int index) const
{
    return textures_[static_cast<size_t>(index)];
}

TextLabel& GameScene::labelByCreationOrder(int index)
{
    TextLabel* order[] = {&positionLabel_, &multiplierLabel_, &scoreLabel_,     &modeLabel_,
                          &startLabel_,    &easyModeLabel_,   &randomModeLabel_};
    return *order[index];
}

bool GameScene::init()
{
    loadTextures();
    loadMeshes();
    quadCollider_.loadFile("data/meshes/colliders/quadCollider.json");

    background_.init(0.0f, 0.0f, -10.0f, &backgroundMesh_, &texture(SceneTexture::Stars),
                     &worldCamera_);
    background_.setScale(200.0f, 200.0f, 1.0f);
    background_.setAnchor(0.5f, 0.5f);

    groundTile_.init(0.0f, 0.0f, -1.0f, &quadMesh_, &texture(SceneTexture::Grass), &worldCamera_);
    groundTile_.setScale(1.0f, 1.0f, 1.0f);
    groundTile_.setAnchor(0.5f, 0.5f);

    layOutLevel();
    playerLink_ = &player_;
    createLabels();
    loadPrograms();

    conveyorProgram_.bind();
    tilePositionLocation_ = gl.glGetUniformLocation(conveyorProgram_.programName(), "pos");
    screenCamera_.resetView();
    freeCamera_ = 0;
    cameraEye_ = Vec2(0.0f, -30.0f);
    sound_.start(static_cast<int>(multiplier_),
                 seed_ ? *seed_ : static_cast<unsigned>(std::time(nullptr)));
    initialised_ = true;
    return true;
}

void GameScene::loadTextures()
{
    for (const SceneTextureRow& row : kSceneTextures)
        texture(row.id).load(row.path);
    for (int position = 0; position < static_cast<int>(kSceneTextureCount); ++position) {
        for (const SceneTextureRow& row : kSceneTextures) {
            if (row.uploadPosition != position)
                continue;
            Texture& uploaded = texture(row.id);
            uploaded.upload();
            uploaded.freePixels();
            if (row.setUp == TextureSetUp::RepeatWrap)
                uploaded.setWrapMode(static_cast<int>(TextureWrapMode::Repeat));
            else if (row.setUp == TextureSetUp::SharpFiltering)
                uploaded.setSmoothFiltering(false);
        }
    }
}

void GameScene::loadMeshes()
{
    struct {
        Mesh* mesh;
        const char* path;
    } const meshes[] = {{&quadMesh_, "data/quad.json"},
                        {&treeMesh_, "data/meshes/display/tree.json"},
                        {&wallMesh_, "data/meshes/display/wall.json"},
                        {&backgroundMesh_, "data/quadBackground.json"}};
    for (const auto& entry : meshes) {
        entry.mesh->load(entry.path);
        // The loader has already named the file and the fault; a marker shows where the
        // mesh would have been instead of nothing.
        if (entry.mesh->indexCount == 0)
            buildFallbackMesh(*entry.mesh);
        entry.mesh->createBuffers();
    }
}

void GameScene::layOutLevel()
{
    player_.init(0.0f, 0.0f, -2.0f, &quadMesh_, &texture(SceneTexture::Wall), &worldCamera_);
    player_.setScale(2.55f, 7.0f, 1.0f);
    player_.setAnchor(0.5f, 0.5f);

    spinner_.init(0.0f, 0.0f, -1.0f, &quadMesh_, &texture(SceneTexture::Wall), &worldCamera_);
    spinner_.setScale(0.5f, 13.0f, 1.0f);
    spinner_.setAnchor(0.5f, 0.5f);
    spinner_.setCollider(&quadCollider_);

    LayoutRandom random(seed_ ? *seed_ : static_cast<unsigned>(std::time(nullptr)));
    for (Sprite& tree : trees_) {
        const float x = static_cast<float>(random.next() % 40 - 20);
        const float y = static_cast<float>(random.next() % 40 - 20);
        tree.init(x, y, -1.0f, &treeMesh_, &texture(SceneTexture::WhitePixel), &worldCamera_);
        tree.setScale(1.0f, 1.0f, 1.0f);
        tree.setAnchor(0.5f, 0.5f);
        tree.setCollider(&quadCollider_);
    }

    // Four runs of 30 along the sides of the square; the corner (-30, -30) gets two pieces
    // and (30, 30) none.
    for (int i = 0; i < kWallCount; ++i) {
        const float a = static_cast<float>(-30 + 2 * (i % 30));
        float x = 0.0f;
        float y = 0.0f;
        switch (i / 30) {
        case 0:
            x = a;
            y = -30.0f;
            break;
        case 1:
            x = a;
            y = 30.0f;
            break;
        case 2:
            x = -30.0f;
            y = a;
            break;
        default:
            x = 30.0f;
            y = a;
            break;
        }
        Sprite& wall = walls_[static_cast<size_t>(i)];
        wall.init(x, y, -1.0f, &wallMesh_, &texture(SceneTexture::Wall), &worldCamera_);
        wall.setScale(1.0f, 1.0f, 1.0f);
        wall.setAnchor(0.5f, 0.5f);
        wall.setCollider(&quadCollider_);
    }

    spinnerClock_ = 0.0f;
    background_.y = 50.0f;
    multiplier_ = 3.0f;
    score_ = 0.0f;
}

void GameScene::createLabels()
{
    const struct {
        TextLabel* label;
        LabelLayout layout;
    } labels[] = {
        {&positionLabel_, {"ca marche!", 150, 35, -35, 90, 0, 1, 0, true, 90}},
        {&multiplierLabel_, {"x3", 230, 35, -35, 90, 0, 0, 1, true, 90}},
        {&scoreLabel_, {"ca marche!", 310, 35, -35, 90, 0, 1, 0, true, 90}},
        {&modeLabel_, {"NORMAL", 40, 620, -35, 40, 0, 0, 0, false, 0}},
        {&startLabel_, {"PRESS SPACE TO START", 150, 35, -35, 50, 0, 0, 0, false, 0}},
        {&easyModeLabel_, {"PRESS F1 FOR EASY MODE", 80, 450, -35, 30, 0, 0, 0, true, 20}},
        {&randomModeLabel_, {"PRESS F2 FOR RANDOM MODE", 600, 600, -35, 25, 0, 0, 0, true, -10}},
    };
    for (const auto& entry : labels) {
        const LabelLayout& s = entry.layout;
        entry.label->create(s.text, s.x, s.y, s.z, s.size, s.r, s.g, s.b,
                            &texture(SceneTexture::Font), &screenCamera_);
        if (s.rotated)
            entry.label->setRotation(s.rotation);
    }
}

void GameScene::loadPrograms()
{
    const struct {
        ShaderProgram* program;
        const char* vertexFile;
        const char* fragmentFile;
        void (*fallback)(ShaderProgram&);
    } programs[] = {
        {&basicProgram_, "basic-fixed.vert", "basic-fixed.frag", &useFallbackBasicProgram},
        {&conveyorProgram_, "conveyor-map.vert", "conveyor-map.frag", &useFallbackConveyorProgram},
        // Never drawn with, so it needs no stand-in.
        {&gameOverProgram_, "gameover-fixed.vert", "gameover-fixed.frag", nullptr},
        {&displayProgram_, "score-display.vert", "score-display.frag", &useFallbackDisplayProgram},
    };
    // OpenGL ES 2.0 (WebGL 1) compiles its own edition of each file.
    const std::string folder = glDialect() == GlDialect::Es2 ? "data/shaders/es/" : "data/shaders/";
    for (const auto& entry : programs) {
        const std::string vertex = folder + entry.vertexFile;
        const std::string fragment = folder + entry.fragmentFile;
        entry.program->load(vertex, fragment);
        entry.program->compileAndLink();
        // A stage that failed to compile is dropped, and the driver may still link what is
        // left; either way the program does not draw what its files describe.
        const bool built = entry.program->linked() && entry.program->vertexShaderName() != 0 &&
                           entry.program->fragmentShaderName() != 0;
        if (built)
            continue;
        if (entry.fallback != nullptr) {
            diagErr(vertex + ", " + fragment +
                    ": the program does not build; drawing with a placeholder");
            entry.fallback(*entry.program);
        } else {
            diagErr(vertex + ", " + fragment + ": the program does not build");
        }
    }
}

void GameScene::shutdown()
{
    if (!initialised_)
        return;
    for (Texture& texture : textures_)
        texture.deleteTexture();
    initialised_ = false;
}
