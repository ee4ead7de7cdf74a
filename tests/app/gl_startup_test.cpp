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
    const struct {
        GLenum what;
        GLint expected;
        const char* name;
    } values[] = {
        {GL_DEPTH_FUNC, GL_LEQUAL, "depth function"},
        {GL_CULL_FACE_MODE, GL_BACK, "culled faces"},
        {GL_FRONT_FACE, GL_CCW, "front faces"},
        {GL_BLEND_SRC_RGB, GL_SRC_ALPHA, "blend source"},
        {GL_BLEND_DST_RGB, GL_ONE_MINUS_SRC_ALPHA, "blend destination"},
        {GL_BLEND_SRC_ALPHA, GL_SRC_ALPHA, "blend source alpha"},
        {GL_BLEND_DST_ALPHA, GL_ONE_MINUS_SRC_ALPHA, "blend destination alpha"},
        {GL_ACTIVE_TEXTURE, GL_TEXTURE0, "texture unit"},
    };
    for (const auto& v : values) {
        GLint value = 0;
        glGetIntegerv(v.what, &value);
        EXPECT_EQ(value, v.expected) << v.name;
    }
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float>{1, 1, 1, 1}));
}
