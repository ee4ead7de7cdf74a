#include "render/texture.h"

#include "app/gl_functions.h"
#include "tests/render/image_test_files.h"
#include "tests/support/capture.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<uint8_t> placeholderPixel(const Texture& t, int x, int y)
{
    const uint8_t* p = t.pixels + (y * t.width + x) * 4;
    return {p, p + 4};
}

GLint textureParameter(GLenum parameter)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

GLint boundTexture()
{
    GLint value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    return value;
}

// The texture's level 0 as tightly packed RGBA bytes, bottom row first.
std::vector<uint8_t> readBack(const Texture& t)
{
    std::vector<uint8_t> out(static_cast<size_t>(t.width) * t.height * 4);
    t.bind();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return out;
}

} // namespace

TEST(Texture, PicksTheDecoderByTheLastFourCharactersOfThePath)
{
    TempDir dir;
    const std::string bmp = makeBmp24(4, 2);
    struct Case {
        std::string name;
        std::string bytes;
        GLint internalFormat;
        GLenum pixelFormat;
    };
    const Case cases[] = {
        {"a.bmp", bmp, GL_RGB, GL_BGR},
        {"a.png", makeRgbaPng(4, 2), GL_RGBA, GL_RGBA},
        {"a.BMP", bmp, GL_RGBA, GL_BGRA},
        {"a.PNG", bmp, GL_RGBA, GL_BGRA},
        {"a.fnt", bmp, GL_RGBA, GL_BGRA},
        {"font.bmp.fnt", bmp, GL_RGBA, GL_BGRA},
    };
    for (const Case& c : cases) {
        CapturedStream err(CapturedStream::Err);
        Texture t;
        t.load(dir.write(c.name, c.bytes).c_str());
        EXPECT_EQ(err.text(), "") << c.name;
        ASSERT_NE(t.pixels, nullptr) << c.name;
        EXPECT_EQ(t.width, 4);
        EXPECT_EQ(t.height, 2);
        EXPECT_EQ(t.internalFormat, c.internalFormat) << c.name;
        EXPECT_EQ(t.pixelFormat, c.pixelFormat) << c.name;
    }
}

TEST(Texture, AFileThatCannotBeDecodedIsReportedOnceAndReplacedByAVisiblePlaceholder)
{
    TempDir dir;
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {(dir.path() / "missing.bmp").string(), "cannot open the file"},
        {dir.write("text.png", "not a picture"), "not a PNG file"},
        {dir.write("cut.bmp", makeBmp24(8, 8).substr(0, 100)), "runs past the end"},
        {dir.write("font.fnt", "BM"), "shorter than the BMP headers"},
        {"", "cannot open the file"},
    };
    for (const Case& c : cases) {
        CapturedStream err(CapturedStream::Err);
        Texture t;
        t.load(c.path.c_str());
        const std::string text = err.text();
        const std::string prefix = "Could not load texture \"" + c.path + "\": ";
        const std::string suffix = "; using a placeholder\n";
        EXPECT_EQ(text.substr(0, prefix.size()), prefix);
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_TRUE(text.ends_with(suffix)) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        ASSERT_NE(t.pixels, nullptr);
        EXPECT_EQ(t.width, 8);
        EXPECT_EQ(t.height, 8);
        EXPECT_EQ(t.internalFormat, GL_RGBA);
        EXPECT_EQ(t.pixelFormat, GL_RGBA);
        EXPECT_EQ(placeholderPixel(t, 0, 0), (std::vector<uint8_t>{255, 0, 255, 255}));
        EXPECT_EQ(placeholderPixel(t, 2, 0), (std::vector<uint8_t>{0, 0, 0, 255}));
        EXPECT_EQ(placeholderPixel(t, 3, 3), (std::vector<uint8_t>{255, 0, 255, 255}));
    }
}

