#pragma once

#include <array>
#include <string>
#include <vector>

class JsonNode;

// A flat (x, y) outline of straight segments between shared vertices, plus circles, in the
// mesh coordinates of the sprite that carries it. Loaded from the "collider" member of a
// JSON file; sprites only point to it.
class Collider {
public:
    // Loads the file when ".json" occurs in the path from its second character on; any
    // other path leaves the collider as it is. A file that cannot be read, lacks a list or
    // a key, or has a segment end that names no vertex is reported on standard error and
    // leaves the collider empty. When several "collider" members are present, the last
    // one decides.
    void loadFile(const std::string& path);

    int circleCount() const { return circleCount_; }
    int segmentCount() const { return segmentCount_; }
    int vertexCount() const { return vertexCount_; }

    // Values of circle k; 0 for an index outside 0 .. count - 1.
    float circleX(int k) const;
    float circleY(int k) const;
    float circleRadius(int k) const;
    // Segment k as (x, y) of its end "a", then (x, y) of its end "b"; zeros for an index
    // outside 0 .. count - 1.
    std::array<float, 4> segment(int k) const;

private:
    void clear();
    // Reads one "collider" member into the arrays; false with the problem described.
    bool readCollider(const JsonNode& collider, std::string& problem);

    std::vector<float> circleX_;
    std::vector<float> circleY_;
    std::vector<float> circleRadius_;
    std::vector<float> vertexX_;
    std::vector<float> vertexY_;
    int circleCount_ = 0;
    int segmentCount_ = 0;
    std::vector<int> segments_; // ends of segment k at 2k and 2k + 1, each below vertexCount_
    int vertexCount_ = 0;
};
