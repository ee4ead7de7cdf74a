// zorbel-frames, the headless driver in a browser page (the browser build's tools): the real
// GameScene on a canvas of a fixed size, stepped by the page with a fixed frame time, a
// fixed seed and the keys it names, and its frames read back as pixels. The base of the
// browser's golden-image comparison and frame benchmark.
#include "input/game_pads.h"
#include "tools/headless/headless_game.h"

#include <emscripten/emscripten.h>

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::unique_ptr<HeadlessGame> game;
RgbaImage frame;

} // namespace

extern "C" {

// Starts a fresh game (the previous one ends first). 1 when the scene is ready.
EMSCRIPTEN_KEEPALIVE int zorbelStart(int width, int height, unsigned seed)
{
    game.reset();
    game = std::make_unique<HeadlessGame>();
    HeadlessGame::Options options;
    options.width = width;
    options.height = height;
    options.seed = seed;
    if (!game->start(options))
        return 0;
    game->window().setPadPoll([] { return gamePads.pollStartWentDown(); });
    return 1;
}

// One pump of the window, as the game's loop runs it before each frame: the pads are read
// and their Start toggles the pause. 1 while the game is active (a step would update it).
EMSCRIPTEN_KEEPALIVE int zorbelPump()
{
    game->window().pumpMessages();
    return game->window().active() ? 1 : 0;
}

// The keys held from the next step on, by the names the key scripts use ("RIGHT UP").
EMSCRIPTEN_KEEPALIVE int zorbelHoldKeys(const char* names)
{
    std::set<Key> keys;
    std::istringstream words(names);
    std::string word;
    while (words >> word) {
        std::string error;
        const std::optional<KeyScript> script = KeyScript::parse(word + "@0", error);
        if (!script)
            return 0;
        for (Key key : script->keysAt(0))
            keys.insert(key);
    }
    game->holdKeys(keys);
    return 1;
}

// The pads polled `polls` times back to back, as the window's pump polls them once a frame.
// Returns the milliseconds that took, by the page's clock (the pad benchmark's figure).
EMSCRIPTEN_KEEPALIVE double zorbelPollPads(int polls)
{
    const double start = emscripten_get_now();
    for (int i = 0; i < polls; ++i)
        gamePads.pollStartWentDown();
    return emscripten_get_now() - start;
}

// One frame with the fixed frame time: update, render and glFinish. Returns the
// milliseconds that took, by the page's clock. A browser may answer glFinish before the
// pixels are drawn; with waitForPixels a one-pixel read-back follows, which cannot.
EMSCRIPTEN_KEEPALIVE double zorbelStep(int waitForPixels)
{
    const double start = emscripten_get_now();
    game->step();
    if (waitForPixels) {
        uint8_t pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    return emscripten_get_now() - start;
}

// The frame drawn last, RGBA with the top row first, width x height of the start.
EMSCRIPTEN_KEEPALIVE const uint8_t* zorbelReadFrame()
{
    frame = game->readFrame();
    return frame.pixels.data();
}

// The renderer's name, for the benchmark's report.
EMSCRIPTEN_KEEPALIVE const char* zorbelRenderer()
{
    return reinterpret_cast<const char*>(glGetString(GL_RENDERER));
}

} // extern "C"
