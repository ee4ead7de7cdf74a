#include "render/texture.h"

#include "app/gl_functions.h"
#include "tests/render/image_test_files.h"
#include "tests/render/render_test_support.h"
#include "tests/support/one_line_report.h"
#include "tests/support/recorded_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

std::vector<uint8_t> placeholderPixel(const Texture& t, int x, int y)
{
    const uint8_t* p = t.pixels + (y * t.width + x) * 4;
    return {p, p + 4};
}

GLint boundTexture()
{
    GLint value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    return value;
}

class TextureOnGl : public RenderTest { };

} // namespace

TEST_F(TextureOnGl, AFileThatCannotBeDecodedIsReportedOnceAndReplacedByAVisiblePlaceholder)
{
    const auto folder = [&](const char* name) {
        std::filesystem::create_directory(dir_.path() / name);
        return (dir_.path() / name).string();
    };
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {(dir_.path() / "missing.bmp").string(), "cannot open the file"},
        {dir_.write("text.png", "not a picture"), "not a PNG file"},
        {dir_.write("cut.bmp", makeBmp24(8, 8).substr(0, 100)), "runs past the end"},
        {dir_.write("font.fnt", "BM"), "shorter than the BMP headers"},
        {"", "cannot open the file"},
        {folder("road6.png"), "cannot read the file: it is a folder"},
        {folder("grass.bmp"), "cannot read the file: it is a folder"},
    };
    for (const Case& c : cases) {
        RecordedLines said;
        Texture t;
        t.load(c.path.c_str());
        const std::string text = said.err();
        EXPECT_TRUE(isOneLineReport(text, "Could not load texture \"" + c.path + "\": ", c.reason));
        EXPECT_TRUE(text.ends_with("; using a placeholder\n")) << text;
        ASSERT_NE(t.pixels, nullptr);
        EXPECT_EQ(t.width, 8);
        EXPECT_EQ(t.height, 8);
        EXPECT_EQ(t.internalFormat, GL_RGBA);
        EXPECT_EQ(t.pixelFormat, GL_RGBA);
        EXPECT_EQ(placeholderPixel(t, 0, 0), (std::vector<uint8_t>{255, 0, 255, 255}));
        EXPECT_EQ(placeholderPixel(t, 2, 0), (std::vector<uint8_t>{0, 0, 0, 255}));
        EXPECT_EQ(placeholderPixel(t, 3, 3), (std::vector<uint8_t>{255, 0, 255, 255}));
        // It uploads like any texture.
        const std::vector<uint8_t> placeholder(t.pixels, t.pixels + 8 * 8 * 4);
        t.upload();
        EXPECT_EQ(texels(t), placeholder);
    }
}

TEST_F(TextureOnGl, TheDecoderPickedByTheLastFourCharactersOfThePathUploadsWithTheDefaultParameters)
{
    const int w = 5, h = 3; // an odd width: the 24-bit rows carry padding
    const std::string bmp = makeBmp24(w, h);
    const PixelAlpha opaque = [](int, int) -> uint8_t { return 255; };
    const PixelAlpha red = [](int x, int y) { return patternPixel(x, y)[2]; };
    const struct {
        std::string name;
        std::string bytes;
        GLint internalFormat;
        GLenum pixelFormat;
        PixelAlpha alpha;
    } cases[] = {
        {"a.bmp", bmp, GL_RGB, GL_BGR, opaque},
        {"a.png", makeRgbaPng(w, h), GL_RGBA, GL_RGBA, rgbaPngAlpha},
        // Anything else is a font: 24-bit BMP widened with an alpha equal to red.
        {"a.BMP", bmp, GL_RGBA, GL_BGRA, red},
        {"a.PNG", bmp, GL_RGBA, GL_BGRA, red},
        {"a.fnt", bmp, GL_RGBA, GL_BGRA, red},
        {"font.bmp.fnt", bmp, GL_RGBA, GL_BGRA, red},
    };
    for (const auto& c : cases) {
        RecordedLines said;
        Texture t;
        t.load(dir_.write(c.name, c.bytes).c_str());
        EXPECT_EQ(said.err(), "") << c.name;
        ASSERT_NE(t.pixels, nullptr) << c.name;
        EXPECT_EQ(t.width, w);
        EXPECT_EQ(t.height, h);
        EXPECT_EQ(t.internalFormat, c.internalFormat) << c.name;
        EXPECT_EQ(t.pixelFormat, c.pixelFormat) << c.name;
        t.upload();
        t.freePixels();
        ASSERT_NE(t.name, 0u);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name));
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT);
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);
        GLint width = 0, height = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
        EXPECT_EQ(format, c.internalFormat) << c.name;
        EXPECT_EQ(texels(t), patternRgba(w, h, c.alpha)) << c.name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureOnGl, FilteringAndWrapModesBindTheTextureAndSetBothAxes)
{
    Texture t;
    t.load(dir_.write("a.bmp", makeBmp24(4, 4)).c_str());
    t.upload();
    Texture other;
    other.load(dir_.write("b.bmp", makeBmp24(4, 4)).c_str());
    other.upload();

    for (const auto& [smooth, filter] : {std::pair{false, GL_NEAREST}, {true, GL_LINEAR}}) {
        other.bind();
        t.setSmoothFiltering(smooth);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name)) << smooth;
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_MAG_FILTER), filter) << smooth;
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_MIN_FILTER), filter) << smooth;
    }

    // Each mode binds the texture and sets both axes; a value outside 0 to 3 binds it and
    // leaves the last mode (repeat) in place.
    const std::pair<int, GLint> modes[] = {{3, GL_CLAMP_TO_BORDER}, {2, GL_CLAMP_TO_EDGE},
                                           {0, GL_MIRRORED_REPEAT}, {1, GL_REPEAT},
                                           {4, GL_REPEAT},          {-1, GL_REPEAT}};
    for (const auto& [mode, expected] : modes) {
        other.bind();
        t.setWrapMode(mode);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name)) << mode;
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_S), expected) << mode;
        EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_T), expected) << mode;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureOnGl, ReleasingTwiceIsHarmlessAndAMoveHandsThePixelsOver)
{
    const std::string path = dir_.write("a.bmp", makeBmp24(4, 4));
    Texture t;
    t.freePixels();
    t.load(path.c_str());
    t.load(path.c_str());
    t.upload();
    const GLuint name = t.name;
    EXPECT_TRUE(glIsTexture(name));
    t.deleteTexture();
    EXPECT_EQ(t.name, 0u);
    EXPECT_FALSE(glIsTexture(name));
    t.deleteTexture();
    t.freePixels();
    EXPECT_EQ(t.pixels, nullptr);
    t.freePixels();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    Texture moved;
    moved.load(path.c_str());
    Texture other(std::move(moved));
    EXPECT_EQ(moved.pixels, nullptr);
    EXPECT_NE(other.pixels, nullptr);
}
