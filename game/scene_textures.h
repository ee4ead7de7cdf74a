#pragma once

#include <cstddef>
#include <iterator>

// The scene's textures, named in the order they load.
enum class SceneTexture { Font, Road, Wall, Grass, WhitePixel, Stars };

// What the scene changes on a texture once it is on the GPU.
enum class TextureSetUp { None, RepeatWrap, SharpFiltering };

struct SceneTextureRow {
    SceneTexture id;
    const char* path;
    int uploadPosition; // 0 goes up first
    TextureSetUp setUp;
};

// The one list of the scene's textures. The rows stand in load order: init decodes them top
// to bottom, shutdown releases them top to bottom, and textureByLoadOrder counts rows.
// Uploading goes by uploadPosition instead: font, road, wall, white pixel, grass, stars (the
// white pixel goes up before the grass), so a fresh context hands out names rising in that
// order. A texture is set up right after its upload, and every CPU copy is dropped once it
// is on the GPU.
inline constexpr SceneTextureRow kSceneTextures[] = {
    {SceneTexture::Font, "data/font.bmp.fnt", 0, TextureSetUp::None},
    {SceneTexture::Road, "data/road6.png", 1, TextureSetUp::None},
    {SceneTexture::Wall, "data/wall.bmp", 2, TextureSetUp::SharpFiltering},
    {SceneTexture::Grass, "data/grass.bmp", 4, TextureSetUp::None},
    {SceneTexture::WhitePixel, "data/whitepixel.bmp", 3, TextureSetUp::None},
    {SceneTexture::Stars, "data/sky/stars/stars.bmp", 5, TextureSetUp::RepeatWrap},
};

inline constexpr size_t kSceneTextureCount = std::size(kSceneTextures);

// Each row sits at the index of its name, and the upload positions are 0 to count - 1, each
// once: checked when the table is compiled.
constexpr bool sceneTextureTableIsWellFormed()
{
    for (size_t row = 0; row < kSceneTextureCount; ++row) {
        if (static_cast<size_t>(kSceneTextures[row].id) != row)
            return false;
        int holders = 0;
        for (const SceneTextureRow& other : kSceneTextures)
            holders += other.uploadPosition == static_cast<int>(row) ? 1 : 0;
        if (holders != 1)
            return false;
    }
    return true;
}
static_assert(sceneTextureTableIsWellFormed());
