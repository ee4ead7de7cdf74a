#include "render/image_decoders.h"

#include "tests/render/image_test_files.h"
#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Decoder = uint8_t* (*)(const char*, uint16_t*, uint16_t*, std::string*);

struct Decoded {
    std::unique_ptr<uint8_t[]> pixels;
    uint16_t width = 7;
    uint16_t height = 7;
    std::string reason;
    std::vector<uint8_t> bytes(size_t count) const { return {pixels.get(), pixels.get() + count}; }
};

Decoded decode(Decoder decoder, const std::string& path)
{
    Decoded out;
    out.pixels.reset(decoder(path.c_str(), &out.width, &out.height, &out.reason));
    return out;
}

// The widening the format describes, row by row without the padding: each 3-byte pixel
// followed by a copy of its third byte.
std::vector<uint8_t> widenPixelByPixel(const std::string& file, int width, int height)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> out;
    for (int y = 0; y < height; ++y)
        for (size_t i = 54 + y * stride; i < 54 + y * stride + width * 3; i += 3)
            out.insert(out.end(), {uint8_t(file[i]), uint8_t(file[i + 1]), uint8_t(file[i + 2]),
                                   uint8_t(file[i + 2])});
    return out;
}

std::vector<uint8_t> asBytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

} // namespace

TEST(Bmp24Reader, KeepsTheStoredPaddedRowsBottomRowFirst)
{
    TempDir dir;
    for (int width : {1, 2, 3, 4, 5, 7}) {
        const std::string file = makeBmp24(width, 3);
        const Decoded d = decode(loadBmp24, dir.write("a.bmp", file));
        ASSERT_TRUE(d.pixels) << d.reason;
        EXPECT_EQ(d.width, width);
        EXPECT_EQ(d.height, 3);
        EXPECT_EQ(d.bytes(file.size() - 54), asBytes(file.substr(54))) << "width " << width;
    }

    // An image-size field of 0 means width x height x 3.
    std::string zeroSize = makeBmp24(4, 2);
    putLe32(zeroSize, 34, 0);
    const Decoded d = decode(loadBmp24, dir.write("z.bmp", zeroSize));
    ASSERT_TRUE(d.pixels) << d.reason;
    EXPECT_EQ(d.bytes(4 * 2 * 3), asBytes(zeroSize.substr(54)));
}

TEST(BmpReaders, AStatedPixelOffsetAndTopDownRowsReadLikeThePlainFile)
{
    TempDir dir;
    const std::string plain = makeBmp24(5, 3); // rows of 16 stored bytes
    // A 108-byte information header and a gap before the pixels.
    std::string shifted = plain.substr(0, 54) + std::string(68 + 10, '\x55') + plain.substr(54);
    putLe32(shifted, 10, 54 + 68 + 10);
    putLe32(shifted, 14, 108);
    // The same picture stored top row first, announced by a negative height.
    std::string topDown = plain.substr(0, 54);
    putLe32(topDown, 22, static_cast<uint32_t>(-3));
    for (int row = 2; row >= 0; --row)
        topDown += plain.substr(54 + row * 16, 16);
    for (Decoder decoder : {loadBmp24, loadBmp24WithAlpha}) {
        const size_t size = decoder == loadBmp24 ? 16 * 3 : 5 * 3 * 4;
        const Decoded a = decode(decoder, dir.write("a.bmp", plain));
        ASSERT_TRUE(a.pixels) << a.reason;
        for (const std::string& variant : {shifted, topDown}) {
            const Decoded b = decode(decoder, dir.write("b.bmp", variant));
            ASSERT_TRUE(b.pixels) << b.reason;
            EXPECT_EQ(b.width, 5);
            EXPECT_EQ(b.height, 3);
            EXPECT_EQ(a.bytes(size), b.bytes(size));
        }
    }
}

TEST(WideningBmpReader, AddsAnAlphaEqualToRedToEveryPixelAndSkipsTheRowPadding)
{
    TempDir dir;
    // Widths that are multiples of 4 have no padding; tall images cross the reader's chunk
    // boundaries. (The texture tests check the result against the picture's own colours.)
    for (const auto& [width, height] :
         {std::pair{1, 3}, {3, 3}, {4, 5}, {5, 3}, {6, 3}, {8, 5}, {64, 5}, {300, 700}}) {
        const std::string file = makeBmp24(width, height);
        const Decoded w = decode(loadBmp24WithAlpha, dir.write("a.fnt", file));
        ASSERT_TRUE(w.pixels) << w.reason;
        EXPECT_EQ(w.bytes(width * height * 4), widenPixelByPixel(file, width, height))
            << "width " << width;
    }
}

