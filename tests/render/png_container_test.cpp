// The PNG container walk every platform's reader runs before its decoder.
#include "render/png_container.h"

#include "tests/render/image_test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kSignature = "\x89PNG\r\n\x1a\n";

std::string checked(const std::string& file, PngHeader* header = nullptr)
{
    PngHeader unused;
    return checkPngContainer(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                             header ? *header : unused);
}

// The 13 bytes of a header chunk's data.
std::string headerData(uint32_t width, uint32_t height, int depth = 8, int colorType = 6,
                       int interlace = 0)
{
    std::string data;
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            data.push_back(static_cast<char>(value >> shift));
    data += {static_cast<char>(depth), static_cast<char>(colorType), 0, 0,
             static_cast<char>(interlace)};
    return data;
}

// A file of the signature, a header chunk of headerData(width, height), then `rest`.
std::string withHeader(uint32_t width, uint32_t height, const std::string& rest)
{
    return kSignature + pngChunk("IHDR", headerData(width, height)) + rest;
}

} // namespace

TEST(PngContainer, ChunkCrcIsTheCrc32OfPngChunks)
{
    EXPECT_EQ(pngChunkCrc(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xcbf43926u);
    EXPECT_EQ(pngChunkCrc(reinterpret_cast<const uint8_t*>("IEND"), 4), 0xae426082u);
    EXPECT_EQ(pngChunkCrc(nullptr, 0), 0u);
}

TEST(PngContainer, ASoundFileGivesItsHeaderAndWhatFollowsTheImageDataIsNotRead)
{
    PngRecipe grey;
    grey.width = 9;
    grey.height = 2;
    grey.colorType = kPngGrey;
    grey.bitDepth = 1;
    grey.rows.assign(2, std::vector<uint8_t>(2, 0x5a));
    PngHeader header;
    EXPECT_EQ(checked(makePng(grey), &header), "");
    EXPECT_EQ(header.width, 9u);
    EXPECT_EQ(header.height, 2u);

    // Every cut before the end of the image data fails; the closing chunk is never needed,
    // nor is a damaged chunk after the image data.
    const std::string good = makeRgbaPng(5, 3);
    const size_t dataEnd = good.size() - 12;
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_EQ(checked(good.substr(0, length)).empty(), length >= dataEnd) << length;
    std::string damagedText = pngChunk("tEXt", std::string("Comment\0x", 9));
    damagedText[9] ^= 1;
    EXPECT_EQ(checked(good.substr(0, dataEnd) + damagedText + pngChunk("IEND", "")), "");
}

TEST(PngContainer, EachFaultOfTheContainerHasItsReason)
{
    const std::string data = pngChunk("IDAT", "x");
    const std::string end = pngChunk("IEND", "");
    std::string badHeaderCrc = withHeader(4, 4, data + end);
    badHeaderCrc[29] ^= 1;
    std::string badDataCrc = withHeader(4, 4, data + end);
    badDataCrc[41] ^= 1;
    std::string longData = withHeader(4, 4, data);
    longData[35] = 1; // a length of 257 bytes, past the end
    std::string hugeLength = withHeader(4, 4, data);
    hugeLength[33] = static_cast<char>(0x80);
    // A cut chunk whose type holds a line break: the reason stays on one line.
    const std::string oddType = withHeader(4, 4,
                                           std::string("\0\0\0\x10"
                                                       "ID\nT"
                                                       "abcd",
                                                       12));
    const std::string shortHeader = kSignature + pngChunk("IHDR", headerData(4, 4).substr(0, 12));

    const std::pair<std::string, const char*> cases[] = {
        {"", "not a PNG file (bad signature)"},
        {"BM" + std::string(60, '\0'), "not a PNG file (bad signature)"},
        {kSignature.substr(0, 7), "not a PNG file (bad signature)"},
        {kSignature, "IHDR: the header chunk is missing or cut short"},
        {kSignature + data + end, "IHDR: the header chunk is missing or cut short"},
        {shortHeader + data + end, "IHDR: the header chunk is missing or cut short"},
        {badHeaderCrc, "the IHDR chunk is damaged (CRC mismatch)"},
        {withHeader(0, 4, data), "IHDR: image of 0 x 4 pixels has a side outside 1 to 65535"},
        {withHeader(65536, 16, data),
         "IHDR: image of 65536 x 16 pixels has a side outside 1 to 65535"},
        {withHeader(60000, 60000, data), "image of 60000 x 60000 pixels needs more than 256 MiB"},
        {kSignature + pngChunk("IHDR", headerData(4, 4, 3, 2)) + data,
         "IHDR: bit depth 3 with colour type 2 is not a PNG form"},
        {kSignature + pngChunk("IHDR", headerData(4, 4, 8, 5)) + data,
         "IHDR: bit depth 8 with colour type 5 is not a PNG form"},
        {kSignature + pngChunk("IHDR", headerData(4, 4, 8, 6, 2)) + data,
         "IHDR: unknown compression (0), filter (0) or interlace (2) method"},
        {withHeader(4, 4, ""), "the file ends before its image data (IDAT)"},
        {withHeader(4, 4, end), "the file has no image data (IDAT)"},
        {withHeader(4, 4, pngChunk("IHDR", headerData(4, 4)) + data),
         "the file has a second image header (IHDR)"},
        {badDataCrc, "the IDAT chunk is damaged (CRC mismatch)"},
        {longData, "the file ends inside its IDAT chunk"},
        {hugeLength, "the file ends inside its IDAT chunk"},
        {oddType, "the file ends inside its ID?T chunk"},
    };
    for (const auto& [file, reason] : cases)
        EXPECT_EQ(checked(file), reason) << file.size() << " bytes";
}
