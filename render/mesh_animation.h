#pragma once

#include <cstdint>
#include <string>
#include <vector>

class JsonNode;

// Keyframe data read with a mesh: every keyframe of every animation gives each vertex a
// position, a colour and a texture coordinate. Keyframes are stored in file order, so
// animation a owns keyframes firstKeyframe[a] up to the next animation's first.
class MeshAnimation {
public:
    // Fills the record from a mesh file's "animations" list: each animation is a container
    // whose first member lists its keyframes; each keyframe has "startTime", "vertices",
    // "uvs" and "colors". Keyframes are written one after another, never resetting the
    // write positions. A list that breaks the format (no animation, an empty first
    // animation, a missing key, a non-finite value, keyframes whose sizes disagree) leaves
    // the record empty and returns false with the problem in *problem.
    bool loadFromJson(const JsonNode& animations, std::string* problem = nullptr);

    std::vector<float> keyPositions; // totalKeyframes * verticesPerFrame * 3
    std::vector<float> keyColors;    // totalKeyframes * verticesPerFrame * 3
    std::vector<float> keyUvs;       // totalKeyframes * verticesPerFrame * 2
    int32_t totalKeyframes = 0;
    std::vector<float> keyStartTimes;   // totalKeyframes
    std::vector<int32_t> firstKeyframe; // animationCount
    uint16_t animationCount = 0;
    int32_t verticesPerFrame = 0;
};
