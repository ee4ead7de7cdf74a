#include "render/text_label.h"

#include "math/camera.h"
#include "render/texture.h"

#include <cstdint>
#include <utility>

namespace {

struct Cell {
    float u;
    float v;
};

// The top-left texture coordinate of a code's font cell. Bytes are read unsigned, so plain
// ASCII takes the upper eight rows and codes 128 to 255 the lower eight: every code stays
// inside the grid.
Cell cellOf(unsigned char code)
{
    const int column = code % 16;
    const int row = code / 16;
    return {static_cast<float>(column * 0.0625), static_cast<float>(1 - row * 0.0625)};
}

constexpr float kCellSide = 1.0f / 16.0f;

} // namespace

TextLabel::TextLabel(TextLabel&& other) noexcept
{
    *this = std::move(other);
}

TextLabel& TextLabel::operator=(TextLabel&& other) noexcept
{
    if (this == &other)
        return *this;
    x_ = other.x_;
    y_ = other.y_;
    z_ = other.z_;
    mesh_ = std::move(other.mesh_);
    font_ = std::exchange(other.font_, nullptr);
    red_ = other.red_;
    green_ = other.green_;
    blue_ = other.blue_;
    camera_ = std::exchange(other.camera_, nullptr);
    rotation_ = other.rotation_;
    glyphCount_ = std::exchange(other.glyphCount_, 0);
    glyphSize_ = other.glyphSize_;
    return *this;
}

// Appends slot i: positions, triangles, texture coordinates, colours, in that order. The
// slot's x extents are unsigned products, converted to float afterwards.
void TextLabel::buildSlot(size_t slot, unsigned char code)
{
    const unsigned index = static_cast<unsigned>(slot);
    const float left = static_cast<float>(glyphSize_ * index);
    const float right = static_cast<float>(glyphSize_ * index + glyphSize_);
    const float size = static_cast<float>(glyphSize_);
    mesh_.addPosition(left, 0.0f, 0.0f);
    mesh_.addPosition(left, size, 0.0f);
    mesh_.addPosition(right, 0.0f, 0.0f);
    mesh_.addPosition(right, size, 0.0f);

    const auto first = static_cast<uint16_t>(4 * index);
    mesh_.addTriangle(first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 1));
    mesh_.addTriangle(static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2),
                      static_cast<uint16_t>(first + 3));

    const Cell cell = cellOf(code);
    mesh_.addTexCoord(cell.u, cell.v - kCellSide);
    mesh_.addTexCoord(cell.u, cell.v);
    mesh_.addTexCoord(cell.u + kCellSide, cell.v - kCellSide);
    mesh_.addTexCoord(cell.u + kCellSide, cell.v);

    for (int corner = 0; corner < 4; ++corner)
        mesh_.addColor(red_, green_, blue_);
}

void TextLabel::updateSlot(size_t slot, unsigned char code)
{
    const Cell cell = cellOf(code);
    const size_t first = 4 * slot;
    mesh_.setTexCoord(first, cell.u, cell.v - kCellSide);
    mesh_.setTexCoord(first + 1, cell.u, cell.v);
    mesh_.setTexCoord(first + 2, cell.u + kCellSide, cell.v - kCellSide);
    mesh_.setTexCoord(first + 3, cell.u + kCellSide, cell.v);
}

void TextLabel::create(const char* text, float x, float y, float z, unsigned glyphSize, float r,
                       float g, float b, Texture* font, Camera* camera)
{
    mesh_ = Mesh();
    x_ = x;
    y_ = y;
    z_ = z;
    glyphSize_ = glyphSize;
    red_ = r;
    green_ = g;
    blue_ = b;
    font_ = font;
    camera_ = camera;
    rotation_ = 0.0f;

    size_t i = 0;
    if (text != nullptr)
        for (; text[i] != '\0' && i < kMaxGlyphs; ++i)
            buildSlot(i, static_cast<unsigned char>(text[i]));
    glyphCount_ = i;
    mesh_.updateCounts();
    mesh_.createBuffers();
}

void TextLabel::setText(const char* text)
{
    if (text == nullptr)
        text = "";
    size_t i = 0;
    for (; text[i] != '\0' && i < glyphCount_; ++i)
        updateSlot(i, static_cast<unsigned char>(text[i]));
    for (; text[i] != '\0' && i < kMaxGlyphs; ++i)
        buildSlot(i, static_cast<unsigned char>(text[i]));

    if (glyphCount_ < i) {
        glyphCount_ = i;
        mesh_.updateCounts();
    } else {
        const auto glyphs = static_cast<int32_t>(i);
        mesh_.setCounts(12 * glyphs, 12 * glyphs, 6 * glyphs, 8 * glyphs);
    }
    mesh_.uploadBuffers();
}

void TextLabel::setColor(float r, float g, float b)
{
    red_ = r;
    green_ = g;
    blue_ = b;
    const int32_t vertices = mesh_.colorCount() / 3;
    for (int32_t k = 0; k < vertices; ++k)
        mesh_.setColor(static_cast<size_t>(k), r, g, b);
    mesh_.uploadBuffers();
}

void TextLabel::draw(const LabelPlacement& at) const
{
    if (camera_ == nullptr || glyphSize_ == 0)
        return;
    const float scale = at.glyphSize / static_cast<float>(glyphSize_);
    Mat4 matrix;
    Mat4::multiply(matrix, camera_->projection(), camera_->view());
    Mat4::multiply(matrix, matrix, Mat4::translation(at.x, at.y, at.z));
    Mat4::multiply(matrix, matrix,
                   Mat4::rotationZ(static_cast<float>(at.rotationDegrees * kDegToRad)));
    Mat4::multiply(matrix, matrix, Mat4::scaling(scale, scale, 1.0f));
    if (font_ != nullptr)
        font_->bind();
    mesh_.draw(&matrix);
}
