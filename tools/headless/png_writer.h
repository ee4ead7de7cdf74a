#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGBA image, top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Writes the image as an 8-bit RGBA PNG; false (with a line on stderr) when it cannot.
bool writePng(const std::string& path, const RgbaImage& image);

// Reads an 8-bit RGBA PNG written by writePng (or any PNG, converted to RGBA).
bool readPng(const std::string& path, RgbaImage& image);
