#include "audio/audio_output.h"

#include <SDL.h>
#include <dlfcn.h>

// SDL2's audio with a callback: SDL's own thread pulls from the source, one buffer of
// kOutputBufferFrames at a time. SDL converts to what the device takes, except the rate, which
// the device may choose and the source is told.
struct AudioOutput::State {
    SDL_AudioDeviceID device = 0;
    // Set before the device starts and cleared after it has closed, so the callback, which
    // runs only in between, always finds it.
    AudioSource* source = nullptr;
    bool audioStarted = false;

    // SDL's audio thread; user is the State.
    static void SDLCALL fill(void* user, Uint8* stream, int length)
    {
        static_cast<State*>(user)->source->render(reinterpret_cast<int16_t*>(stream),
                                                  length / static_cast<int>(2 * sizeof(int16_t)));
    }
};

namespace {

// ALSA's library writes its own lines to standard error when a device cannot be opened
// (several for a machine with no sound card), beside the one line SDL's reason makes. Once
// SDL has loaded it, its error handler is replaced by one that says nothing.
void sayNothing(const char*, int, const char*, int, const char*, ...) { }

void quietenAlsa()
{
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (alsa == nullptr)
        return;
    if (auto* setHandler =
            reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(sayNothing);
    dlclose(alsa);
}

} // namespace

AudioOutput::AudioOutput() : state_(std::make_unique<State>()) { }

AudioOutput::~AudioOutput()
{
    close();
}

bool AudioOutput::open(AudioSource& source, std::string& reason)
{
    close();
    State& s = *state_;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return false;
    }
    s.audioStarted = true;
    quietenAlsa();
    SDL_AudioSpec wanted{};
    wanted.freq = kPreferredSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kOutputBufferFrames;
    wanted.callback = State::fill;
    wanted.userdata = &s;
    SDL_AudioSpec obtained{};
    s.device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (s.device == 0) {
        reason = SDL_GetError();
        close();
        return false;
    }
    // The callback cannot run before the device is unpaused, so the source is set and
    // prepared first.
    s.source = &source;
    source.prepare(obtained.freq);
    SDL_PauseAudioDevice(s.device, 0);
    return true;
}

bool AudioOutput::poll(std::string& reason)
{
    State& s = *state_;
    if (s.device == 0)
        return true;
    // SDL marks a device it lost (unplugged, a write that failed) as stopped, and also posts
    // SDL_AUDIODEVICEREMOVED; the window's pump owns the event queue, so the status is read.
    if (SDL_GetAudioDeviceStatus(s.device) != SDL_AUDIO_STOPPED)
        return true;
    reason = "the sound device has gone";
    close();
    return false;
}

void AudioOutput::close()
{
    State& s = *state_;
    if (s.device != 0) {
        // Waits for the callback to return: the source is not touched after this.
        SDL_CloseAudioDevice(s.device);
        s.device = 0;
    }
    s.source = nullptr;
    if (s.audioStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s.audioStarted = false;
    }
}

bool AudioOutput::isOpen() const
{
    return state_->device != 0;
}

void AudioOutput::showMuted(bool) { }
