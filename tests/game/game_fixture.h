#pragma once

#include "render/text_label.h"
#include "tests/render/glyph_text.h"
#include "tests/support/gl_test_context.h"
#include "tools/headless/headless_game.h"

#include <gtest/gtest.h>

#include <string>

// The real scene with the project's data on an offscreen context, seed 1, made afresh for
// each test suite (and, under ctest, for each test).
class GameTest : public ::testing::Test {
protected:
    void SetUp() override { ZORBEL_REQUIRE_GL(started_); }
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static HeadlessGame* game_;
    static bool started_;
};

// A label's current text read back from its glyph quads: the draw counts say how many
// slots show.
inline std::string labelText(const TextLabel& label)
{
    return glyphText(label.mesh(), static_cast<size_t>(label.mesh().indexCount) / 6);
}
