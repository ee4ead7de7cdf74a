// Fuzzes the collider loader: any bytes give a collider whose every segment and circle
// can be read.

#include "fuzz/fuzz_input.h"
#include "collision/collider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Collider collider;
    collider.loadFile(fuzz::writeInput(".json", data, size));
    volatile float sum = 0;
    for (int k = 0; k < collider.segmentCount(); ++k)
        for (float v : collider.segment(k))
            sum = sum + v;
    for (int k = 0; k < collider.circleCount(); ++k)
        sum = sum + collider.circleX(k) + collider.circleY(k) + collider.circleRadius(k);
    return 0;
}
