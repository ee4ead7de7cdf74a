#include "app/gl_dialect.h"

#include <gtest/gtest.h>

TEST(GlDialect, OnlyAVersionStringStartingWithOpenGlEsNamesTheEsDialect)
{
    EXPECT_EQ(glDialectFromVersion("OpenGL ES 2.0 (WebGL 1.0 (OpenGL ES 2.0 Chromium))"),
              GlDialect::Es2);
    EXPECT_EQ(glDialectFromVersion("OpenGL ES 3.2 Mesa 22.3.6"), GlDialect::Es2);
    EXPECT_EQ(glDialectFromVersion("4.5 (Compatibility Profile) Mesa 22.3.6"), GlDialect::Desktop);
    EXPECT_EQ(glDialectFromVersion("2.1 Mesa 22.3.6 (mentions OpenGL ES later)"),
              GlDialect::Desktop);
    EXPECT_EQ(glDialectFromVersion("OpenGL"), GlDialect::Desktop);
    EXPECT_EQ(glDialectFromVersion(""), GlDialect::Desktop);
    EXPECT_EQ(glDialectFromVersion(nullptr), GlDialect::Desktop);
}
