#pragma once

#include "render/text_label.h"
#include "tests/support/gl_test_context.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <string>

// The real scene with the project's data on an offscreen context, seed 1, made afresh for
// each test suite (and, under ctest, for each test).
class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORBEL_REQUIRE_GL(started_);
    }
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static HeadlessGame* game_;
    static bool started_;
};

// Reads a label's current text back from its glyph quads: each slot's top-left texture
// coordinate names the font cell, and the draw counts say how many slots show.
std::string labelText(const TextLabel& label);