TEST(BmpReaders, RefuseDamagedFilesWithAReasonAndLeaveTheSizeAlone)
{
    TempDir dir;
    const std::string good = makeBmp24(5, 3);
    const auto with32 = [&](size_t offset, uint32_t value) {
        std::string bytes = good;
        putLe32(bytes, offset, value);
        return bytes;
    };
    const auto with16 = [&](size_t offset, uint16_t value) {
        std::string bytes = good;
        putLe16(bytes, offset, value);
        return bytes;
    };
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", "", "shorter than the BMP headers"},
        {"headers cut short", good.substr(0, 40), "shorter than the BMP headers"},
        {"no signature", "XY" + good.substr(2), "\"BM\""},
        {"small information header", with32(14, 12), "information header of 12 bytes"},
        {"huge information header", with32(14, 0xFFFFFFF0u), "points into the headers"},
        {"32 bits per pixel", with16(28, 32), "32 bits per pixel"},
        {"8 bits per pixel", with16(28, 8), "8 bits per pixel"},
        {"run-length compressed", with32(30, 1), "compressed"},
        {"zero width", with32(18, 0), "outside 1 to 65535"},
        {"negative width", with32(18, static_cast<uint32_t>(-5)), "outside 1 to 65535"},
        {"zero height", with32(22, 0), "outside 1 to 65535"},
        {"width above 65535", with32(18, 65536), "outside 1 to 65535"},
        {"most negative height", with32(22, 0x80000000u), "outside 1 to 65535"},
        {"pixel offset inside the headers", with32(10, 20), "points into the headers"},
        {"pixel offset past the end", with32(10, 100000), "runs past the end"},
        {"pixel offset near 4 GiB", with32(10, 0xFFFFFFFFu), "runs past the end"},
        {"last row cut short", good.substr(0, good.size() - 1), "runs past the end"},
        {"large image in a small file", with32(22, 65535), "runs past the end"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("bad.bmp", c.bytes);
        for (Decoder decoder : {loadBmp24, loadBmp24WithAlpha}) {
            const Decoded d = decode(decoder, path);
            EXPECT_FALSE(d.pixels) << c.what;
            EXPECT_NE(d.reason.find(c.reason), std::string::npos) << c.what << ": " << d.reason;
            EXPECT_EQ(d.width, 7) << c.what;
            EXPECT_EQ(d.height, 7) << c.what;
        }
    }
    for (Decoder decoder : {loadBmp24, loadBmp24WithAlpha, loadPng}) {
        const Decoded missing = decode(decoder, (dir.path() / "missing.bmp").string());
        EXPECT_FALSE(missing.pixels);
        EXPECT_EQ(missing.reason, "cannot open the file");
        uint16_t w = 0, h = 0;
        EXPECT_EQ(decoder(nullptr, &w, &h, nullptr), nullptr);
    }
}

