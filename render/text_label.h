#pragma once

#include "render/mesh.h"

#include <cstddef>

class Camera;
class Texture;

// Where a label is drawn: its origin (the bottom-left corner of the first glyph) in the
// units of its camera, the edge of one glyph and the turn about z, counter-clockwise.
struct LabelPlacement {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float glyphSize = 0.0f;
    float rotationDegrees = 0.0f;
};

// A byte string drawn as one textured quad per byte, cut from a bitmap font that holds a
// 16 by 16 grid of cells (code 0 top left, codes running left to right, rows downward).
//
// The quads live in a mesh of the label's own. Changing the text rewrites texture
// coordinates of existing glyph slots, appends slots only past the longest text so far and
// hides the rest through the draw counts, so a label rewritten every frame makes no new
// buffers. Slots are never removed.
//
// Owns its mesh and so its GL buffers: not copyable; a moved-from label is empty.
class TextLabel {
public:
    // 16-bit indices address 65536 vertices, four per glyph: longer texts show their first
    // kMaxGlyphs bytes and drop the rest.
    static constexpr size_t kMaxGlyphs = 16384;

    TextLabel() = default;
    TextLabel(const TextLabel&) = delete;
    TextLabel& operator=(const TextLabel&) = delete;
    TextLabel(TextLabel&& other) noexcept;
    TextLabel& operator=(TextLabel&& other) noexcept;

    // Stores the placement, glyph size, colour and links, builds one slot per byte of the
    // zero-terminated text and creates the buffers. Needs a current context. A second create
    // starts again from an empty mesh. font and camera are not owned.
    void create(const char* text, float x, float y, float z, unsigned glyphSize, float r, float g,
                float b, Texture* font, Camera* camera);
    // Shows a new text, reusing slots; a null text reads as empty.
    void setText(const char* text);
    // Recolours the glyphs of the current text only; hidden slots keep their colour.
    void setColor(float r, float g, float b);
    void setRotation(float degrees) { rotation_ = degrees; }

    // The placement the label stores: its position, glyph size and rotation.
    LabelPlacement placement() const
    {
        return {x_, y_, z_, static_cast<float>(glyphSize_), rotation_};
    }
    // Draws the glyphs of the current text through the program bound last, with the font on
    // unit 0: M := projection * view of the camera * T(at) * Rz(at's rotation) * S(k, k, 1),
    // k scaling the stored glyph size to at's. Nothing without a camera or a glyph size.
    void draw(const LabelPlacement& at) const;

    float x() const { return x_; }
    float y() const { return y_; }
    float z() const { return z_; }
    float rotation() const { return rotation_; }
    unsigned glyphSize() const { return glyphSize_; }
    size_t glyphCount() const { return glyphCount_; }
    const Mesh& mesh() const { return mesh_; }
    Texture* font() const { return font_; }
    Camera* camera() const { return camera_; }

private:
    void buildSlot(size_t slot, unsigned char code);
    void updateSlot(size_t slot, unsigned char code);

    float x_ = 0.0f;
    float y_ = 0.0f;
    float z_ = 0.0f;
    Mesh mesh_;
    Texture* font_ = nullptr;
    float red_ = 0.0f;
    float green_ = 0.0f;
    float blue_ = 0.0f;
    Camera* camera_ = nullptr;
    float rotation_ = 0.0f;
    size_t glyphCount_ = 0;
    unsigned glyphSize_ = 0;
};
