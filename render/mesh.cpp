#include "render/mesh.h"

#include "render/mesh_animation.h"

#include <algorithm>
#include <utility>

Mesh::Mesh() = default;

Mesh::~Mesh()
{
    deleteBuffers();
}

Mesh::Mesh(Mesh&& other) noexcept
{
    *this = std::move(other);
}

Mesh& Mesh::operator=(Mesh&& other) noexcept
{
    if (this == &other)
        return *this;
    deleteBuffers();
    positionFloatCount = std::exchange(other.positionFloatCount, 0);
    colorFloatCount = std::exchange(other.colorFloatCount, 0);
    indexCount = std::exchange(other.indexCount, 0);
    uvFloatCount = std::exchange(other.uvFloatCount, 0);
    positionBuffer = std::exchange(other.positionBuffer, 0);
    colorBuffer = std::exchange(other.colorBuffer, 0);
    indexBuffer = std::exchange(other.indexBuffer, 0);
    uvBuffer = std::exchange(other.uvBuffer, 0);
    positions = std::move(other.positions);
    colors = std::move(other.colors);
    indices = std::move(other.indices);
    uvs = std::move(other.uvs);
    animation = std::move(other.animation);
    other.positions.clear();
    other.colors.clear();
    other.indices.clear();
    other.uvs.clear();
    return *this;
}

void Mesh::clear()
{
    positions.clear();
    colors.clear();
    indices.clear();
    uvs.clear();
    animation.reset();
    updateCounts();
}

void Mesh::addPosition(float x, float y, float z)
{
    positions.insert(positions.end(), {x, y, z});
}

void Mesh::addColor(float r, float g, float b)
{
    colors.insert(colors.end(), {r, g, b});
}

void Mesh::addTriangle(uint16_t a, uint16_t b, uint16_t c)
{
    indices.insert(indices.end(), {a, b, c});
}

void Mesh::addTexCoord(float u, float v)
{
    uvs.insert(uvs.end(), {u, v});
}

void Mesh::setColor(size_t vertex, float r, float g, float b)
{
    if (vertex >= colors.size() / 3)
        return;
    colors[3 * vertex] = r;
    colors[3 * vertex + 1] = g;
    colors[3 * vertex + 2] = b;
}

void Mesh::setTexCoord(size_t vertex, float u, float v)
{
    if (vertex >= uvs.size() / 2)
        return;
    uvs[2 * vertex] = u;
    uvs[2 * vertex + 1] = v;
}

void Mesh::updateCounts()
{
    positionFloatCount = static_cast<int32_t>(positions.size());
    colorFloatCount = static_cast<int32_t>(colors.size());
    indexCount = static_cast<int32_t>(indices.size());
    uvFloatCount = static_cast<int32_t>(uvs.size());
}

namespace {
int32_t limitCount(int32_t count, size_t length)
{
    return static_cast<int32_t>(std::clamp<int64_t>(count, 0, static_cast<int64_t>(length)));
}
} // namespace

void Mesh::setCounts(int32_t positionFloats, int32_t colorFloats, int32_t indexValues,
                     int32_t uvFloats)
{
    positionFloatCount = limitCount(positionFloats, positions.size());
    colorFloatCount = limitCount(colorFloats, colors.size());
    indexCount = limitCount(indexValues, indices.size());
    uvFloatCount = limitCount(uvFloats, uvs.size());
}
