#include "settings/player_settings.h"

#include <gtest/gtest.h>

TEST(SettingsText, WrittenRecordsAndEditedOnesReadBackWholeWithoutAWord)
{
    for (int bits = 0; bits < 8; ++bits) {
        const PlayerSettings settings{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        EXPECT_EQ(readSettingsText(settingsText(settings)).settings, settings);
    }
    // A byte order mark, comments, any order, a member of a later version, a missing one.
    const SettingsReading edited =
        readSettingsText("\xEF\xBB\xBF// by hand\n{ \"fullscreen\": true,"
                         " \"volume\": 0.5, \"mute\": true }\n");
    EXPECT_EQ(edited.settings, (PlayerSettings{true, false, true}));
    EXPECT_EQ(edited.problem, "");
}

// Whatever the text, the choices it cannot give are the defaults and the reason says so.
TEST(SettingsText, DamageIsNamedAndTheDefaultsStandForWhatCouldNotBeRead)
{
    const std::string wholly = "; playing with the default settings";
    const struct {
        std::string text;
        std::string problem;
        PlayerSettings settings;
    } cases[] = {
        {"", "it is empty" + wholly, {}},
        {"garbage\n", "not a JSON object" + wholly, {}},
        {std::string("{\"mute\"\0: true}", 15), "not a JSON object" + wholly, {}},
        {"[true, true, true]", "not a JSON object" + wholly, {}},
        {"{\"mute\": true, \"display\": tr", "not a JSON object" + wholly, {}},
        {"{\"mute\" true}", "not a JSON object" + wholly, {}},
        {"{\"mute\": \"yes\", \"display\": true}",
         "\"mute\" is not true or false; playing with its default",
         {false, true, false}},
        {"{\"mute\": 1, \"display\": null, \"fullscreen\": True}",
         "\"mute\", \"display\", \"fullscreen\" are not true or false; playing with their defaults",
         {}},
    };
    for (const auto& c : cases) {
        const SettingsReading reading = readSettingsText(c.text);
        EXPECT_EQ(reading.problem, c.problem) << c.text;
        EXPECT_EQ(reading.settings, c.settings) << c.text;
    }
}
