#include "app/application.h"
#include "app/game_window.h"
#include "game/game_scene.h"
#include "app/data_directory.h"

int main()
{
    useDataDirectory();
    SystemClock clock;
    GameWindow window;
    int exitCode = 1;
    {
        // The scene goes before the window, so its GL objects are released while the
        // context still exists.
        GameScene scene;
        exitCode = runApplication(window, scene, clock, platformGlStartup());
    }
    return exitCode;
}
