#pragma once

#include "app/game_window.h"
#include "audio/mixer.h"
#include "game/game_scene.h"
#include "tools/headless/key_script.h"
#include "tools/headless/png_writer.h"

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

// The real GameScene on an offscreen GL context, stepped by hand with a fixed frame time,
// a fixed seed and scripted keys. Its sound goes through a mixer of its own, rendered in step
// with the frames (each frame's share of samples at 48 kHz, stereo), paused frames included.
// The base of the golden images, the frame benchmark, the play-through shown on machines
// without a display and animated at the top of the README.
class HeadlessGame {
public:
    struct Options {
        int width = 1280;
        int height = 720;
        unsigned seed = 1;
        float frameSeconds = 1.0f / 60.0f;
        // False: step updates the scene and mixes its sound but draws nothing (for checks
        // of the sound alone, where drawing would be most of the time).
        bool draw = true;
    };

    HeadlessGame();
    ~HeadlessGame();

    // Finds the data folder, opens the offscreen window and initialises the scene; false (with
    // a message) when no data folder serves (the data folder's one line) or the context cannot
    // be made.
    bool start(const Options& options);

    void holdKeys(const std::set<Key>& keys) { keys_.down = keys; }
    // One active frame: update with the fixed frame time, render, and wait for the GPU; then
    // the frame's sound.
    void step();
    // One paused frame: the scene hears of the pause and is neither updated nor drawn; the
    // sound goes on.
    void pausedStep();
    void update();
    void render();
    void finish();

    RgbaImage readFrame() const;
    GameScene& scene() { return *scene_; }
    GameWindow& window() { return *window_; }
    Mixer& mixer() { return mixer_; }
    // Everything the mixer played since start: interleaved 16-bit stereo at kSoundRate.
    const std::vector<int16_t>& sound() const { return sound_; }
    static constexpr int kSoundRate = 48000;
    // The stereo frames of sound after `frames` frames of frameSeconds each, rounded to the
    // nearest and counted from the start, so frame times that are not whole samples do not
    // drift; UINT64_MAX when the count does not fit.
    static uint64_t soundFramesAfter(int64_t frames, float frameSeconds);

private:
    void renderFrameSound();

    Options options_;
    HeldKeys keys_;
    // Declared before the scene, which hands it the sounds, so it outlives the scene.
    Mixer mixer_;
    std::vector<int16_t> sound_;
    int64_t frames_ = 0;
    // The scene is destroyed before the window, so its GL objects go while the context lives.
    std::unique_ptr<GameWindow> window_;
    std::unique_ptr<GameScene> scene_;
};
