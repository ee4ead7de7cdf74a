#include "tools/headless/headless_game.h"

#include "app/application.h"
#include "app/data_directory.h"
#include "diag/diagnostics.h"
#include "input/input_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <stdexcept>

HeadlessGame::HeadlessGame() = default;

HeadlessGame::~HeadlessGame()
{
    if (scene_)
        scene_->shutdown();
    scene_.reset();
    inputDevice.setKeySource(nullptr);
    window_.reset();
}

bool HeadlessGame::start(const Options& options)
{
    options_ = options;
    // A tool that rendered placeholders would report success without its data.
    if (const std::string problem = useDataDirectory(); !problem.empty()) {
        diagErr(problem);
        return false;
    }
    window_ = std::make_unique<GameWindow>();
    window_->setOffscreen(true);
    scene_ = std::make_unique<GameScene>();
    scene_->setRandomSeed(options.seed);
    mixer_.prepare(kSoundRate);
    scene_->setMixer(&mixer_);
    window_->setSizeListener(scene_.get());
    if (!window_->create(options.width, options.height, 32, false)) {
        diagErr("Unable to create the offscreen OpenGL context");
        return false;
    }
    const GlStartup startup = platformGlStartup();
    const std::string missing = startup.fetchEntryPoints();
    if (!missing.empty()) {
        diagErr("The GL driver lacks " + missing);
        return false;
    }
    startup.setRenderState();
    inputDevice.setKeySource(&keys_);
    return scene_->init();
}

void HeadlessGame::update()
{
    scene_->update(options_.frameSeconds);
}

void HeadlessGame::render()
{
    scene_->render();
}

void HeadlessGame::finish()
{
    // The offscreen driver does not flush on swap: wait for the frame to be drawn.
    glFinish();
}

void HeadlessGame::step()
{
    scene_->setPaused(false);
    update();
    if (options_.draw) {
        render();
        finish();
    }
    renderFrameSound();
}

void HeadlessGame::pausedStep()
{
    scene_->setPaused(true);
    renderFrameSound();
}

uint64_t HeadlessGame::soundFramesAfter(int64_t frames, float frameSeconds)
{
    const double exact = std::round(static_cast<double>(frames) * frameSeconds * kSoundRate);
    // 2^64, exactly; the test is false for NaN too.
    if (!(exact >= 0.0 && exact < 18446744073709551616.0))
        return UINT64_MAX;
    return static_cast<uint64_t>(exact);
}

void HeadlessGame::renderFrameSound()
{
    ++frames_;
    const uint64_t end = soundFramesAfter(frames_, options_.frameSeconds);
    const size_t begin = sound_.size() / 2;
    if (end <= begin)
        return;
    // A sound too long to keep throws here (std::length_error or std::bad_alloc).
    if (end > sound_.max_size() / 2)
        throw std::length_error("the play's sound is too long to keep");
    sound_.resize(2 * static_cast<size_t>(end));
    // The mixer renders an int's worth of frames at a time.
    for (size_t at = begin; at < end;) {
        const size_t count = std::min<size_t>(end - at, INT_MAX);
        mixer_.render(sound_.data() + 2 * at, static_cast<int>(count));
        at += count;
    }
}

RgbaImage HeadlessGame::readFrame() const
{
    RgbaImage image;
    image.width = options_.width;
    image.height = options_.height;
    const size_t row = static_cast<size_t>(image.width) * 4;
    std::vector<uint8_t> bottomUp(row * static_cast<size_t>(image.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    image.pixels.resize(bottomUp.size());
    for (int y = 0; y < image.height; ++y)
        std::copy_n(
            bottomUp.begin() +
                static_cast<std::ptrdiff_t>(row * static_cast<size_t>(image.height - 1 - y)),
            row, image.pixels.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(y)));
    // The frame buffer has no alpha channel worth keeping.
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 255;
    return image;
}
