#include "app/application.h"
#include "app/frame_driver.h"
#include "app/size_listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// A clock whose counter runs in microseconds and moves only when told to (or by 1 ms per
// sleep), so every frame time is exact.
class ScriptedClock final : public FrameClock {
public:
    int64_t now = 1000000;
    int sleeps = 0;
    bool sleepAllowed = true;
    int64_t counter() override { return now; }
    bool canSleep() const override { return sleepAllowed; }
    int64_t frequency() override { return 1000000; }
    void sleepOneMillisecond() override
    {
        ++sleeps;
        now += 1000;
    }
};

// What the window, the scene and the GL start-up were asked to do, in order, and the frame
// times the scene was given.
struct Recorder {
    std::vector<std::string> calls;
    std::vector<float> frameTimes;
    void note(const std::string& call) { calls.push_back(call); }
};

// A window driven by a script: each pump runs the next step (which may advance the clock,
// toggle the pause or close the window).
struct ScriptedWindow {
    explicit ScriptedWindow(Recorder& r) : recorder(r) { }
    Recorder& recorder;
    bool createResult = true;
    std::vector<std::function<void(ScriptedWindow&)>> script;
    bool activeFlag = true;
    bool runningFlag = false;
    size_t step = 0;
    SizeListener* listener = nullptr;

    void setSizeListener(SizeListener* l) { listener = l; }
    bool create(int width, int height, int, bool fullScreen)
    {
        recorder.note("create " + std::to_string(width) + "x" + std::to_string(height) +
                      (fullScreen ? " full" : " windowed"));
        if (createResult) {
            runningFlag = true;
            listener->resize(width, height);
        }
        return createResult;
    }
    bool running() const { return runningFlag; }
    bool active() const { return activeFlag; }
    void pumpMessages()
    {
        recorder.note("pump");
        if (step < script.size())
            script[step++](*this);
        else
            runningFlag = false;
    }
    void present() { recorder.note("present"); }
    void close() { recorder.note("close"); }
};

class RecordingScene final : public SizeListener {
public:
    explicit RecordingScene(Recorder& recorder) : recorder_(recorder) { }
    bool initResult = true;
    std::function<void()> duringInit = [] {};
    void resize(int width, int height) override
    {
        recorder_.note("resize " + std::to_string(width) + "x" + std::to_string(height));
    }
    bool init()
    {
        recorder_.note("init");
        duringInit();
        return initResult;
    }
    void update(float seconds)
    {
        recorder_.note("update");
        recorder_.frameTimes.push_back(seconds);
    }
    void render() { recorder_.note("render"); }
    void shutdown() { recorder_.note("shutdown"); }

private:
    Recorder& recorder_;
};

struct Harness {
    Recorder recorder;
    ScriptedClock clock;
    ScriptedWindow window{recorder};
    RecordingScene scene{recorder};

    // A pump step that lets the given milliseconds pass before the frame is measured.
    std::function<void(ScriptedWindow&)> wait(int milliseconds)
    {
        return [this, milliseconds](ScriptedWindow&) { clock.now += milliseconds * 1000; };
    }
    // The GL start-up reports the entry point named missing (none when empty). The program's
    // own entry drives the loop, through the desktop frame driver the tests are built with.
    int run(const std::string& missing = {})
    {
        const GlStartup startup{[this, missing] {
                                    recorder.note("fetch");
                                    return missing;
                                },
                                [this] { recorder.note("render state"); }};
        return runApplication(window, scene, clock, startup, false, runFrameLoop);
    }
};

} // namespace

TEST(MainLoop, DrivesTheSceneInContractOrderAndEndsWithExitCodeZero)
{
    Harness h;
    h.window.script = {h.wait(20), h.wait(20)};
    // Loading takes two seconds; the first frame time starts after it.
    h.scene.duringInit = [&h] { h.clock.now += 2000000; };
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(h.recorder.frameTimes, (std::vector<float>{0.020f, 0.020f, 0.015f}));
    const std::vector<std::string> expected = {
        "create 1280x720 windowed", "resize 1280x720", "fetch", "render state", "init", "pump",
        "update", "render", "present", "pump", "update", "render", "present",
        // The close arrives in this pump; the loop ends after the current pass.
        "pump", "update", "render", "present", "shutdown", "close"};
    EXPECT_EQ(h.recorder.calls, expected);
}

