#include "render/text_label.h"
#include "tests/render/shader_test_support.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SlotUv {
    float u;
    float v;
};

// The top-left texture coordinate of slot i (its vertex 4i+1).
SlotUv uvOfSlot(const Mesh& mesh, size_t slot)
{
    return {mesh.uvs[8 * slot + 2], mesh.uvs[8 * slot + 3]};
}

// The cell a code shows: column code mod 16, row code / 16, row 0 at the top of the image.
SlotUv cellOf(int code)
{
    return {(code % 16) / 16.0f, 1.0f - (code / 16) / 16.0f};
}

void expectShows(const Mesh& mesh, const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const SlotUv expected = cellOf(static_cast<unsigned char>(text[i]));
        EXPECT_EQ(uvOfSlot(mesh, i).u, expected.u) << "slot " << i << " of \"" << text << '"';
        EXPECT_EQ(uvOfSlot(mesh, i).v, expected.v) << "slot " << i << " of \"" << text << '"';
    }
}

void expectCounts(const Mesh& mesh, int32_t glyphs)
{
    EXPECT_EQ(mesh.positionFloatCount, 12 * glyphs);
    EXPECT_EQ(mesh.colorFloatCount, 12 * glyphs);
    EXPECT_EQ(mesh.indexCount, 6 * glyphs);
    EXPECT_EQ(mesh.uvFloatCount, 8 * glyphs);
}

class TextLabels : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZORBEL_REQUIRE_GL(context_.ok());
    }
    GlTestContext context_;
};

} // namespace

