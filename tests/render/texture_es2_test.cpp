#include "render/texture_es2.h"

#include "app/gl_dialect.h"
#include "render/texture.h"
#include "tests/render/image_test_files.h"
#include "tests/render/render_test_support.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct UseDialect {
    explicit UseDialect(GlDialect dialect) { useGlDialect(dialect); }
    ~UseDialect() { useGlDialect(GlDialect::Desktop); }
};

} // namespace

TEST(TextureEs2, BlueFirstPixelsAreCopiedRedFirstAndTheRowPaddingIsKept)
{
    // Three BGR pixels a row, padded to 12 bytes; the padding bytes are left as they were.
    const std::vector<uint8_t> bgr = {1,  2,  3,  4,  5,  6,  7,  8,  9,  90, 91, 92,
                                      10, 11, 12, 13, 14, 15, 16, 17, 18, 93, 94, 95};
    const Es2Pixels rgb = es2Pixels(bgr.data(), 3, 2, GL_BGR);
    EXPECT_EQ(rgb.format, GLenum{GL_RGB});
    EXPECT_EQ(std::vector<uint8_t>(rgb.pixels, rgb.pixels + bgr.size()),
              (std::vector<uint8_t>{3,  2,  1,  6,  5,  4,  9,  8,  7,  90, 91, 92,
                                    12, 11, 10, 15, 14, 13, 18, 17, 16, 93, 94, 95}));
    EXPECT_EQ(bgr[0], 1) << "the decoded buffer itself is untouched";

    const std::vector<uint8_t> bgra = {1, 2, 3, 4, 5, 6, 7, 8};
    const Es2Pixels rgba = es2Pixels(bgra.data(), 2, 1, GL_BGRA);
    EXPECT_EQ(rgba.format, GLenum{GL_RGBA});
    EXPECT_EQ(std::vector<uint8_t>(rgba.pixels, rgba.pixels + 8),
              (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));

    const Es2Pixels same = es2Pixels(bgra.data(), 2, 1, GL_RGBA);
    EXPECT_EQ(same.format, GLenum{GL_RGBA});
    EXPECT_EQ(same.pixels, bgra.data()) << "red-first pixels are not copied";
    EXPECT_TRUE(same.converted.empty());
}

TEST(TextureEs2, WrapModesEs2LacksBecomeClampToEdge)
{
    EXPECT_EQ(es2WrapMode(GL_MIRRORED_REPEAT, 64, 32), GL_MIRRORED_REPEAT);
    EXPECT_EQ(es2WrapMode(GL_REPEAT, 1, 512), GL_REPEAT);
    EXPECT_EQ(es2WrapMode(GL_CLAMP_TO_EDGE, 8, 8), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(es2WrapMode(GL_CLAMP_TO_BORDER, 8, 8), GL_CLAMP_TO_EDGE)
        << "no border clamping in ES 2.0";
    // A side that is not a power of two samples black unless clamped to its edge.
    EXPECT_EQ(es2WrapMode(GL_REPEAT, 3, 4), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(es2WrapMode(GL_MIRRORED_REPEAT, 64, 48), GL_CLAMP_TO_EDGE);
}

// On a desktop context, which takes both layouts, the ES path must give the very texels the
// desktop path gives, for every decoder.
TEST(TextureEs2, UploadGivesTheSameTexelsAsTheDesktopPathForEveryDecoder)
{
    GlTestContext context;
    ZORBEL_REQUIRE_GL(context.ok());
    TempDir dir;
    const struct {
        std::string name;
        std::string bytes;
        GLint esWrap; // of sides that are not powers of two: clamped
    } cases[] = {
        {"a.bmp", makeBmp24(4, 3), GL_CLAMP_TO_EDGE},
        {"font.bmp.fnt", makeBmp24(4, 3), GL_CLAMP_TO_EDGE},
        {"odd.bmp", makeBmp24(5, 3), GL_CLAMP_TO_EDGE},
        {"a.png", makeRgbaPng(4, 4), GL_MIRRORED_REPEAT},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write(c.name, c.bytes);
        Texture desktop;
        desktop.load(path.c_str());
        desktop.upload();
        UseDialect dialect(GlDialect::Es2);
        Texture es;
        es.load(path.c_str());
        es.upload();
        EXPECT_EQ(texels(es), texels(desktop)) << c.name;
        EXPECT_EQ(textureParameter(desktop, GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT) << c.name;
        EXPECT_EQ(textureParameter(es, GL_TEXTURE_WRAP_S), c.esWrap) << c.name;
        // Border clamping does not exist in ES 2.0.
        es.setWrapMode(static_cast<int>(TextureWrapMode::ClampToBorder));
        EXPECT_EQ(textureParameter(es, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE) << c.name;
    }
}
