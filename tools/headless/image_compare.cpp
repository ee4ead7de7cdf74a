#include "tools/headless/image_compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The smallest worst-channel difference between pixel (x, y) of `from` and the pixels
// around (x, y) in `in`.
int nearestDifference(const RgbaImage& from, const RgbaImage& in, int x, int y, int reach)
{
    const uint8_t* pixel = &from.pixels[4 * (static_cast<size_t>(y) * from.width + x)];
    int best = 255;
    for (int ny = std::max(0, y - reach); ny <= std::min(in.height - 1, y + reach); ++ny) {
        for (int nx = std::max(0, x - reach); nx <= std::min(in.width - 1, x + reach); ++nx) {
            const uint8_t* other = &in.pixels[4 * (static_cast<size_t>(ny) * in.width + nx)];
            int worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(pixel[c]) - int(other[c])));
            best = std::min(best, worst);
        }
    }
    return best;
}

} // namespace

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected,
                              const ImageTolerance& tolerance)
{
    ImageDifference d;
    d.blockSide = std::max(1, tolerance.blockSide);
    d.blockMeanLimit = tolerance.blockMean;
    d.sameSize = actual.width == expected.width && actual.height == expected.height &&
                 actual.pixels.size() == expected.pixels.size() &&
                 actual.pixels.size() == 4 * static_cast<size_t>(actual.width) * actual.height;
    if (!d.sameSize)
        return d;
    const int side = d.blockSide;
    const int columns = (actual.width + side - 1) / side;
    const int rows = (actual.height + side - 1) / side;
    std::vector<long> sums(static_cast<size_t>(columns) * rows, 0);
    std::vector<int> counts(sums.size(), 0);
    d.mask.width = actual.width;
    d.mask.height = actual.height;
    d.mask.pixels.assign(actual.pixels.size(), 255);
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const int both =
                std::max(nearestDifference(actual, expected, x, y, tolerance.neighbourhood),
                         nearestDifference(expected, actual, x, y, tolerance.neighbourhood));
            const int beyondNoise = std::max(0, both - tolerance.noise);
            d.differingPixels += beyondNoise > 0;
            const size_t block = static_cast<size_t>(y / side) * columns + x / side;
            sums[block] += beyondNoise;
            ++counts[block];
            const size_t at = 4 * (static_cast<size_t>(y) * actual.width + x);
            std::fill_n(d.mask.pixels.begin() + static_cast<std::ptrdiff_t>(at), 3,
                        static_cast<uint8_t>(beyondNoise));
        }
    }
    for (size_t block = 0; block < sums.size(); ++block) {
        const double mean = static_cast<double>(sums[block]) / counts[block];
        if (mean > d.worstBlockMean) {
            d.worstBlockMean = mean;
            d.worstBlockX = static_cast<int>(block % columns) * side;
            d.worstBlockY = static_cast<int>(block / columns) * side;
        }
    }
    return d;
}

std::string ImageDifference::describe() const
{
    if (!sameSize)
        return "the images differ in size";
    char line[200];
    std::snprintf(line, sizeof line,
                  "%d pixels differ; the worst %dx%d block, at (%d, %d), differs by %.2f on "
                  "average (at most %.2f may)",
                  differingPixels, blockSide, blockSide, worstBlockX, worstBlockY, worstBlockMean,
                  blockMeanLimit);
    return line;
}
