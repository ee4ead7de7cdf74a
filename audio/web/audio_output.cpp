#include "audio/audio_output.h"

#include <emscripten/emscripten.h>

#include <vector>

// Web Audio: an AudioContext with a ScriptProcessorNode whose audio callback (on the page's
// own thread, between frames) pulls a buffer from the source. Browsers keep a new context
// suspended until the player presses a key or clicks; the first of those resumes it. The
// page hears of each change (waiting, on, off) through Module.onSoundState when it has one.
namespace {

// What the node's callback pulls from, part of the output's State: the script is given its
// address when the output opens.
struct Pull {
    AudioSource* source = nullptr;
    std::vector<int16_t> samples;
};

} // namespace

struct AudioOutput::State {
    bool open = false;
    Pull pull;
};

// Called by the node's callback: renders frames into the buffer the script then reads.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* zorbelAudioPull(Pull* pull, int frames)
{
    if (pull->source == nullptr || frames <= 0 || frames > kOutputBufferFrames)
        return nullptr;
    pull->source->render(pull->samples.data(), frames);
    return pull->samples.data();
}

// Returns the context's rate, or 0 when the browser has no Web Audio, -1 when it refused a
// context. pull is handed back to zorbelAudioPull on every callback.
// clang-format off
EM_JS(int, zorbelAudioOpen, (int bufferFrames, Pull* pull), {
    var off = function(code) {
        if (Module.onSoundState) Module.onSoundState('off');
        return code;
    };
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return off(0);
    var audio = {muted: false};
    try {
        audio.context = new Context({latencyHint: 'interactive'});
        audio.node = audio.context.createScriptProcessor(bufferFrames, 0, 2);
    } catch (e) {
        return off(-1);
    }
    // The browser edition plays the desktop's mix 5 dB louder (about -18 LUFS, beside
    // louder pages); the mix keeps its true peaks under -6 dBTP, so they stay under -1 here.
    var scale = Math.pow(10, 5 / 20) / 32768;
    audio.node.onaudioprocess = function(event) {
        var output = event.outputBuffer;
        var left = output.getChannelData(0);
        var right = output.getChannelData(1);
        var frames = output.length;
        var at = _zorbelAudioPull(pull, frames);
        if (!at) {
            left.fill(0);
            right.fill(0);
            return;
        }
        var samples = HEAP16.subarray(at >> 1, (at >> 1) + 2 * frames);
        for (var i = 0; i < frames; ++i) {
            left[i] = samples[2 * i] * scale;
            right[i] = samples[2 * i + 1] * scale;
        }
    };
    audio.node.connect(audio.context.destination);
    // The page hears one word: off, muted (the player's choice comes first), on or waiting.
    audio.tell = function() {
        var state = audio.context.state;
        state = state == 'closed' ? 'off' : audio.muted ? 'muted'
              : state == 'running' ? 'on' : 'waiting';
        if (Module.onSoundState) Module.onSoundState(state);
    };
    // A user gesture is what lets a suspended context start; capture sees it before the
    // game's own key handlers.
    audio.gestures = ['keydown', 'mousedown', 'pointerdown', 'touchend'];
    audio.resume = function() {
        if (audio.context.state == 'suspended') audio.context.resume().catch(function() {});
    };
    audio.gestures.forEach(function(name) { window.addEventListener(name, audio.resume, true); });
    audio.context.onstatechange = audio.tell;
    Module.zorbelAudio = audio;
    audio.tell();
    return audio.context.sampleRate;
});

// 1 while the context is usable (running or waiting for a gesture), 0 once it has closed.
EM_JS(int, zorbelAudioAlive, (), {
    var audio = Module.zorbelAudio;
    return audio && audio.context.state != 'closed' ? 1 : 0;
});

EM_JS(void, zorbelAudioClose, (), {
    var audio = Module.zorbelAudio;
    if (!audio) return;
    audio.gestures.forEach(function(name) {
        window.removeEventListener(name, audio.resume, true);
    });
    audio.node.onaudioprocess = null;
    audio.node.disconnect();
    audio.context.onstatechange = null;
    audio.context.close().catch(function() {});
    delete Module.zorbelAudio;
    if (Module.onSoundState) Module.onSoundState('off');
});
// clang-format on

AudioOutput::AudioOutput() : state_(std::make_unique<State>()) { }

AudioOutput::~AudioOutput()
{
    close();
}

bool AudioOutput::open(AudioSource& source, std::string& reason)
{
    close();
    State& s = *state_;
    s.pull.samples.assign(2 * kOutputBufferFrames, 0);
    const int rate = zorbelAudioOpen(kOutputBufferFrames, &s.pull);
    if (rate <= 0) {
        reason =
            rate == 0 ? "this browser has no Web Audio" : "the browser refused an audio context";
        s.pull.samples.clear();
        return false;
    }
    // The callback runs on this thread between frames, never during this call.
    source.prepare(rate);
    s.pull.source = &source;
    s.open = true;
    return true;
}

bool AudioOutput::poll(std::string& reason)
{
    if (!state_->open || zorbelAudioAlive() != 0)
        return true;
    reason = "the browser closed the audio context";
    close();
    return false;
}

void AudioOutput::close()
{
    State& s = *state_;
    if (!s.open)
        return;
    zorbelAudioClose();
    s.pull.source = nullptr;
    s.pull.samples.clear();
    s.open = false;
}

bool AudioOutput::isOpen() const
{
    return state_->open;
}

// clang-format off
EM_JS(void, zorbelAudioShowMuted, (int muted), {
    var audio = Module.zorbelAudio;
    if (!audio || audio.muted === !!muted) return;
    audio.muted = !!muted;
    audio.tell();
});
// clang-format on

void AudioOutput::showMuted(bool muted)
{
    if (state_->open)
        zorbelAudioShowMuted(muted ? 1 : 0);
}
