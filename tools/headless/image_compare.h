#pragma once

#include "tools/headless/png_writer.h"

#include <string>

// How a rendered frame is held against a stored one. Two rasterisers may place an edge one
// pixel apart and round a colour by a few steps; anything more is a real change. So each
// pixel's difference is the smallest colour difference (worst channel) to any pixel within
// one step of it in the other image, taken both ways, less a few steps of rounding noise;
// the frames match while no 8 by 8 block averages more than one step of that difference.
// A hidden object changes whole blocks by a hundred steps; texture filtering that blends
// texels instead of picking one averages five or more over the blocks it covers.
struct ImageTolerance {
    int noise = 3;          // per-pixel difference (0..255) taken as rounding
    int neighbourhood = 1;  // how far, in pixels, an edge may move
    int blockSide = 8;      // side of the blocks whose mean difference is held
    double blockMean = 1.0; // the largest mean difference one block may have
};

// The one tolerance every golden-image comparison uses.
inline constexpr ImageTolerance kGoldenTolerance{};

struct ImageDifference {
    bool sameSize = false;
    int blockSide = 0;
    double blockMeanLimit = 0.0;
    int differingPixels = 0;     // pixels whose difference is beyond the noise
    double worstBlockMean = 0.0; // mean difference of the worst block
    int worstBlockX = 0;         // that block's top-left pixel
    int worstBlockY = 0;
    // The per-pixel difference as a grey picture (brighter is further apart).
    RgbaImage mask;

    bool matches() const { return sameSize && worstBlockMean <= blockMeanLimit; }
    // One line for a test failure: counts and where the worst block is.
    std::string describe() const;
};

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected,
                              const ImageTolerance& tolerance = kGoldenTolerance);
