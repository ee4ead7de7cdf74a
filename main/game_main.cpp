#include "main/game_main.h"

#include "app/application.h"
#include "app/data_directory.h"
#include "app/frame_driver.h"
#include "app/game_window.h"
#include "game/game_scene.h"

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

int runGame(int, char**)
{
    useDataDirectory();
    // Shared with the frame driver, which on some platforms keeps running the passes after
    // this function has returned.
    auto game = std::make_shared<Game>();
    if (const int failed = startApplication(game->window, game->scene, platformGlStartup()); failed != 0)
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