TEST(PngReader, ConvertsEveryColourTypeToEightBitRgbaWithTheTopRowLast)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::string file;
        int width;
        std::vector<uint8_t> expected; // bottom row first
    };
    std::vector<Case> cases;
    const auto add = [&](const char* what, const PngRecipe& recipe, std::vector<uint8_t> expected) {
        cases.push_back({what, makePng(recipe), recipe.width, std::move(expected)});
    };
    cases.push_back({"rgba, top row last", makeRgbaPng(3, 4), 3, patternRgba(3, 4, rgbaPngAlpha)});
    add("grey", {2, 2, kPngGrey, 8, false, {{10, 20}, {30, 40}}, {}, {}},
        {30, 30, 30, 255, 40, 40, 40, 255, 10, 10, 10, 255, 20, 20, 20, 255});
    add("grey with alpha", {1, 1, kPngGreyAlpha, 8, false, {{90, 7}}, {}, {}}, {90, 90, 90, 7});
    add("one-bit grey", {3, 1, kPngGrey, 1, false, {{0xA0}}, {}, {}},
        {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255});
    add("rgb", {1, 1, kPngRgb, 8, false, {{1, 2, 3}}, {}, {}}, {1, 2, 3, 255});
    add("16-bit rgba",
        {1, 1, kPngRgba, 16, false, {{0xFF, 0xFF, 0, 0, 0x80, 0x80, 0x12, 0x12}}, {}, {}},
        {255, 0, 128, 18});
    add("palette with transparency",
        {2, 1, kPngPalette, 8, false, {{1, 0}}, {{9, 8, 7}, {200, 100, 50}}, {33}},
        {200, 100, 50, 255, 9, 8, 7, 33});
    PngRecipe interlaced{9, 9, kPngRgba, 8, true, {}, {}, {}};
    std::vector<uint8_t> expected(9 * 9 * 4);
    for (int top = 0; top < 9; ++top) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 9; ++x) {
            const uint8_t px[4] = {uint8_t(x), uint8_t(top), uint8_t(x * top), uint8_t(100 + x)};
            row.insert(row.end(), px, px + 4);
            std::copy(px, px + 4, expected.begin() + ((8 - top) * 9 + x) * 4);
        }
        interlaced.rows.push_back(row);
    }
    add("interlaced", interlaced, expected);

    for (const Case& c : cases) {
        ASSERT_FALSE(c.file.empty()) << c.what;
        const Decoded d = decode(loadPng, dir.write("c.png", c.file));
        ASSERT_TRUE(d.pixels) << c.what << ": " << d.reason;
        EXPECT_EQ(d.width, c.width) << c.what;
        EXPECT_EQ(size_t{d.width} * d.height * 4, c.expected.size()) << c.what;
        EXPECT_EQ(d.bytes(c.expected.size()), c.expected) << c.what;
    }
}

TEST(PngReader, RefusesDamagedFilesWithoutEndingTheProcess)
{
    TempDir dir;
    const std::string good = makeRgbaPng(16, 16);
    RecordedLines said;

    // Not a PNG at all: no buffer, no output written.
    Decoded d = decode(loadPng, dir.write("bmp.png", makeBmp24(2, 2)));
    EXPECT_FALSE(d.pixels);
    EXPECT_EQ(d.reason, "not a PNG file (bad signature)");
    EXPECT_EQ(d.width, 7);

    // Every truncation of a good file that cuts into the image fails; the closing 12-byte
    // end chunk is never read, so losing it costs nothing.
    const Decoded whole = decode(loadPng, dir.write("good.png", good));
    ASSERT_TRUE(whole.pixels);
    for (size_t length = 0; length < good.size(); ++length) {
        d = decode(loadPng, dir.write("cut.png", good.substr(0, length)));
        if (length < good.size() - 12) {
            EXPECT_FALSE(d.pixels) << "cut at " << length;
            EXPECT_FALSE(d.reason.empty());
            EXPECT_EQ(d.width, 7);
        } else {
            ASSERT_TRUE(d.pixels) << "cut at " << length;
            EXPECT_EQ(d.bytes(16 * 16 * 4), whole.bytes(16 * 16 * 4));
        }
    }

    // Sizes past the limits; the header's CRC is made to match so only the size is wrong.
    const auto withSize = [&](uint32_t width, uint32_t height) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            bytes[16 + i] = static_cast<char>(width >> (24 - 8 * i));
            bytes[20 + i] = static_cast<char>(height >> (24 - 8 * i));
        }
        const uint32_t crc = pngCrc(bytes.data() + 12, 17);
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
        return bytes;
    };
    std::string badCrc = good;
    badCrc[29] ^= 1;
    // A damaged header byte; sizes past the limits; a size within them that the image data
    // does not fill.
    const std::pair<std::string, const char*> damaged[] = {
        {badCrc, "CRC"},
        {withSize(65536, 16), "IHDR"},
        {withSize(60000, 60000), "needs more than 256 MiB"},
        {withSize(16, 300), "image data"},
    };
    for (const auto& [bytes, reason] : damaged) {
        d = decode(loadPng, dir.write("bad.png", bytes));
        EXPECT_FALSE(d.pixels) << reason;
        EXPECT_NE(d.reason.find(reason), std::string::npos) << d.reason;
        EXPECT_EQ(d.width, 7) << reason;
    }

    EXPECT_EQ(said.err(), "");
}
