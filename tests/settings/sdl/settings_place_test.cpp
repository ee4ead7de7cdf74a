// The Linux side of the settings: where they live, and failed writes as this system makes
// them (a read-only folder, a full disk).
#include "settings/settings_file.h"

#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string placeWith(const char* xdgConfigHome, const char* home)
{
    xdgConfigHome ? setenv("XDG_CONFIG_HOME", xdgConfigHome, 1) : unsetenv("XDG_CONFIG_HOME");
    home ? setenv("HOME", home, 1) : unsetenv("HOME");
    std::string problem;
    const auto store = openPlatformSettingsStore(problem);
    return store ? store->name() : problem;
}

// The write fails, and the folder holds the old record alone, not even a temporary.
void expectAFailedWriteThatKeptTheOldRecord(SettingsFile& file, const std::string& reason)
{
    std::string problem;
    EXPECT_FALSE(file.write("{\"mute\": true}", problem));
    EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    fs::permissions(file.path().parent_path(), fs::perms::owner_all);
    std::string text;
    file.read(text, problem);
    EXPECT_EQ(text, "{}");
    const fs::directory_iterator entries(file.path().parent_path());
    EXPECT_EQ(std::distance(entries, fs::directory_iterator()), 1);
}

} // namespace

TEST(SettingsPlace, TheXdgConfigFolderWhenAbsoluteElseDotConfigInTheHomeFolder)
{
    EXPECT_EQ(placeWith("/x/config", "/home/a"), "/x/config/zorbel/settings.json");
    EXPECT_EQ(placeWith("relative/config", "/home/a"), "/home/a/.config/zorbel/settings.json");
    EXPECT_EQ(placeWith("", "/home/a"), "/home/a/.config/zorbel/settings.json");
    // Without HOME the user's entry in the password database names the home folder.
    EXPECT_NE(placeWith(nullptr, nullptr).find("/.config/zorbel/settings.json"), std::string::npos);
}

TEST(SettingsFileOnLinux, AReadOnlyFolderFailsTheWriteAndKeepsThePreviousRecord)
{
    TempDir dir;
    SettingsFile file(dir.write("settings.json", "{}"));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    const std::string reason =
        "cannot make a file in \"" + dir.path().string() + "\": Permission denied";
    if (geteuid() != 0) {
        expectAFailedWriteThatKeptTheOldRecord(file, reason);
        return;
    }
    // Permissions do not hold root back: the write runs in a child that has given up root
    // for the unprivileged "nobody" (65534) and says its problem through a pipe.
    int said[2];
    ASSERT_EQ(pipe(said), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::string problem;
        const bool refused =
            setgid(65534) == 0 && setuid(65534) == 0 && !file.write("{\"mute\": true}", problem);
        (void)!::write(said[1], problem.data(), problem.size());
        _exit(refused ? 0 : 1);
    }
    close(said[1]);
    std::string problem;
    char buffer[256];
    for (ssize_t got; (got = read(said[0], buffer, sizeof buffer)) > 0;)
        problem.append(buffer, static_cast<size_t>(got));
    close(said[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write was not refused";
    EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    fs::permissions(dir.path(), fs::perms::owner_all);
    std::string text;
    file.read(text, problem);
    EXPECT_EQ(text, "{}");
    const fs::directory_iterator entries(dir.path());
    EXPECT_EQ(std::distance(entries, fs::directory_iterator()), 1);
}

// The file size limit fails every write past it as a full disk does, whoever runs the test.
TEST(SettingsFileOnLinux, AFullDiskFailsTheWriteHalfWayAndKeepsThePreviousRecord)
{
    TempDir dir;
    SettingsFile file(dir.write("settings.json", "{}"));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &small);
    expectAFailedWriteThatKeptTheOldRecord(file, ": File too large");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
}
