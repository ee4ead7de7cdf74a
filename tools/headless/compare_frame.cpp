// zorbel-compare-frame: holds a frame rendered elsewhere (the browser build) against a
// stored golden image with the golden-image tests' own comparison, at the tolerance for
// another renderer.
//
//   zorbel-compare-frame ACTUAL.png GOLDEN.png
//
// Prints one line; exit code 0 when they match, 1 when they differ, 2 when a file cannot
// be read.
#include "tools/headless/image_compare.h"

#include "diag/diagnostics.h"

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        diagErr("usage: zorbel-compare-frame ACTUAL.png GOLDEN.png");
        return 2;
    }
    RgbaImage actual;
    RgbaImage golden;
    for (auto [path, image] : {std::pair{argv[1], &actual}, std::pair{argv[2], &golden}}) {
        if (!readPng(path, *image)) {
            diagErr(std::string(path) + ": cannot read the image");
            return 2;
        }
    }
    const ImageDifference difference = compareImages(actual, golden, kOtherRendererTolerance);
    // Whole, however long the path: a formatted line would be cut at 1 KiB.
    diagOut(std::string(argv[1]) + ": " + (difference.matches() ? "matches" : "DIFFERS") + ": " +
            difference.describe());
    return difference.matches() ? 0 : 1;
}