TEST_F(TextLabels, CaMarcheAtSize90BuildsTenSlotsAndUploadsThem)
{
    TextLabel label;
    label.create("ca marche!", 150, 35, -35, 90, 0, 1, 0, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    EXPECT_EQ(label.glyphCount(), 10u);
    EXPECT_EQ(label.rotation(), 0.0f);
    EXPECT_EQ(mesh.positions.size() / 3, 40u);
    EXPECT_EQ(mesh.indices.size(), 60u);
    expectCounts(mesh, 10);
    expectShows(mesh, "ca marche!");

    // Slot 3: x 270 to 360, y 0 to 90, corners in the order bottom-left, top-left,
    // bottom-right, top-right; triangles (12, 14, 13) and (13, 14, 15).
    const std::vector<float> slot3(mesh.positions.begin() + 36, mesh.positions.begin() + 48);
    EXPECT_EQ(slot3, (std::vector<float>{270, 0, 0, 270, 90, 0, 360, 0, 0, 360, 90, 0}));
    EXPECT_EQ(std::vector<uint16_t>(mesh.indices.begin() + 18, mesh.indices.begin() + 24),
              (std::vector<uint16_t>{12, 14, 13, 13, 14, 15}));
    EXPECT_EQ(mesh.positions.front(), 0.0f);
    EXPECT_EQ(mesh.positions[mesh.positions.size() - 3], 900.0f);
    for (size_t k = 0; k < 40; ++k)
        EXPECT_EQ(std::vector<float>(mesh.colors.begin() + 3 * k, mesh.colors.begin() + 3 * k + 3),
                  (std::vector<float>{0, 1, 0}));

    // The space is a slot like any other: column 0 of row 2.
    EXPECT_EQ(uvOfSlot(mesh, 2).u, 0.0f);
    EXPECT_EQ(uvOfSlot(mesh, 2).v, 0.875f);

    EXPECT_EQ(bufferFloats(mesh.positionBuffer), mesh.positions);
    EXPECT_EQ(bufferFloats(mesh.colorBuffer), mesh.colors);
    EXPECT_EQ(bufferShorts(mesh.indexBuffer), mesh.indices);
    EXPECT_EQ(bufferFloats(mesh.uvBuffer), mesh.uvs);
}

TEST_F(TextLabels, TheZeroDigitUsesColumnZeroOfRowThree)
{
    TextLabel label;
    label.create("0", 0, 0, 0, 16, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(label.mesh().uvs, (std::vector<float>{0, 0.75f, 0, 0.8125f, 0.0625f, 0.75f, 0.0625f, 0.8125f}));
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
    expectShows(mesh, "ab345");
    EXPECT_EQ(bufferFloats(mesh.uvBuffer), std::vector<float>(mesh.uvs.begin(), mesh.uvs.begin() + 16));
    EXPECT_EQ(bufferShorts(mesh.indexBuffer).size(), 12u);

    // Up to the longest length so far: texture coordinates only.
    label.setText("wxyz");
    expectCounts(mesh, 4);
    expectShows(mesh, "wxyz5");
    EXPECT_EQ(mesh.positions, positions);
    EXPECT_EQ(mesh.uvBuffer, uvBuffer);

    // Longer: new slots after the old ones, all drawn, same buffers.
    label.setText("a longer one");
    EXPECT_EQ(label.glyphCount(), 12u);
    expectCounts(mesh, 12);
    expectShows(mesh, "a longer one");
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

TEST_F(TextLabels, AnEmptyLabelStillHasBuffers)
{
    TextLabel label;
    label.create("", 1, 2, 3, 8, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(label.glyphCount(), 0u);
    expectCounts(label.mesh(), 0);
    EXPECT_NE(label.mesh().positionBuffer, 0u);
    EXPECT_TRUE(isBuffer(label.mesh().indexBuffer));
    label.setText("hi");
    expectCounts(label.mesh(), 2);
    EXPECT_EQ(bufferFloats(label.mesh().uvBuffer), label.mesh().uvs);
}

TEST_F(TextLabels, SetColorRecoloursOnlyTheCurrentText)
{
    TextLabel label;
    label.create("abcd", 0, 0, 0, 10, 1, 0, 0, nullptr, nullptr);
    const Mesh& mesh = label.mesh();
    label.setText("ab");
    label.setColor(0, 1, 0);
    const std::vector<float> green = {0, 1, 0};
    const std::vector<float> red = {1, 0, 0};
    for (size_t k = 0; k < 16; ++k)
        EXPECT_EQ(std::vector<float>(mesh.colors.begin() + 3 * k, mesh.colors.begin() + 3 * k + 3),
                  k < 8 ? green : red) << "vertex " << k;
    EXPECT_EQ(bufferFloats(mesh.colorBuffer), std::vector<float>(mesh.colors.begin(), mesh.colors.begin() + 24));

    // Uncovered slots show the colour they had; appended slots take the stored colour.
    label.setText("abcdef");
    const std::vector<float> uploaded = bufferFloats(mesh.colorBuffer);
    ASSERT_EQ(uploaded.size(), 72u);
    for (size_t k = 0; k < 24; ++k)
        EXPECT_EQ(std::vector<float>(uploaded.begin() + 3 * k, uploaded.begin() + 3 * k + 3),
                  k < 8 || k >= 16 ? green : red) << "vertex " << k;
}

TEST_F(TextLabels, OverlongTextsAndHighBytesStayInsideIndicesAndFontGrid)
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

    // Bytes 128 to 255 read unsigned: 0x80 is column 0 of row 8, 0xFF the bottom-right cell.
    TextLabel high;
    high.create("\x80\xff\x7f", 0, 0, 0, 4, 1, 1, 1, nullptr, nullptr);
    const std::vector<float>& uvs = high.mesh().uvs;
    EXPECT_EQ(std::vector<float>(uvs.begin(), uvs.begin() + 8),
              (std::vector<float>{0, 0.4375f, 0, 0.5f, 0.0625f, 0.4375f, 0.0625f, 0.5f}));
    EXPECT_EQ(std::vector<float>(uvs.begin() + 8, uvs.begin() + 16),
              (std::vector<float>{0.9375f, 0, 0.9375f, 0.0625f, 1, 0, 1, 0.0625f}));
    expectShows(high.mesh(), "\x80\xff\x7f");
    for (float value : uvs) {
        EXPECT_GE(value, 0.0f);
        EXPECT_LE(value, 1.0f);
    }
}

TEST_F(TextLabels, MovingHandsTheBuffersOverAndTheSourceReleasesNothing)
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

    // A second create starts from an empty mesh.
    owner.create("xy", 0, 0, 0, 8, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(owner.glyphCount(), 2u);
    EXPECT_EQ(owner.mesh().positions.size(), 24u);
}
