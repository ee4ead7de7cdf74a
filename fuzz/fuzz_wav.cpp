// Fuzzes the WAV reader: any bytes must be refused with a reason or give a clip whose
// samples fill whole frames of one or two channels, and the mixer must play that clip (at
// any rate and pitch) without reading outside it.

#include "audio/mixer.h"
#include "audio/wav_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SoundClip clip;
    std::string reason;
    if (!decodeWav(data, size, clip, reason)) {
        if (reason.empty() || !clip.empty())
            __builtin_trap();
        return 0;
    }
    if (clip.channels < 1 || clip.channels > 2 || clip.samples.empty() ||
        clip.samples.size() % static_cast<size_t>(clip.channels) != 0 || clip.sampleRate < 1)
        __builtin_trap();

    Mixer mixer;
    mixer.prepare(44100);
    const float pitch = 0.25f + static_cast<float>(data[size - 1] % 16);
    mixer.setClip(0, std::move(clip));
    mixer.play(0, {.clip = 0, .pitch = pitch, .loop = (size & 1) != 0});
    mixer.play(1, {.clip = 0, .volume = 4.0f});
    int16_t out[2 * 300];
    mixer.render(out, 300);
    return 0;
}
