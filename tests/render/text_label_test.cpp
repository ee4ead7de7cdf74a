#include "math/camera.h"
#include "render/text_label.h"
#include "tests/render/glyph_text.h"
#include "tests/render/mesh_counts.h"
#include "tests/render/render_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<float> kGreen = {0, 1, 0};
const std::vector<float> kRed = {1, 0, 0};

// Colour triples for the given number of vertices, each chosen by its vertex number.
template <typename Choose>
std::vector<float> vertexColours(size_t vertices, Choose colourOf)
{
    std::vector<float> colours;
    for (size_t k = 0; k < vertices; ++k) {
        const std::vector<float>& colour = colourOf(k);
        colours.insert(colours.end(), colour.begin(), colour.end());
    }
    return colours;
}

void expectCounts(const Mesh& mesh, int32_t glyphs)
{
    EXPECT_EQ(countsOf(mesh), (MeshCounts{12 * glyphs, 12 * glyphs, 6 * glyphs, 8 * glyphs}));
}

class TextLabels : public RenderTest { };

// Labels drawn through a program that paints the vertex colour, seen by a camera of one unit
// per pixel with the origin at the bottom left.
class TextLabelDrawing : public RenderTest {
protected:
    void prepare() override
    {
        buildProgram(program_, dir_, shaders::kVertexPlain, shaders::kFragmentColour);
        program_.bind();
        camera_.resetView();
        camera_.resetProjection();
        camera_.ortho(0, kSide, 0, kSide, 1, 1000);
    }
    ShaderProgram program_;
    Camera camera_;
};

} // namespace