TEST(MainLoop, FrameTimeHasAFifteenMillisecondFloorAndNoOtherDelay)
{
    Harness h;
    h.window.script = {h.wait(3), h.wait(20), h.wait(15)};
    h.run();
    // 3 ms is held with 1 ms sleeps until 15 ms have passed since the previous pass; 20 ms is
    // not delayed; 15 ms exactly is not below the floor either. The closing pass, which lets
    // no time pass, is held for the full 15 ms: 12 + 15 sleeps.
    EXPECT_EQ(h.recorder.frameTimes, (std::vector<float>{0.015f, 0.020f, 0.015f, 0.015f}));
    EXPECT_EQ(h.clock.sleeps, 27);
}

TEST(MainLoop, PauseStopsUpdateAndRenderButNotPresentAndResumesWithOnePassOfTime)
{
    Harness h;
    auto pause = [&h](ScriptedWindow& w) {
        h.clock.now += 20000;
        w.activeFlag = !w.activeFlag;
    };
    // Frame, pause, five long paused passes, resume, frame.
    auto close = [&h](ScriptedWindow& w) {
        h.clock.now += 40000;
        w.runningFlag = false;
    };
    h.window.script = {h.wait(20),  pause,       h.wait(500), h.wait(500), h.wait(500),
                       h.wait(500), h.wait(500), pause,       h.wait(30),  close};
    h.run();
    EXPECT_EQ(std::count(h.recorder.calls.begin(), h.recorder.calls.end(), "present"), 10);
    // The pass that resumes covers only its own 20 ms, not the 2.5 s of pause before it.
    EXPECT_EQ(h.recorder.frameTimes, (std::vector<float>{0.020f, 0.020f, 0.030f, 0.040f}));
    EXPECT_EQ(h.clock.sleeps, 0);
}

TEST(MainLoop, FrameTimeIsWholeMicrosecondsAndSurvivesHugeCounterGaps)
{
    // 1234567 ticks of a 1 GHz counter are 1234 whole microseconds.
    EXPECT_FLOAT_EQ(frameSeconds(0, 1234567, 1000000000), 0.001234f);
    // Ten hours of nanoseconds: the plain product would overflow 64 bits.
    const int64_t tenHours = int64_t{36000} * 1000000000;
    EXPECT_FLOAT_EQ(frameSeconds(5, 5 + tenHours, 1000000000), 36000.0f);
}

TEST(MainLoop, AFailedStartEndsWithExitCodeOneAndNeverShutsTheSceneDown)
{
    // Each failure stops the start-up at its step: the window closes after the steps before it.
    const std::vector<std::string> steps = {"create 1280x720 windowed", "resize 1280x720", "fetch",
                                            "render state", "init"};
    const std::pair<size_t, std::function<int(Harness&)>> failures[] = {
        {1,
         [](Harness& h) {
             h.window.createResult = false;
             return h.run();
         }},
        {3, [](Harness& h) { return h.run("glUniformMatrix4fv"); }},
        {5,
         [](Harness& h) {
             h.scene.initResult = false;
             return h.run();
         }},
    };
    for (const auto& [ran, start] : failures) {
        Harness h;
        EXPECT_EQ(start(h), 1);
        std::vector<std::string> expected(steps.begin(),
                                          steps.begin() + static_cast<std::ptrdiff_t>(ran));
        expected.push_back("close");
        EXPECT_EQ(h.recorder.calls, expected);
    }
}

TEST(MainLoop,
     WhereTheClockCannotSleepAPassBeforeTheFloorOnlyPumpsAndTheNextOneMeasuresOnFromTheLastFrame)
{
    // A browser: each pass is one frame callback, and the thread must not block.
    Harness h;
    h.clock.sleepAllowed = false;
    h.window.script = {h.wait(5), h.wait(5), h.wait(6), h.wait(20)};
    EXPECT_EQ(h.run(), 0);
    const std::vector<std::string> expected = {"pump",    "pump",     "pump",   "update", "render",
                                               "present", "pump",     "update", "render", "present",
                                               "pump",    "shutdown", "close"};
    const auto init = std::find(h.recorder.calls.begin(), h.recorder.calls.end(), "init");
    ASSERT_NE(init, h.recorder.calls.end());
    EXPECT_EQ(std::vector<std::string>(init + 1, h.recorder.calls.end()), expected);
    EXPECT_EQ(h.recorder.frameTimes, (std::vector<float>{0.016f, 0.020f}));
    EXPECT_EQ(h.clock.sleeps, 0);
}
