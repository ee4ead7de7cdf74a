// Where Windows keeps the settings: %APPDATA%, read wide, so a user name outside the ANSI code
// page reaches the file whole; the shell's roaming folder when the variable is not set.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(SettingsPlace, TheRoamingFolderOfAnyUserName)
{
    std::string problem;
    ASSERT_TRUE(
        SetEnvironmentVariableW(L"APPDATA", L"C:\\users\\J\u00fcrgen \u65e5\u672c\\Roaming"));
    EXPECT_EQ(openPlatformSettingsStore(problem)->name(),
              "C:\\users\\J\xC3\xBCrgen \xE6\x97\xA5\xE6\x9C\xAC\\Roaming\\zorbel\\settings.json");
    ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
    const std::string shellPlace = openPlatformSettingsStore(problem)->name();
    EXPECT_EQ(shellPlace.rfind("C:\\", 0), 0u) << shellPlace;
    EXPECT_NE(shellPlace.find("\\zorbel\\settings.json"), std::string::npos) << shellPlace;
}
