#include "app/gl_functions.h"
#include "app/game_window.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* gMissingName = nullptr;

// A driver that has every entry point but one; each slot gets a distinct fake address.
void* lookupWithoutOne(const char* name)
{
    if (gMissingName != nullptr && std::strcmp(name, gMissingName) == 0)
        return nullptr;
    const auto& names = glFunctionNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (std::strcmp(names[i], name) == 0)
            return reinterpret_cast<void*>(0x1000 + 16 * i);
    return nullptr;
}

void* const* slots()
{
    return reinterpret_cast<void* const*>(&gl);
}

} // namespace

TEST(GlFunctions, FetchFillsEverySlotInTableOrderFromItsOwnName)
{
    gMissingName = nullptr;
    fetchGlFunctions(&lookupWithoutOne);
    ASSERT_EQ(glFunctionNames().size(), static_cast<size_t>(kGlFunctionCount));
    EXPECT_STREQ(glFunctionNames().front(), "glGenBuffers");
    EXPECT_STREQ(glFunctionNames().back(), "glActiveTexture");
    for (int i = 0; i < kGlFunctionCount; ++i)
        EXPECT_EQ(slots()[i], reinterpret_cast<void*>(0x1000 + 16 * i)) << glFunctionNames()[i];
    EXPECT_TRUE(missingGlFunctions().empty());
}

TEST(GlFunctions, AMissingNameEmptiesOnlyItsSlotAndIsReportedWhenTheGameCallsIt)
{
    gMissingName = "glUniformMatrix4fv";
    fetchGlFunctions(&lookupWithoutOne);
    EXPECT_EQ(gl.glUniformMatrix4fv, nullptr);
    EXPECT_NE(gl.glUniformMatrix3fv, nullptr);
    EXPECT_NE(gl.glGetAttribLocation, nullptr);
    EXPECT_EQ(missingGlFunctions(), std::vector<std::string>{"glUniformMatrix4fv"});

    // A row the game never calls may be missing without stopping start-up.
    gMissingName = "glUniform3ui";
    fetchGlFunctions(&lookupWithoutOne);
    EXPECT_EQ(gl.glUniform3ui, nullptr);
    EXPECT_TRUE(missingGlFunctions().empty());
    gMissingName = nullptr;
}

TEST(GlFunctions, ARealDriverProvidesEverySlotTheGameCalls)
{
    GlTestContext context;
    ZORBEL_REQUIRE_GL(context);
    fetchGlFunctions(&GameWindow::glProcAddress);
    EXPECT_TRUE(missingGlFunctions().empty());
}
