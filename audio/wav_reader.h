#pragma once

#include "audio/sound_clip.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Our reader of RIFF/WAVE files: a PCM "fmt " chunk of 8-bit (unsigned) or 16-bit (signed)
// samples, one or two channels, and a "data" chunk; every other chunk is skipped. Chunks of
// odd size are followed by one pad byte. Every size a header states is checked against the
// bytes there are before anything is read or allocated, so a damaged file is refused with
// a reason instead of being read past its end.

// The largest sound file read: a few seconds of stereo at 48 kHz is well under 1 MiB.
inline constexpr uint64_t kMaxWavFileBytes = uint64_t{16} << 20;

// Decodes the file's bytes into clip. False, with a one-line reason, when they are not a
// WAV file this reader takes; clip is then left empty.
bool decodeWav(const uint8_t* data, size_t size, SoundClip& clip, std::string& reason);

// Reads the file at path through the one data-file type (io/input_file.h), so anything but a
// regular file is refused with InputFile's reason before it is opened, and decodes it; false
// with the reason as decodeWav, or when the file cannot be opened or read. Prints nothing.
bool loadWav(const char* path, SoundClip& clip, std::string& reason);

// The game's loading of a sound: loadWav, and on failure one line on standard error naming
// the file and the reason; the clip is then empty, so the sound stays silent.
SoundClip loadSound(const char* path);