TEST(Texture, LoadingAgainAndFreeingTwiceAreSafe)
{
    TempDir dir;
    const std::string path = dir.write("a.bmp", makeBmp24(4, 4));
    Texture t;
    t.freePixels();
    t.load(path.c_str());
    t.load(path.c_str());
    t.freePixels();
    EXPECT_EQ(t.pixels, nullptr);
    t.freePixels();

    Texture moved;
    moved.load(path.c_str());
    Texture other(std::move(moved));
    EXPECT_EQ(moved.pixels, nullptr);
    EXPECT_NE(other.pixels, nullptr);
}

class TextureOnGl : public ::testing::Test {
protected:
    GlTestContext context;
    TempDir dir;
};

TEST_F(TextureOnGl, UploadHandsEveryDecodersPixelsToGlWithTheDefaultParameters)
{
    ZORBEL_REQUIRE_GL(context.ok());
    struct Case {
        std::string name;
        std::string bytes;
        GLint internalFormat;
    };
    const int w = 5, h = 3; // an odd width: the 24-bit rows carry padding
    const Case cases[] = {
        {"a.bmp", makeBmp24(w, h), GL_RGB},
        {"a.fnt", makeBmp24(w, h), GL_RGBA},
        {"a.png", makeRgbaPng(w, h), GL_RGBA},
    };
    for (const Case& c : cases) {
        Texture t;
        t.load(dir.write(c.name, c.bytes).c_str());
        t.upload();
        t.freePixels();
        ASSERT_NE(t.name, 0u);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name));
        EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);
        GLint width = 0, height = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
        EXPECT_EQ(format, c.internalFormat) << c.name;

        const std::vector<uint8_t> pixels = readBack(t);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Bgr bgr = patternPixel(x, y);
                const uint8_t alpha = c.name == "a.bmp" ? 255 : c.name == "a.fnt" ? bgr[2] : uint8_t(x * 16 + y);
                const uint8_t* p = pixels.data() + (y * w + x) * 4;
                EXPECT_EQ(std::vector<uint8_t>(p, p + 4), (std::vector<uint8_t>{bgr[2], bgr[1], bgr[0], alpha}))
                    << c.name << " " << x << "," << y;
            }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureOnGl, ThePlaceholderUploadsLikeAnyTexture)
{
    ZORBEL_REQUIRE_GL(context.ok());
    CapturedStream err(CapturedStream::Err);
    Texture t;
    t.load((dir.path() / "missing.png").string().c_str());
    t.upload();
    const std::vector<uint8_t> pixels = readBack(t);
    ASSERT_EQ(pixels.size(), 8u * 8 * 4);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4), (std::vector<uint8_t>{255, 0, 255, 255}));
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin() + 8, pixels.begin() + 12), (std::vector<uint8_t>{0, 0, 0, 255}));
}

TEST_F(TextureOnGl, FilteringAndWrapModesBindTheTextureAndSetBothAxes)
{
    ZORBEL_REQUIRE_GL(context.ok());
    Texture t;
    t.load(dir.write("a.bmp", makeBmp24(4, 4)).c_str());
    t.upload();
    Texture other;
    other.load(dir.write("b.bmp", makeBmp24(4, 4)).c_str());
    other.upload();

    t.setSmoothFiltering(false);
    EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name));
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    t.setSmoothFiltering(true);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);

    const GLint expected[] = {GL_MIRRORED_REPEAT, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER};
    for (int mode = 3; mode >= 0; --mode) {
        other.bind();
        t.setWrapMode(mode);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name));
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), expected[mode]) << mode;
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), expected[mode]) << mode;
    }
    t.setWrapMode(static_cast<int>(TextureWrapMode::Repeat));
    for (int outside : {4, -1}) {
        other.bind();
        t.setWrapMode(outside);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(t.name));
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureOnGl, DeletingReleasesTheNameOnceAndASecondDeleteIsHarmless)
{
    ZORBEL_REQUIRE_GL(context.ok());
    Texture t;
    t.load(dir.write("a.bmp", makeBmp24(4, 4)).c_str());
    t.upload();
    const GLuint name = t.name;
    EXPECT_TRUE(glIsTexture(name));
    t.deleteTexture();
    EXPECT_EQ(t.name, 0u);
    EXPECT_FALSE(glIsTexture(name));
    t.deleteTexture();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
