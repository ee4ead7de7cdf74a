#include "tools/headless/image_compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected, const ImageTolerance& tolerance)
{
    ImageDifference d;
    d.tolerance = tolerance;
    d.sameSize = actual.width == expected.width && actual.height == expected.height &&
                 actual.pixels.size() == expected.pixels.size();
    if (!d.sameSize || actual.pixels.empty())
        return d;
    const size_t pixels = actual.pixels.size() / 4;
    size_t far = 0;
    double sum = 0.0;
    for (size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int delta = std::abs(int(actual.pixels[4 * p + c]) - int(expected.pixels[4 * p + c]));
            sum += delta;
            worst = std::max(worst, delta);
        }
        far += worst > 32;
    }
    d.meanAbsolute = sum / (3.0 * static_cast<double>(pixels));
    d.farPixelShare = static_cast<double>(far) / static_cast<double>(pixels);
    return d;
}

std::string ImageDifference::describe() const
{
    if (!sameSize)
        return "the images differ in size";
    char text[160];
    std::snprintf(text, sizeof text, "mean difference %.3f (limit %.3f), pixels far off %.4f%% (limit %.4f%%)",
                  meanAbsolute, tolerance.meanAbsolute, 100.0 * farPixelShare, 100.0 * tolerance.farPixelShare);
    return text;
}
