// zorbel-loudness: the levels of a WAV file as the sound's tests hold them, one figure a
// line, for a test that records its sound elsewhere (the browser's audio graph).
//
//   zorbel-loudness FILE.wav
//
// prints
//   seconds 29.80
//   integrated_lufs -23.12      (ITU-R BS.1770-4, gated; -inf when silent)
//   true_peak_dbtp -7.31        (4x oversampled)
// Exit code 2 for a wrong command line, 1 when the file cannot be read.
#include "audio/wav_reader.h"
#include "diag/diagnostics.h"
#include "tools/loudness/loudness.h"

#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]).starts_with("-")) {
        diagErr("usage: zorbel-loudness FILE.wav");
        return 2;
    }
    SoundClip clip;
    std::string reason;
    if (!loadWav(argv[1], clip, reason)) {
        diagErrf("%s: %s", argv[1], reason.c_str());
        return 1;
    }
    const Recording recording = Recording::fromPcm16(clip.samples.data(), clip.samples.size(),
                                                     clip.channels, clip.sampleRate);
    diagOutf("seconds %.2f", recording.seconds());
    diagOutf("integrated_lufs %.2f", Loudness(recording).integrated());
    diagOutf("true_peak_dbtp %.2f", truePeak(recording));
    return 0;
}
