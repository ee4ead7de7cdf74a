#pragma once

#include "tools/headless/png_writer.h"

#include <string>

// How a rendered frame is held against a stored one: the mean difference per channel
// (0..255) and the share of pixels off by more than 32 in some channel. Two software
// rasterisers may round a few edge pixels differently; a real change moves far more.
struct ImageTolerance {
    double meanAbsolute = 1.5;
    double farPixelShare = 0.005;
};

// The one tolerance every golden-image comparison uses.
inline constexpr ImageTolerance kGoldenTolerance{};

struct ImageDifference {
    bool sameSize = false;
    double meanAbsolute = 0.0;
    double farPixelShare = 0.0;
    ImageTolerance tolerance;

    bool matches() const
    {
        return sameSize && meanAbsolute <= tolerance.meanAbsolute && farPixelShare <= tolerance.farPixelShare;
    }
    // One line for a report: the figures against their limits.
    std::string describe() const;
};

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected,
                              const ImageTolerance& tolerance = kGoldenTolerance);
