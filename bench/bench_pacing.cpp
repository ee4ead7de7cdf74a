// Frame pacing of the real loop: the game's window (shown), its clock and its scene, driven
// by the frame loop exactly as the game drives them, for 300 frames with Right held in the
// scene's key source. Prints the frame times the scene's update receives (the loop's own
// measure, held to at least 15 ms): median, 99th percentile, extremes, and the frame rate.
#include "app/application.h"
#include "app/data_directory.h"
#include "app/game_window.h"
#include "game/game_scene.h"
#include "input/input_device.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

namespace {

constexpr size_t kFrames = 300;

class HeldRight final : public KeySource {
public:
    bool isDown(Key key) const override { return key == Key::Right; }
};

// The scene as the loop sees it, noting the frame time of every update.
class TimedScene final : public SizeListener {
public:
    explicit TimedScene(GameScene& scene) : scene_(scene) { }
    std::vector<float> frameTimes;

    void resize(int width, int height) override { scene_.resize(width, height); }
    bool init() { return scene_.init(); }
    void update(float seconds)
    {
        frameTimes.push_back(seconds);
        scene_.update(seconds);
    }
    void render() { scene_.render(); }
    void shutdown() { scene_.shutdown(); }

private:
    GameScene& scene_;
};

double at(const std::vector<double>& sorted, double quantile)
{
    return sorted[static_cast<size_t>(quantile * static_cast<double>(sorted.size() - 1) + 0.5)];
}

} // namespace

int main()
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    SystemClock clock;
    GameWindow window;
    GameScene scene;
    scene.setRandomSeed(1);
    TimedScene timed(scene);
    HeldRight right;
    inputDevice.setKeySource(&right);
    if (startApplication(window, timed, platformGlStartup()) != 0)
        return 1;

    // One frame more than measured: the first covers the time since init returned.
    FrameLoop<GameWindow, TimedScene> loop(window, timed, clock, clock.counter());
    while (window.running() && timed.frameTimes.size() < kFrames + 1)
        loop.pass();
    finishApplication(window, timed);
    inputDevice.setKeySource(nullptr);
    if (timed.frameTimes.size() < kFrames + 1) {
        std::fprintf(stderr, "the window closed after %zu frames\n", timed.frameTimes.size());
        return 1;
    }

    std::vector<double> ms;
    for (size_t i = 1; i < timed.frameTimes.size(); ++i)
        ms.push_back(timed.frameTimes[i] * 1000.0);
    double sum = 0.0;
    for (double t : ms)
        sum += t;
    std::sort(ms.begin(), ms.end());
    std::printf("frame pacing of the real loop, %zu frames, floor %.1f ms\n", ms.size(),
                kMinimumFrameSeconds * 1000.0);
    std::printf("%-44s median %8.3f ms  p99 %8.3f  min %8.3f  max %8.3f  (%.1f frames/s)\n",
                "frame time given to update", at(ms, 0.5), at(ms, 0.99), ms.front(), ms.back(),
                1000.0 * static_cast<double>(ms.size()) / sum);
    return 0;
}
