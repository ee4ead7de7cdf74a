// Frame cost of the real game scene on the offscreen context, through the headless driver:
// update + render + glFinish per frame (median and spread over 300 frames), the same with
// the score display on (the two measured in turn, also in processor time), the same with
// GL_RASTERIZER_DISCARD (the cost of our own calls without the pixels), update alone,
// process start to the first frame presented, and peak resident memory.
#include "bench/peak_memory.h"
#include "bench/process_cpu.h"
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

Spread spreadOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    auto at = [&](double q) { return times[static_cast<size_t>(q * (times.size() - 1))]; };
    return {at(0.5), at(0.1), at(0.9), times.front(), times.back()};
}

// Two kinds of frame timed in turn.
struct InTurn {
    Spread wall[2];
    // The median over the blocks of the process's processor time per frame: read per block,
    // since some platforms count it in steps of a scheduler tick.
    double cpuMilliseconds[2];
};

// Times `frames` calls of each of the two kinds of frame, alternating in blocks of `block`, so
// that whatever else the machine does during the run weighs on both alike.
InTurn measureInTurn(int frames, int block, const std::function<void()>& a,
                     const std::function<void()>& b)
{
    std::vector<double> times[2];
    std::vector<double> cpu[2];
    for (int done = 0; done < frames; done += block) {
        for (int kind = 0; kind < 2; ++kind) {
            const double cpuStart = processCpuMilliseconds();
            for (int i = 0; i < block; ++i) {
                const Clock::time_point start = Clock::now();
                (kind == 0 ? a : b)();
                times[kind].push_back(millisecondsSince(start));
            }
            cpu[kind].push_back((processCpuMilliseconds() - cpuStart) / block);
        }
    }
    InTurn result{};
    for (int kind = 0; kind < 2; ++kind) {
        result.wall[kind] = spreadOf(times[kind]);
        result.cpuMilliseconds[kind] = spreadOf(cpu[kind]).median;
    }
    return result;
}

Spread measure(int frames, const std::function<void()>& frame)
{
    std::vector<double> times;
    times.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        frame();
        times.push_back(millisecondsSince(start));
    }
    return spreadOf(std::move(times));
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
    GameScene& scene = game.scene();
    const InTurn display = measureInTurn(
        kFrames, 30,
        [&] {
            scene.setDisplayShown(false);
            game.step();
        },
        [&] {
            scene.setDisplayShown(true);
            game.step();
        });
    scene.setDisplayShown(false);
    const Spread& full = display.wall[0];
    const Spread& withDisplay = display.wall[1];

    glEnable(GL_RASTERIZER_DISCARD);
    const Spread discard = measure(kFrames, [&] { game.step(); });
    glDisable(GL_RASTERIZER_DISCARD);

    const Spread update = measure(kFrames, [&] { game.update(); });

    std::printf("frame benchmark, %dx%d, %d frames each, renderer %s\n", options.width,
                options.height, kFrames, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    print("update + render + glFinish", full);
    print("the same with the score display on", withDisplay);
    std::printf("%-44s %8.3f ms off, %8.3f ms on\n", "processor time per frame (all threads)",
                display.cpuMilliseconds[0], display.cpuMilliseconds[1]);
    std::printf("%-44s wall %6.3f, processor %6.3f\n", "display on / off, medians",
                withDisplay.median / full.median,
                display.cpuMilliseconds[1] / display.cpuMilliseconds[0]);
    print("the same with GL_RASTERIZER_DISCARD", discard);
    print("update alone", update);
    std::printf("%-44s %8.1f ms\n", "process start to first frame presented", firstFrame);
    std::printf("%-44s %8.1f MiB\n", "peak resident memory", peakResidentMiB());
    return 0;
}
