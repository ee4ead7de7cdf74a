#pragma once

#include "render/text_label.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <string>

// The real scene with the project's data on an offscreen context, seed 1, made afresh for
// each test suite (and, under ctest, for each test).
class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!started_)
            GTEST_SKIP() << "no offscreen GL context on this machine";
    }
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static HeadlessGame* game_;
    static bool started_;
};

// Reads a label's current text back from its glyph quads: each slot's top-left texture
// coordinate names the font cell, and the draw counts say how many slots show.
std::string labelText(const TextLabel& label);
