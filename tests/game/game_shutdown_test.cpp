#include "tests/game/game_fixture.h"

#include <GL/gl.h>

// A suite of its own, so the shutdown never reaches the scene the other suites read (where
// one process runs a whole suite, as under Wine).
class GameShutdownTest : public GameTest { };

TEST_F(GameShutdownTest, DeletesTheSixTexturesAndLeavesTheRestToDestruction)
{
    GameScene& scene = game_->scene();
    GLuint names[6] = {};
    for (int i = 0; i < 6; ++i) {
        names[i] = scene.textureByLoadOrder(i).name;
        ASSERT_TRUE(glIsTexture(names[i])) << "texture " << i;
    }
    const GLuint labelBuffer = scene.scoreLabel().mesh().positionBuffer;
    ASSERT_TRUE(isBuffer(labelBuffer));

    scene.shutdown();
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(glIsTexture(names[i])) << "texture " << i;
        EXPECT_EQ(scene.textureByLoadOrder(i).name, 0u);
    }
    EXPECT_TRUE(isBuffer(labelBuffer));

    // A second shutdown (the harness runs one at the end) deletes nothing more, not even
    // textures made since, which may reuse the freed names.
    GLuint later[6] = {};
    glGenTextures(6, later);
    for (GLuint name : later)
        glBindTexture(GL_TEXTURE_2D, name);
    scene.shutdown();
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(glIsTexture(later[i])) << later[i];
        EXPECT_EQ(scene.textureByLoadOrder(i).name, 0u);
    }
    EXPECT_TRUE(isBuffer(labelBuffer));
    glDeleteTextures(6, later);
}
