#include "app/gl_functions.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The table as the game defines it, typed out row by row rather than taken from the list
// it checks: entry point and whether the game calls it.
struct Row {
    const char* name;
    bool called;
};
const Row kTable[] = {
    {"glGenBuffers", true},
    {"glDeleteBuffers", true},
    {"glBindBuffer", true},
    {"glBufferData", true},
    {"glBufferSubData", true},
    {"glCreateShader", true},
    {"glDeleteShader", true},
    {"glCreateProgram", true},
    {"glShaderSource", true},
    {"glCompileShader", true},
    {"glGetShaderiv", true},
    {"glAttachShader", true},
    {"glDetachShader", true},
    {"glLinkProgram", true},
    {"glGetProgramiv", true},
    {"glUseProgram", true},
    {"glGetProgramInfoLog", false},
    {"glGetShaderInfoLog", true},
    {"glGetUniformLocation", true},
    {"glUniform1f", false},
    {"glUniform2f", true},
    {"glUniform3f", false},
    {"glUniform4f", false},
    {"glUniform1fv", false},
    {"glUniform2fv", false},
    {"glUniform3fv", false},
    {"glUniform4fv", false},
    {"glUniform1i", true},
    {"glUniform2i", false},
    {"glUniform3i", false},
    {"glUniform4i", false},
    {"glUniform1ui", false},
    {"glUniform2ui", false},
    {"glUniform3ui", false},
    {"glUniform4ui", false},
    {"glUniformMatrix2fv", false},
    {"glUniformMatrix3fv", false},
    {"glUniformMatrix4fv", true},
    {"glGetAttribLocation", true},
    {"glBindAttribLocation", false},
    {"glVertexAttribPointer", true},
    {"glEnableVertexAttribArray", true},
    {"glDisableVertexAttribArray", true},
    {"glActiveTexture", true},
};
constexpr int kRows = sizeof kTable / sizeof kTable[0];

const char* gMissingName = nullptr;

// A driver that has every entry point but one (or none, for "*"); each known name gets a
// distinct fake address from its row in the typed table.
void* lookupWithoutOne(const char* name)
{
    if (gMissingName != nullptr &&
        (std::strcmp(gMissingName, "*") == 0 || std::strcmp(name, gMissingName) == 0))
        return nullptr;
    for (int i = 0; i < kRows; ++i)
        if (std::strcmp(kTable[i].name, name) == 0)
            return reinterpret_cast<void*>(0x1000 + 16 * i);
    return nullptr;
}

} // namespace

TEST(GlFunctions, FetchFillsEverySlotInTableOrderFromItsOwnName)
{
    ASSERT_EQ(kRows, kGlFunctionCount);
    ASSERT_EQ(glFunctionNames().size(), static_cast<size_t>(kRows));
    gMissingName = nullptr;
    fetchGlFunctions(&lookupWithoutOne);
    void* const* slots = reinterpret_cast<void* const*>(&gl);
    for (int i = 0; i < kRows; ++i) {
        EXPECT_STREQ(glFunctionNames()[i], kTable[i].name) << "row " << i + 1;
        EXPECT_EQ(slots[i], reinterpret_cast<void*>(0x1000 + 16 * i)) << kTable[i].name;
    }
    EXPECT_EQ(reinterpret_cast<void*>(gl.glUniform2f), lookupWithoutOne("glUniform2f"));
    EXPECT_TRUE(missingGlFunctions().empty());
}

TEST(GlFunctions, OnlyTheEntryPointsTheGameCallsAreRequired)
{
    // With a driver that has nothing, exactly the rows the game calls are reported, in order.
    gMissingName = "*";
    fetchGlFunctions(&lookupWithoutOne);
    std::vector<std::string> called;
    for (const Row& row : kTable)
        if (row.called)
            called.emplace_back(row.name);
    EXPECT_EQ(missingGlFunctions(), called);

    // A missing name empties only its own slot.
    gMissingName = "glUniformMatrix4fv";
    fetchGlFunctions(&lookupWithoutOne);
    EXPECT_EQ(gl.glUniformMatrix4fv, nullptr);
    EXPECT_NE(gl.glUniformMatrix3fv, nullptr);
    EXPECT_NE(gl.glGetAttribLocation, nullptr);
    EXPECT_EQ(missingGlFunctions(), std::vector<std::string>{"glUniformMatrix4fv"});
    gMissingName = nullptr;
}
