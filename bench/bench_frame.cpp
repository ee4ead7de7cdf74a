// Frame cost of the real game scene on the offscreen context, through the headless driver:
// update + render + glFinish per frame (median and spread over 300 frames), the same with
// GL_RASTERIZER_DISCARD (the cost of our own calls without the pixels), update alone,
// process start to the first frame presented, and peak resident memory.
#include "bench/peak_memory.h"
#include "tools/headless/headless_game.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point processStart = Clock::now();

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Spread {
    double median, p10, p90, min, max;
};

Spread measure(int frames, const std::function<void()>& frame)
{
    std::vector<double> times;
    times.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        frame();
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    auto at = [&](double q) { return times[static_cast<size_t>(q * (times.size() - 1))]; };
    return {at(0.5), at(0.1), at(0.9), times.front(), times.back()};
}

void print(const char* what, const Spread& s)
{
    std::printf("%-44s median %8.3f ms  p10 %8.3f  p90 %8.3f  min %8.3f  max %8.3f\n", what,
                s.median, s.p10, s.p90, s.min, s.max);
}

} // namespace

int main()
{
    std::filesystem::current_path(ZORBEL_SOURCE_DIR);
    HeadlessGame game;
    HeadlessGame::Options options; // 1280 by 720, seed 1, 1/60 s frames
    if (!game.start(options))
        return 1;
    game.step();
    game.window().present();
    const double firstFrame = millisecondsSince(processStart);

    constexpr int kFrames = 300;
    // Scroll right and up while measuring, so the disc moves as in play.
    game.holdKeys({Key::Right, Key::Up});
    const Spread full = measure(kFrames, [&] { game.step(); });

    glEnable(GL_RASTERIZER_DISCARD);
    const Spread discard = measure(kFrames, [&] { game.step(); });
    glDisable(GL_RASTERIZER_DISCARD);

    const Spread update = measure(kFrames, [&] { game.update(); });

    std::printf("frame benchmark, %dx%d, %d frames each, renderer %s\n", options.width,
                options.height, kFrames, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    print("update + render + glFinish", full);
    print("the same with GL_RASTERIZER_DISCARD", discard);
    print("update alone", update);
    std::printf("%-44s %8.1f ms\n", "process start to first frame presented", firstFrame);
    std::printf("%-44s %8.1f MiB\n", "peak resident memory", peakResidentMiB());
    return 0;
}
