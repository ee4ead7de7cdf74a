// zorbel-headless: runs the real game scene offscreen with a fixed frame time, a fixed seed
// and scripted keys, and writes chosen frames as PNG files and, when asked, the sound of the
// whole play as a WAV file (16-bit stereo, 48 kHz, mixed in step with the frames).
//
//   zorbel-headless [--frames N] [--seed S] [--dt SECONDS] [--size WxH]
//                   [--keys "RIGHT@0-119 SPACE@120"] [--pause FIRST-LAST]
//                   [--capture 0,60,119 | --capture-every K] [--out DIR] [--sound FILE]
//   zorbel-headless --script playthrough --out DIR
//   zorbel-headless --help
#include "audio/wav_writer.h"
#include "tools/headless/headless_game.h"

#include "diag/diagnostics.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace {

struct Settings {
    HeadlessGame::Options options;
    int frames = 1;
    std::string keys;
    int pauseFirst = -1;
    int pauseLast = -1;
    std::set<int> capture;
    int captureEvery = 0;
    std::string out = ".";
    std::string sound; // empty: no sound file
};

// say: diagOutLines when asked for, diagErrLines after a mistake.
void usage(void (*say)(std::string_view))
{
    say("usage: zorbel-headless [--frames N] [--seed S] [--dt SECONDS] [--size WxH]\n"
        "         [--keys SCRIPT] [--pause FIRST-LAST] [--capture LIST | --capture-every K]\n"
        "         [--out DIR] [--sound FILE] [--script playthrough]\n"
        "       zorbel-headless --help\n");
}

// A few seconds of play: scroll right and up, switch to the free camera and move it,
// switch back, scroll down, pause for a while, resume.
void usePlaythrough(Settings& s)
{
    s.frames = 480;
    s.keys = "RIGHT@0-119 UP@120-179 SPACE@200 LEFT@201-280 SPACE@300 DOWN@310-400";
    s.pauseFirst = 410;
    s.pauseLast = 450;
    s.captureEvery = 40;
}

bool parse(int argc, char** argv, Settings& s)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--script") {
            if (!(v = value()) || std::string(v) != "playthrough")
                return false;
            usePlaythrough(s);
        } else if (arg == "--frames" && (v = value())) {
            char* end = nullptr;
            const long frames = std::strtol(v, &end, 10);
            if (end == v || *end != '\0' || frames < 1 || frames > INT_MAX)
                return false;
            s.frames = static_cast<int>(frames);
        } else if (arg == "--seed" && (v = value())) {
            s.options.seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        } else if (arg == "--dt" && (v = value())) {
            s.options.frameSeconds = std::strtof(v, nullptr);
        } else if (arg == "--size" && (v = value())) {
            if (std::sscanf(v, "%dx%d", &s.options.width, &s.options.height) != 2)
                return false;
        } else if (arg == "--keys" && (v = value())) {
            s.keys = v;
        } else if (arg == "--pause" && (v = value())) {
            if (std::sscanf(v, "%d-%d", &s.pauseFirst, &s.pauseLast) != 2)
                return false;
        } else if (arg == "--capture" && (v = value())) {
            std::stringstream list(v);
            std::string item;
            while (std::getline(list, item, ','))
                s.capture.insert(std::atoi(item.c_str()));
        } else if (arg == "--capture-every" && (v = value())) {
            s.captureEvery = std::atoi(v);
        } else if (arg == "--out" && (v = value())) {
            s.out = v;
        } else if (arg == "--sound" && (v = value())) {
            s.sound = v;
        } else {
            return false;
        }
    }
    return s.frames > 0 && s.options.width > 0 && s.options.height > 0 &&
           s.options.frameSeconds > 0.0f && std::isfinite(s.options.frameSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    // Asking for help is not a mistake: the usage goes to standard output, exit code 0.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            usage(diagOutLines);
            return 0;
        }
    }
    Settings settings;
    if (!parse(argc, argv, settings)) {
        usage(diagErrLines);
        return 2;
    }
    std::string error;
    const std::optional<KeyScript> script = KeyScript::parse(settings.keys, error);
    if (!script) {
        diagErr("--keys: " + error);
        return 2;
    }
    // The driver keeps the play's whole sound (for --sound) as a WAV file's samples: a play
    // whose sound a WAV file cannot hold is refused before anything is made.
    const uint64_t soundFrames =
        HeadlessGame::soundFramesAfter(settings.frames, settings.options.frameSeconds);
    if (const std::string problem = wavSizeProblem(soundFrames, 2, HeadlessGame::kSoundRate);
        !problem.empty()) {
        if (settings.sound.empty())
            diagErrf("--frames %d --dt %g: the play's sound is too long to keep: %s",
                     settings.frames, settings.options.frameSeconds, problem.c_str());
        else
            diagErrf("%s: the play's sound is too long for the file: %s", settings.sound.c_str(),
                     problem.c_str());
        return 2;
    }
    // Paths given relative to where the tool was started stay valid after it finds data/.
    const std::filesystem::path out = std::filesystem::absolute(settings.out);
    const std::string soundFile =
        settings.sound.empty() ? "" : std::filesystem::absolute(settings.sound).string();

    HeadlessGame game;
    if (!game.start(settings.options))
        return 1;
    std::filesystem::create_directories(out);
    RgbaImage last;
    for (int frame = 0; frame < settings.frames; ++frame) {
        const bool paused = frame >= settings.pauseFirst && frame <= settings.pauseLast;
        // The keys are held whether or not the game is paused (M works in a pause).
        game.holdKeys(script->keysAt(frame));
        if (!paused) {
            game.step();
            last = game.readFrame();
        } else {
            game.pausedStep();
        }
        const bool wanted = settings.capture.count(frame) != 0 ||
                            (settings.captureEvery > 0 && frame % settings.captureEvery == 0) ||
                            (settings.capture.empty() && settings.captureEvery == 0 &&
                             frame == settings.frames - 1);
        if (wanted && !last.pixels.empty()) {
            char name[64];
            std::snprintf(name, sizeof name, "frame-%04d.png", frame);
            if (!writePng((out / name).string(), last))
                return 1;
        }
    }
    if (!soundFile.empty()) {
        const std::vector<int16_t>& sound = game.sound();
        std::string reason;
        if (!writeWav(soundFile, sound.data(), sound.size() / 2, 2, HeadlessGame::kSoundRate,
                      reason)) {
            diagErrf("%s: %s", soundFile.c_str(), reason.c_str());
            return 1;
        }
    }
    return 0;
}
