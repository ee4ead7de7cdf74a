// The cost per frame of reading the game pads, as the window's pump reads them: the poll of
// every pad (the platform's read, the merge and Start's edge), after the event pump that
// brings their state up to date where the platform has one (SDL; its cost is printed apart,
// since the window pumps its events with or without pads). With no pad, then with one.
// Prints the median and spread in microseconds of a frame, each figure the mean of a batch of
// frames (one poll alone is below the clock's resolution under Wine).
#include "bench/bench_pad.h"
#include "input/game_pads.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBatches = 300;
constexpr int kFramesPerBatch = 200;

using Clock = std::chrono::steady_clock;

void print(const char* what, std::vector<double>& micros)
{
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double q) {
        return micros[static_cast<size_t>(q * static_cast<double>(micros.size() - 1) + 0.5)];
    };
    std::printf("%-36s median %8.3f us  p10 %8.3f  p90 %8.3f  max %8.3f\n", what, at(0.5), at(0.1),
                at(0.9), at(1.0));
}

// Microseconds per frame of `pollAndPump` over the batches, the pad played between frames.
template <class Frame>
std::vector<double> measure(BenchPad* pad, bool withPump, Frame&& onePoll)
{
    std::vector<double> micros;
    int frame = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        Clock::duration spent{};
        for (int i = 0; i < kFramesPerBatch; ++i, ++frame) {
            if (pad != nullptr)
                pad->play(frame);
            if (!withPump)
                pumpPadEvents();
            const Clock::time_point start = Clock::now();
            if (withPump)
                pumpPadEvents();
            onePoll();
            spent += Clock::now() - start;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(spent).count() /
                         kFramesPerBatch);
    }
    return micros;
}

int pressesSeen = 0;

void run(const char* label, BenchPad* pad)
{
    const auto poll = [] { pressesSeen += gamePads.pollStartWentDown(); };
    std::vector<double> alone = measure(pad, false, poll);
    std::vector<double> pumped = measure(pad, true, poll);
    char what[64];
    std::snprintf(what, sizeof what, "%s: poll", label);
    print(what, alone);
    std::snprintf(what, sizeof what, "%s: event pump + poll", label);
    print(what, pumped);
}

} // namespace

int main()
{
    // The first poll starts the platform's pad library: outside the figures.
    gamePads.pollStartWentDown();
    run("no pad", nullptr);
    std::unique_ptr<BenchPad> pad = BenchPad::plugIn();
    if (!pad) {
        std::printf("one pad: the platform could not make one\n");
        return 0;
    }
    gamePads.pollStartWentDown();
    run("one pad", pad.get());
    std::printf("pads seen in the last poll: %d\n", gamePads.connected());
    pad.reset();
    printPlatformPadFigures();
    return 0;
}
