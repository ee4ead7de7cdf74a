#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A canonical 44-byte-header PCM WAV of 16-bit samples (interleaved when channels is 2):
// what the headless driver writes the sound of a play to, and what tests build files from.
std::vector<uint8_t> encodeWav(const int16_t* samples, size_t frameCount, int channels,
                               int sampleRate);

// Writes encodeWav's bytes to path; false, with the reason, when the file cannot be written.
bool writeWav(const std::string& path, const int16_t* samples, size_t frameCount, int channels,
              int sampleRate, std::string& reason);
