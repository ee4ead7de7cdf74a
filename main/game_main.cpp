#include "main/game_main.h"

#include "app/application.h"
#include "app/data_directory.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "diag/diagnostics.h"
#include "game/game_scene.h"
#include "main/command_line.h"

#include <memory>

namespace {

// The long-lived objects of the program. The scene is declared after the window so that it
// is destroyed first, while the GL context still exists.
struct Game {
    SystemClock clock;
    GameWindow window;
    GameScene scene;
};

} // namespace

int runGame(int argc, char** argv)
{
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.request != CommandLine::Request::Play)
        return answerCommandLine(commandLine);
    // Without its data the game would be drawn in placeholders only: stop before any window.
    if (const std::string problem = useDataDirectory(commandLine.dataDirectory); !problem.empty()) {
        diagErr(problem);
        return 1;
    }
    // Shared with the frame driver, which on some platforms keeps running the passes after
    // this function has returned: the passes keep the game alive.
    auto game = std::make_shared<Game>();
    return runApplication(game->window, game->scene, game->clock, platformGlStartup(),
                          commandLine.fullScreen,
                          [game](std::function<bool()> pass, std::function<int()> finish) {
                              return runFrameLoop([game, pass] { return pass(); },
                                                  [game, finish] { return finish(); });
                          });
}
