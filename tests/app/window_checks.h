#pragma once

// What every backend's game window gives the game once create has returned. The platform's
// own headers (windows.h before GL/gl.h) come first in the test that includes this.

#include "app/game_window.h"
#include "app/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

class SizeLog final : public SizeListener {
public:
    std::vector<std::pair<int, int>> sizes;
    void resize(int width, int height) override { sizes.emplace_back(width, height); }
};

// A running window, its size reported first, its own GL 3 context current and a depth
// buffer of at least 16 bits.
inline void expectReadyToDraw(const GameWindow& window, const SizeLog& log, int width, int height)
{
    EXPECT_TRUE(window.running());
    EXPECT_TRUE(hasCurrentGlContext());
    ASSERT_FALSE(log.sizes.empty());
    EXPECT_EQ(log.sizes.front(), std::make_pair(width, height));
    EXPECT_FALSE(window.legacyContext());
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_GE(std::atoi(version), 3);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
}

// A window neither running nor paused before create, then created windowed at the size with
// log as its listener and ready to draw. Wrap in ASSERT_NO_FATAL_FAILURE.
inline void createReadyToDraw(GameWindow& window, SizeLog& log, int width, int height)
{
    window.setSizeListener(&log);
    EXPECT_FALSE(window.running());
    EXPECT_TRUE(window.active());
    ASSERT_TRUE(window.create(width, height, 32, false));
    expectReadyToDraw(window, log, width, height);
}