TEST_F(TextLabels, CaMarcheAtSize90BuildsTenSlotsAndUploadsThem)
{
    TextLabel label;
    label.create("ca marche!", 150, 35, -35, 90, 0, 1, 0, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    EXPECT_EQ(label.glyphCount(), 10u);
    EXPECT_EQ(mesh.positions.size() / 3, 40u);
    EXPECT_EQ(mesh.indices.size(), 60u);
    expectCounts(mesh, 10);
    EXPECT_EQ(glyphText(mesh, 10), "ca marche!");

    // Slot 3: x 270 to 360, y 0 to 90, corners in the order bottom-left, top-left,
    // bottom-right, top-right; triangles (12, 14, 13) and (13, 14, 15).
    const std::vector<float> slot3(mesh.positions.begin() + 36, mesh.positions.begin() + 48);
    EXPECT_EQ(slot3, (std::vector<float>{270, 0, 0, 270, 90, 0, 360, 0, 0, 360, 90, 0}));
    EXPECT_EQ(std::vector<uint16_t>(mesh.indices.begin() + 18, mesh.indices.begin() + 24),
              (std::vector<uint16_t>{12, 14, 13, 13, 14, 15}));
    EXPECT_EQ(mesh.positions.front(), 0.0f);
    EXPECT_EQ(mesh.positions[mesh.positions.size() - 3], 900.0f);
    EXPECT_EQ(mesh.colors, vertexColours(40, [](size_t) { return kGreen; }));

    // The space is a slot like any other: column 0 of row 2.
    EXPECT_EQ(mesh.uvs[8 * 2 + 2], 0.0f);
    EXPECT_EQ(mesh.uvs[8 * 2 + 3], 0.875f);

    EXPECT_EQ(bufferFloats(mesh.positionBuffer), mesh.positions);
    EXPECT_EQ(bufferFloats(mesh.colorBuffer), mesh.colors);
    EXPECT_EQ(bufferShorts(mesh.indexBuffer), mesh.indices);
    EXPECT_EQ(bufferFloats(mesh.uvBuffer), mesh.uvs);
}

TEST_F(TextLabels, ShorterAndLongerTextsReuseHideAndAppendSlots)
{
    TextLabel label;
    label.create("12345", 0, 0, 0, 10, 1, 0, 0, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    const GLuint uvBuffer = mesh.uvBuffer;
    const std::vector<float> positions = mesh.positions;

    // Shorter: two slots drawn, five kept; the hidden ones still show their old cells.
    label.setText("ab");
    EXPECT_EQ(label.glyphCount(), 5u);
    expectCounts(mesh, 2);
    EXPECT_EQ(mesh.uvs.size(), 40u);
    EXPECT_EQ(glyphText(mesh, 5), "ab345");
    EXPECT_EQ(bufferFloats(mesh.uvBuffer),
              std::vector<float>(mesh.uvs.begin(), mesh.uvs.begin() + 16));
    EXPECT_EQ(bufferShorts(mesh.indexBuffer).size(), 12u);

    // Up to the longest length so far: texture coordinates only.
    label.setText("wxyz");
    expectCounts(mesh, 4);
    EXPECT_EQ(glyphText(mesh, 5), "wxyz5");
    EXPECT_EQ(mesh.positions, positions);
    EXPECT_EQ(mesh.uvBuffer, uvBuffer);

    // Longer: new slots after the old ones, all drawn, same buffers.
    label.setText("a longer one");
    EXPECT_EQ(label.glyphCount(), 12u);
    expectCounts(mesh, 12);
    EXPECT_EQ(glyphText(mesh, 12), "a longer one");
    EXPECT_EQ(std::vector<float>(mesh.positions.begin(), mesh.positions.begin() + 60), positions);
    EXPECT_EQ(mesh.positions[3 * 4 * 11], 110.0f);
    EXPECT_EQ(mesh.uvBuffer, uvBuffer);
    EXPECT_EQ(bufferFloats(mesh.positionBuffer), mesh.positions);
    EXPECT_EQ(bufferShorts(mesh.indexBuffer), mesh.indices);

    // Empty: nothing drawn, every slot kept; a null text reads as empty.
    label.setText("");
    expectCounts(mesh, 0);
    EXPECT_EQ(label.glyphCount(), 12u);
    EXPECT_EQ(mesh.uvs.size(), 96u);
    EXPECT_TRUE(bufferFloats(mesh.positionBuffer).empty());
    label.setText(nullptr);
    expectCounts(mesh, 0);
}

TEST_F(TextLabels, SetColorRecoloursOnlyTheCurrentText)
{
    TextLabel label;
    label.create("abcd", 0, 0, 0, 10, 1, 0, 0, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    label.setText("ab");
    label.setColor(0, 1, 0);
    EXPECT_EQ(mesh.colors, vertexColours(16, [](size_t k) { return k < 8 ? kGreen : kRed; }));
    EXPECT_EQ(bufferFloats(mesh.colorBuffer),
              std::vector<float>(mesh.colors.begin(), mesh.colors.begin() + 24));

    // Uncovered slots show the colour they had; appended slots take the stored colour.
    label.setText("abcdef");
    EXPECT_EQ(bufferFloats(mesh.colorBuffer),
              vertexColours(24, [](size_t k) { return k < 8 || k >= 16 ? kGreen : kRed; }));
}

TEST_F(TextLabels, OverlongTextsStopAtTheLastSixteenBitVertex)
{
    // A 20000-byte text: the first 16384 glyphs show, the rest is dropped, and the last index
    // is the last 16-bit vertex number rather than one that wrapped around.
    const std::string longText(20000, 'A');
    TextLabel label;
    label.create(longText.c_str(), 0, 0, 0, 2, 1, 1, 1, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    EXPECT_EQ(label.glyphCount(), TextLabel::kMaxGlyphs);
    expectCounts(mesh, 16384);
    EXPECT_EQ(mesh.indices.back(), 65535);
    EXPECT_EQ(mesh.indices[mesh.indices.size() - 6], 65532);
    label.setText((longText + "more").c_str());
    EXPECT_EQ(label.glyphCount(), TextLabel::kMaxGlyphs);
    EXPECT_EQ(mesh.positions.size(), 12u * 16384);
}

TEST_F(TextLabels, EveryByteShowsItsOwnCellOfTheFontGrid)
{
    // "0" is column 0 of row 3; bytes 128 to 255 read unsigned: 0x80 is column 0 of row 8,
    // 0xFF the bottom-right cell.
    const struct {
        const char* text;
        std::vector<float> uvs;
    } cells[] = {
        {"0", {0, 0.75f, 0, 0.8125f, 0.0625f, 0.75f, 0.0625f, 0.8125f}},
        {"\x80", {0, 0.4375f, 0, 0.5f, 0.0625f, 0.4375f, 0.0625f, 0.5f}},
        {"\xff", {0.9375f, 0, 0.9375f, 0.0625f, 1, 0, 1, 0.0625f}},
    };
    for (const auto& cell : cells) {
        TextLabel label;
        label.create(cell.text, 0, 0, 0, 16, 1, 1, 1, nullptr, nullptr);
        EXPECT_EQ(label.mesh().uvs, cell.uvs)
            << static_cast<int>(static_cast<unsigned char>(cell.text[0]));
    }
    std::string every;
    for (int code = 1; code < 256; ++code)
        every += static_cast<char>(code);
    TextLabel all;
    all.create(every.c_str(), 0, 0, 0, 4, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(glyphText(all.mesh(), every.size()), every);
    for (float value : all.mesh().uvs) {
        EXPECT_GE(value, 0.0f);
        EXPECT_LE(value, 1.0f);
    }
}

TEST_F(TextLabels, MovingHandsTheBuffersOverAndASecondCreateStartsFromAnEmptyMesh)
{
    TextLabel owner;
    {
        TextLabel source;
        source.create("move", 0, 0, 0, 8, 1, 1, 1, nullptr, nullptr);
        owner = std::move(source);
        EXPECT_EQ(source.glyphCount(), 0u);
        EXPECT_EQ(source.mesh().positionBuffer, 0u);
        source.setText("still safe");
    }
    EXPECT_EQ(owner.glyphCount(), 4u);
    EXPECT_TRUE(isBuffer(owner.mesh().uvBuffer));
    owner.setText("ok");
    EXPECT_EQ(bufferShorts(owner.mesh().indexBuffer).size(), 12u);

    // A second create starts from an empty mesh; an empty label still has buffers.
    owner.create("", 1, 2, 3, 8, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(owner.glyphCount(), 0u);
    expectCounts(owner.mesh(), 0);
    EXPECT_TRUE(isBuffer(owner.mesh().indexBuffer));
    owner.setText("xy");
    EXPECT_EQ(owner.glyphCount(), 2u);
    EXPECT_EQ(owner.mesh().positions.size(), 24u);
    EXPECT_EQ(bufferFloats(owner.mesh().uvBuffer), owner.mesh().uvs);
}

TEST_F(TextLabelDrawing, TheCurrentTextLandsWhereThePlacementPutsIt)
{
    TextLabel label;
    label.create("abc", 10, 20, -5, 8, 1, 0, 0, nullptr, &camera_);
    label.setText("ab");
    const auto drawnAt = [&](const LabelPlacement& at) { return drawn([&] { label.draw(at); }); };
    // As stored: two glyphs of 8 from (10, 20); the hidden third slot stays hidden.
    EXPECT_TRUE(drawnAt(label.placement()).redExactlyIn({{10, 20, 26, 28}}));
    // Half the glyph size, elsewhere.
    EXPECT_TRUE(drawnAt({40, 4, -5, 4, 0}).redExactlyIn({{40, 4, 48, 8}}));
    // A quarter turn counter-clockwise about the origin: the text runs upwards.
    EXPECT_TRUE(drawnAt({30, 20, -5, 8, 90}).redExactlyIn({{22, 20, 30, 36}}));

    // Without a camera there is nothing to place it by.
    TextLabel unplaced;
    unplaced.create("ab", 10, 20, -5, 8, 1, 0, 0, nullptr, nullptr);
    EXPECT_EQ(drawn([&] { unplaced.draw(unplaced.placement()); }).countRed(), 0);
}
