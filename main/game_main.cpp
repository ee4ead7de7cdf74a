#include "main/game_main.h"

#include "app/application.h"
#include "app/data_directory.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "game/game_scene.h"
#include "main/command_line.h"

#include <cstdio>
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
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    // Shared with the frame driver, which on some platforms keeps running the passes after
    // this function has returned.
    auto game = std::make_shared<Game>();
    const int failed = startApplication(game->window, game->scene, platformGlStartup(), commandLine.fullScreen);
    if (failed != 0)
        return failed;
    // The counter is read once init has returned, so loading time stays out of the first frame.
    auto loop = std::make_shared<FrameLoop<GameWindow, GameScene>>(game->window, game->scene, game->clock,
                                                                   game->clock.counter());
    return runFrameLoop(
        [game, loop] {
            loop->pass();
            return game->window.running();
        },
        [game] { return finishApplication(game->window, game->scene); });
}
