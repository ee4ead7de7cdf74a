#include "tools/headless/key_script.h"

#include <gtest/gtest.h>

TEST(KeyScript, HoldsKeysOverInclusiveFrameRangesAndRefusesMalformedItems)
{
    std::string error;
    const std::optional<KeyScript> script = KeyScript::parse("RIGHT@0-2 SPACE@3 UP@2-3 H@5", error);
    ASSERT_TRUE(script) << error;
    EXPECT_EQ(script->keysAt(0), std::set<Key>{Key::Right});
    EXPECT_EQ(script->keysAt(2), (std::set<Key>{Key::Right, Key::Up}));
    EXPECT_EQ(script->keysAt(3), (std::set<Key>{Key::Space, Key::Up}));
    EXPECT_TRUE(script->keysAt(4).empty());
    EXPECT_EQ(script->keysAt(5), std::set<Key>{Key::H});

    for (const char* bad : {"RIGHT", "JUMP@1", "LEFT@5-2", "UP@-1", "DOWN@1-x"}) {
        error.clear();
        EXPECT_FALSE(KeyScript::parse(bad, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}
