#pragma once

#include "tools/headless/png_writer.h"

#include <string>

// How a rendered frame is held against a stored one. Two renders may place an edge one pixel
// apart and round a colour by a few steps; anything more is a real change. So each pixel's
// difference is the smallest colour difference (worst channel) to any pixel within one step
// of it in the other image, taken both ways, less a few steps of rounding noise, and the
// frames match while no 8 by 8 block averages more than the tolerance's limit.
struct ImageTolerance {
    int noise = 3;          // per-pixel difference (0..255) taken as rounding
    int neighbourhood = 1;  // how far, in pixels, an edge may move
    int blockSide = 8;      // side of the blocks whose mean difference is held
    double blockMean = 1.0; // the largest mean difference one block may have
};

// Frames of the rasteriser that made the golden images (Mesa's, through the headless driver):
// a hidden tree moves its blocks by 24 steps or more (a sliver of one at the frame's edge by
// 1.7), the fence's texture filtered smoothly instead of nearest by 5.5, while runs of one
// build or another match exactly.
inline constexpr ImageTolerance kGoldenTolerance{};

// Frames of another renderer (the browser's WebGL). There the texels of a minified,
// nearest-filtered texture land a pixel apart, which moves the fence's blocks by about 4
// steps: this forgives that, so it still sees a missing object but not a texture filter.
inline constexpr ImageTolerance kOtherRendererTolerance{3, 1, 8, 8.0};

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
