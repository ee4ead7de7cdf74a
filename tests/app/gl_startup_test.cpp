#include "app/application.h"
#include "app/gl_functions.h"
#include "tests/support/gl_test_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(GlStartup, ARealDriverProvidesEveryEntryPointTheGameCalls)
{
    GlTestContext context;
    ZORBEL_REQUIRE_GL(context.ok());
    EXPECT_EQ(platformGlStartup().fetchEntryPoints(), "");
    EXPECT_TRUE(missingGlFunctions().empty());
}

TEST(GlStartup, SetsEveryFixedRenderStateValue)
{
    GlTestContext context;
    ZORBEL_REQUIRE_GL(context.ok());
    // Start from the opposite of every value, so each one must be set.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_ALWAYS);
    glBlendFunc(GL_ONE, GL_ZERO);
    gl.glActiveTexture(GL_TEXTURE3);

    platformGlStartup().setRenderState();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{1, 1, 1, 1}));
}
