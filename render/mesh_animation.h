#pragma once

#include <cstdint>
#include <vector>

class JsonNode;

// Keyframe data read with a mesh: every keyframe of every animation gives each vertex a
// position, a colour and a texture coordinate. Keyframes are stored in file order, so
// animation a owns keyframes firstKeyframe[a] up to the next animation's first.
class MeshAnimation {
public:
    std::vector<float> keyPositions;   // totalKeyframes * verticesPerFrame * 3
    std::vector<float> keyColors;      // totalKeyframes * verticesPerFrame * 3
    std::vector<float> keyUvs;         // totalKeyframes * verticesPerFrame * 2
    int32_t totalKeyframes = 0;
    std::vector<float> keyStartTimes;  // totalKeyframes
    std::vector<int32_t> firstKeyframe; // animationCount
    uint16_t animationCount = 0;
    int32_t verticesPerFrame = 0;
};
