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
            diagErrf("%s: cannot read the image", path);
            return 2;
        }
    }
    const ImageDifference difference = compareImages(actual, golden, kOtherRendererTolerance);
    diagOutf("%s: %s: %s", argv[1], difference.matches() ? "matches" : "DIFFERS",
             difference.describe().c_str());
    return difference.matches() ? 0 : 1;
}
