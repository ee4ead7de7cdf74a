#include "main/game_main.h"

#include "app/application.h"
#include "app/data_directory.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "app/message_box.h"
#include "audio/audio_output.h"
#include "audio/mixer.h"
#include "diag/diagnostics.h"
#include "game/game_scene.h"
#include "input/game_pads.h"
#include "main/command_line.h"
#include "settings/settings_keeper.h"

#include <memory>

namespace {

// The long-lived objects of the program. The scene is declared after the window so that it
// is destroyed first, while the GL context still exists; the mixer before the scene, which
// hands it the sounds; the sound output last, so that it stops pulling from the mixer first.
struct Game {
    SystemClock clock;
    GameWindow window;
    Mixer mixer;
    GameScene scene;
    AudioOutput sound;
    SettingsKeeper settings{nullptr};
};

// Where the player's choices are kept: nowhere with --no-settings, or when the platform has
// no place for them (said once).
std::unique_ptr<SettingsStore> settingsStore(const CommandLine& commandLine)
{
    if (commandLine.noSettings)
        return nullptr;
    std::string problem;
    std::unique_ptr<SettingsStore> store = openPlatformSettingsStore(problem);
    if (store == nullptr)
        diagErr("The settings are not kept: " + problem);
    return store;
}

// The three choices as the game has them now.
PlayerSettings choicesInForce(const Game& game)
{
    return {.muted = game.mixer.muted(),
            .displayShown = game.scene.displayShown(),
            .fullScreen = game.window.fullScreen()};
}

// Sound starts once the window and the scene are up. Without a device the game plays on
// silent, and says so once.
void startSound(Game& game)
{
    std::string reason;
    if (!game.sound.open(game.mixer, reason))
        diagErr("Sound is off: " + reason);
}

// Once per frame: a device that has gone turns the sound off the same way.
void pollSound(Game& game)
{
    std::string reason;
    if (!game.sound.poll(reason))
        diagErr("Sound is off: " + reason);
    game.sound.showMuted(game.mixer.muted());
}

// --help, --version or a mistake: said on the console, or shown in a box where there is none.
int answer(const CommandLine& commandLine)
{
    const CommandLineAnswer reply = answerTo(commandLine);
    if (!showAnswerWithoutConsole(reply.caption, reply.text.c_str(), reply.mistake)) {
        if (reply.mistake)
            diagErrLines(reply.text);
        else
            diagOutLines(reply.text);
    }
    return reply.exitCode;
}

} // namespace

int runGame(int argc, char** argv)
{
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.request != CommandLine::Request::Play)
        return answer(commandLine);
    // Without its data the game would be drawn in placeholders only: stop before any window.
    if (const std::string problem = useDataDirectory(pathFromUtf8(commandLine.dataDirectory));
        !problem.empty()) {
        reportProblemBeforeWindow(problem.c_str());
        return 1;
    }
    // Shared with the frame driver, which on some platforms keeps running the passes after
    // this function has returned: the passes keep the game alive.
    auto game = std::make_shared<Game>();
    game->window.setPadPoll([] { return gamePads.pollStartWentDown(); });
    // The scene hands the mixer its sounds at init; the mixer plays whether or not a device
    // takes its output.
    game->scene.setMixer(&game->mixer);
    // The kept choices, with the command line's on top for this run.
    game->settings = SettingsKeeper(settingsStore(commandLine));
    const PlayerSettings run = game->settings.forRun(commandLine.mute, commandLine.fullScreen);
    game->mixer.setMuted(run.muted);
    game->scene.setDisplayShown(run.displayShown);
    return runApplication(game->window, game->scene, game->clock, platformGlStartup(),
                          run.fullScreen,
                          [game](std::function<bool()> pass, std::function<int()> finish) {
                              // As the game is up: full screen may have been refused.
                              game->settings.start(choicesInForce(*game));
                              startSound(*game);
                              return runFrameLoop(
                                  [game, pass] {
                                      pollSound(*game);
                                      const bool going = pass();
                                      // A choice the player changed in this pass is kept.
                                      game->settings.follow(choicesInForce(*game));
                                      return going;
                                  },
                                  [game, finish] {
                                      // Before the scene's shutdown and the window's close.
                                      game->sound.close();
                                      return finish();
                                  });
                          });
}
