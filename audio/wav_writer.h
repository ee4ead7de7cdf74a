#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A canonical 44-byte-header PCM WAV of 16-bit samples (interleaved when channels is 2):
// what the headless driver writes the sound of a play to, and what tests build files from.
// The header counts the file's bytes in 32 bits, so a WAV file holds at most about 4 GiB of
// samples: a longer sound is refused before anything is allocated or written.

// Why a sound of frameCount frames cannot be written as a WAV file ("N sample frames are more
// than a WAV file holds..."), or the empty string when it can: channels must be at least 1,
// and the header's byte rate (sampleRate * channels * 2) and the samples' bytes must fit its
// 32-bit fields.
std::string wavSizeProblem(uint64_t frameCount, int channels, int sampleRate);

// The file's bytes into `bytes`; false, with wavSizeProblem's reason and `bytes` emptied,
// when the sound does not fit a WAV file.
bool encodeWav(const int16_t* samples, size_t frameCount, int channels, int sampleRate,
               std::vector<uint8_t>& bytes, std::string& reason);

// Writes encodeWav's bytes to path; false, with the reason, when the sound does not fit a WAV
// file (then no file is made) or the file cannot be written.
bool writeWav(const std::string& path, const int16_t* samples, size_t frameCount, int channels,
              int sampleRate, std::string& reason);
