#include "main/command_line.h"

#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kDataOption = "--data";

CommandLine mistake(std::string text)
{
    CommandLine wrong;
    wrong.request = CommandLine::Request::Mistake;
    wrong.mistake = std::move(text);
    return wrong;
}

} // namespace

CommandLine parseCommandLine(int argc, char** argv)
{
    CommandLine result;
    bool answered = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "--version") {
            if (!answered)
                result.request =
                    arg == "--help" ? CommandLine::Request::Help : CommandLine::Request::Version;
            answered = true;
        } else if (arg == "--fullscreen") {
            result.fullScreen = true;
        } else if (arg == "--mute") {
            result.mute = true;
        } else if (arg == "--no-settings") {
            result.noSettings = true;
        } else if (arg == kDataOption || arg.substr(0, kDataOption.size() + 1) == "--data=") {
            std::string_view value;
            if (arg.size() > kDataOption.size())
                value = arg.substr(kDataOption.size() + 1);
            else if (i + 1 < argc)
                value = argv[++i];
            if (value.empty())
                return mistake("option --data needs a folder");
            result.dataDirectory = value;
        } else {
            return mistake((arg.starts_with('-') ? "unknown option " : "unexpected argument ") +
                           std::string(arg));
        }
    }
    return result;
}

const char* usageText()
{
    return "usage: zorbel [--fullscreen] [--mute] [--no-settings] [--data DIR]\n"
           "       zorbel --help | --version\n"
           "\n"
           "QUIX 5 Zorbel: a little round world of grass, trees and a fence under a star sky.\n"
           "\n"
           "Options:\n"
           "  --fullscreen   play full screen (in a window when the display mode cannot be set)\n"
           "  --mute         start with the sound muted (M unmutes)\n"
           "  --no-settings  neither read nor save the kept settings (see below)\n"
           "  --data DIR     read the game's files from DIR, a folder called \"data\"; without "
           "it:\n"
           "                 data/ in the working folder, data/ beside the program, then\n"
           "                 ../share/zorbel/data from the program\n"
           "  --help         show this text\n"
           "  --version      show the version\n"
           "\n"
           "Controls (keyboard, game pad):\n"
           "  arrows  left stick, d-pad  scroll the world (free camera: move the camera)\n"
           "  Space   South (A, Cross)   switch between scrolling and the free camera\n"
           "  Escape  Start              pause; again to resume\n"
           "  M                          mute the sound; again to unmute\n"
           "  H       North (Y, Triangle)  show the score display; again to hide it\n"
           "  F11                        play full screen; again to play in the window\n"
           "  Every connected pad plays beside the keyboard. Close the window to quit.\n"
           "\n"
           "Settings: mute, the score display and full screen are kept between runs, on Linux in\n"
           "$XDG_CONFIG_HOME/zorbel/settings.json (~/.config/zorbel/settings.json when it is not\n"
           "set), on Windows in %APPDATA%\\zorbel\\settings.json. --mute and --fullscreen set\n"
           "their choice for one run and leave the kept one as it is.\n";
}

std::string versionText()
{
    return std::string("zorbel ") + ZORBEL_VERSION;
}

CommandLineAnswer answerTo(const CommandLine& commandLine)
{
    switch (commandLine.request) {
    case CommandLine::Request::Help: return {usageText(), false, "QUIX 5 Zorbel: help", 0};
    case CommandLine::Request::Version: return {versionText(), false, "QUIX 5 Zorbel: version", 0};
    case CommandLine::Request::Mistake:
        return {"zorbel: " + commandLine.mistake + "\n" + usageText(), true, "An error occurred",
                2};
    case CommandLine::Request::Play: break;
    }
    return {};
}
