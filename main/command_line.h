#pragma once

#include <string>

// What the player asked for on the command line:
//   zorbel [--fullscreen] [--mute] [--no-settings] [--data DIR]     play
//   zorbel --help | --version              answer and end
// Values may also be attached: --data=DIR. No option changes the game's rules once it runs.
// --fullscreen and --mute set their choice for the run without changing the kept settings.
struct CommandLine {
    enum class Request { Play, Help, Version, Mistake };
    Request request = Request::Play;
    bool fullScreen = false;
    bool mute = false;         // start with the sound muted (M unmutes)
    bool noSettings = false;   // neither read nor write the player's kept settings
    std::string dataDirectory; // UTF-8; empty: the usual places
    std::string mistake;       // for Request::Mistake, one line: what was wrong
};

// Reads every argument after the program's name. A mistake anywhere wins over --help and
// --version; of those two the first given answers.
CommandLine parseCommandLine(int argc, char** argv);

// The usage, the options and the controls (for --help, and on standard error after a mistake).
const char* usageText();

// "zorbel " and the project's version.
std::string versionText();

// The answer to a request that is not Play.
struct CommandLineAnswer {
    std::string text;         // several lines
    bool mistake = false;     // said on standard error (else standard output), or an error box
    const char* caption = ""; // of the box it shows in where no console shows it
    int exitCode = 0;         // 0 for --help and --version, 2 after a mistake
};
CommandLineAnswer answerTo(const CommandLine& commandLine);
