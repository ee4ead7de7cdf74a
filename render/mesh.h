#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Mat4;
class MeshAnimation;

// An indexed triangle mesh held as arrays (positions, colours, texture coordinates,
// 16-bit indices) and, after createBuffers, as four static GL buffer objects.
//
// The counts are kept apart from the array lengths: upload and draw use the counts, so a
// mesh can draw fewer vertices than its arrays hold (text labels do). The colour triple
// of a vertex feeds the shader attribute "inNormal"; there are no separate normals.
//
// A mesh owns its GL buffers: it cannot be copied, and a moved-from mesh owns none.
class Mesh {
public:
    Mesh();
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    Mesh(Mesh&& other) noexcept;
    Mesh& operator=(Mesh&& other) noexcept;

    // Loading. Picks the JSON reader when ".json" occurs in the path from its second
    // character on, the binary reader otherwise. A file that cannot be read or holds a
    // damaged mesh is reported on standard error and leaves the mesh empty.
    bool load(const std::string& path);
    bool loadJson(const std::string& path);
    bool loadBinary(const std::string& path);

    // Building and editing; no GL work.
    void addPosition(float x, float y, float z);
    void addColor(float r, float g, float b);
    void addTriangle(uint16_t a, uint16_t b, uint16_t c);
    void addTexCoord(float u, float v);
    // The vertex must exist; out-of-range vertices are ignored.
    void setColor(size_t vertex, float r, float g, float b);
    void setTexCoord(size_t vertex, float u, float v);
    // Counts := lengths of positions, colors, indices and uvs.
    void updateCounts();
    // Sets the counts in the order positions, colours, indices, uvs. Each is limited to its
    // array's length, so upload and draw never read past an array.
    void setCounts(int32_t positionFloats, int32_t colorFloats, int32_t indices, int32_t uvFloats);
    int32_t colorCount() const { return colorFloatCount; }

    // GL buffers; need a current context.
    void createBuffers();
    void uploadBuffers();
    // Deletes the buffers this mesh created; a second call (or one on a mesh that never
    // created any) does nothing.
    void deleteBuffers();
    // Draws indexCount indices as triangles with the locations of the program bound last;
    // uploads the matrix to "finalMatrix" and unit 0 to "texture0".
    void draw(const Mat4* matrix) const;

    int32_t positionFloatCount = 0;
    int32_t colorFloatCount = 0;
    int32_t indexCount = 0;
    int32_t uvFloatCount = 0;
    GLuint positionBuffer = 0;
    GLuint colorBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint uvBuffer = 0;
    std::vector<float> positions;
    std::vector<float> colors;
    std::vector<uint16_t> indices;
    std::vector<float> uvs;
    std::unique_ptr<MeshAnimation> animation;

private:
    void clear();
};
