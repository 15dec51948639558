#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/stat.h>

#include "TestHelpers.h"
#include "io/BillboardImage.h"
#include "io/ImageFiles.h"
#include "render/TgaImage.h"
#include "render/XpmImage.h"

using grovewright::PixelImage;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;

namespace {

// An RGBA image whose pixel (column, row) has red = column and green = row.
PixelImage Ramp(int width, int height) {
    PixelImage image(width, height, 4);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            std::uint8_t* p = image.At(row, column);
            p[0] = static_cast<std::uint8_t>(column), p[1] = static_cast<std::uint8_t>(row), p[2] = 7, p[3] = 255;
        }
    return image;
}

}  // namespace

TEST(BillboardImage, NamesGetTheirExtensionUnlessTheyContainItWithCase) {
    EXPECT_EQ(grovewright::BillboardTgaName("tree"), "tree.tga");
    EXPECT_EQ(grovewright::BillboardTgaName("tree.TGA"), "tree.TGA.tga");
    EXPECT_EQ(grovewright::BillboardTgaName("a.tga.b"), "a.tga.b");
    EXPECT_EQ(grovewright::BillboardBmpName("name.tga"), "name.tga.bmp");
    EXPECT_EQ(grovewright::BillboardBmpName("name.bmp"), "name.bmp");
}

TEST(BillboardImage, ATypedPngNameIsAPngWhateverTheEntry) {
    using grovewright::BillboardFormat;
    using grovewright::BillboardFormatFor;
    for (BillboardFormat entry : {BillboardFormat::kTga, BillboardFormat::kBmp, BillboardFormat::kPng}) {
        EXPECT_EQ(BillboardFormatFor("/out/tree.PNG", entry), BillboardFormat::kPng);
        EXPECT_EQ(BillboardFormatFor("/out.png/tree", entry), entry);  // a folder's dot is no extension
    }
    // The BMP entry keeps its format for a TGA's name, as it always did; the PNG entry follows the name.
    EXPECT_EQ(grovewright::BillboardName("name.tga", BillboardFormatFor("name.tga", BillboardFormat::kBmp)),
              "name.tga.bmp");
    EXPECT_EQ(BillboardFormatFor("name.Bmp", BillboardFormat::kPng), BillboardFormat::kBmp);
}

TEST(BillboardImage, NearestSamplingTruncatesTheScaledPosition) {
    const PixelImage source = Ramp(600, 550);
    // 600 / 128 = 4.6875 and 550 / 128 = 4.296875: columns 0, 4, 9, ..., rows 0, 4, 8, ...
    const PixelImage down = grovewright::SampleNearest(source, 128, 128);
    ASSERT_EQ(down.width, 128);
    ASSERT_EQ(down.height, 128);
    for (int i : {0, 1, 2, 3, 64, 127})
        for (int j : {0, 1, 2, 3, 100, 127}) {
            EXPECT_EQ(down.At(i, j)[0], static_cast<std::uint8_t>(static_cast<int>(4.6875f * j))) << j;
            EXPECT_EQ(down.At(i, j)[1], static_cast<std::uint8_t>(static_cast<int>(4.296875f * i))) << i;
        }
    // Larger than the source: each source pixel repeats.
    const PixelImage up = grovewright::SampleNearest(Ramp(3, 2), 7, 5);
    EXPECT_EQ(up.At(4, 6)[0], 2);
    EXPECT_EQ(up.At(4, 6)[1], 1);
    EXPECT_EQ(up.At(2, 2)[0], 0);
    EXPECT_EQ(up.At(2, 3)[0], 1);
}

TEST(BillboardImage, TgaHeaderPixelOrderAndBackgroundAlpha) {
    PixelImage image(300, 2, 4);
    const std::uint8_t colours[4][3] = {{0, 0, 0}, {255, 255, 255}, {1, 0, 0}, {10, 20, 30}};
    for (int k = 0; k < 4; ++k) std::copy(colours[k], colours[k] + 3, image.At(k / 2, k % 2));
    for (bool black : {true, false}) {
        const std::string tga = grovewright::EncodeBillboardTga(image, black);
        ASSERT_EQ(tga.size(), 18u + 300 * 2 * 4);
        EXPECT_EQ(tga.substr(0, 12), std::string("\0\0\2\0\0\0\0\0\0\0\0\0", 12));
        EXPECT_EQ(tga.substr(12, 6), std::string("\x2c\x01\x02\x00\x20\x00", 6));  // 300, 2, 32 bits, lower left
        auto pixel = [&](int row, int column) { return tga.substr(18 + (row * 300 + column) * 4, 4); };
        EXPECT_EQ(pixel(0, 0), std::string("\0\0\0", 3) + (black ? '\0' : '\xff'));
        EXPECT_EQ(pixel(0, 1), std::string("\xff\xff\xff") + (black ? '\xff' : '\0'));
        EXPECT_EQ(pixel(1, 0), std::string("\0\0\1\xff", 4));  // almost black stays opaque
        EXPECT_EQ(pixel(1, 1), std::string("\x1e\x14\x0a\xff"));
    }
}

TEST(BillboardImage, WrittenTgaReadsBackAndFailuresKeepThePreviousFile) {
    TempFolder folder;
    const std::string path = folder.File("tree.tga");
    const PixelImage image = Ramp(20, 10);
    std::string error;
    ASSERT_TRUE(grovewright::WriteFileBytes(path, grovewright::EncodeBillboardTga(image, true), error)) << error;
    PixelImage read;
    ASSERT_TRUE(grovewright::ReadTga(path, read, error)) << error;
    EXPECT_EQ(read.pixels, image.pixels);

    const std::string before = ReadFileBytes(path);
    ASSERT_EQ(mkdir(folder.File("tree.tga.d").c_str(), 0755), 0);
    EXPECT_FALSE(grovewright::WriteFileBytes(folder.File("tree.tga.d"), "x", error));
    EXPECT_NE(error.find("tree.tga.d"), std::string::npos) << error;
    EXPECT_FALSE(grovewright::WriteFileBytes(folder.File("missing/tree.tga"), "x", error));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 2u);
}

TEST(XpmImage, DecodesColoursAndRefusesMalformedArrays) {
    const char* const two[] = {"2 2 3 2", "aa c #FF0000", "bb c #00ff0080ff00", "   c None", "aabb", "bb  "};
    const PixelImage image = grovewright::DecodeXpm(two);
    ASSERT_EQ(image.width, 2);
    // Rows from the bottom up: the first text row is the top one.
    EXPECT_EQ(std::vector<std::uint8_t>(image.At(1, 0), image.At(1, 0) + 3), (std::vector<std::uint8_t>{255, 0, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.At(1, 1), image.At(1, 1) + 3), (std::vector<std::uint8_t>{0, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.At(0, 1), image.At(0, 1) + 3), (std::vector<std::uint8_t>{0, 0, 0}));

    const char* const unknownKey[] = {"1 1 1 1", "a c white", "b"};
    const char* const shortRow[] = {"2 1 1 1", "a c white", "a"};
    const char* const badColour[] = {"1 1 1 1", "a c #12345", "a"};
    const char* const badHeader[] = {"1 1 1 3", "abc c white", "abc"};
    for (const char* const* xpm : {unknownKey, shortRow, badColour, badHeader})
        EXPECT_EQ(grovewright::DecodeXpm(xpm).width, 0) << xpm[0] << " / " << xpm[1];
}

// The render's PNG: the picture as drawn, top row first, with or without its
// alpha, however its rows fall to the processors (a row alone too).
TEST(FastPng, HoldsThePicturesPixelsTopRowFirst) {
    for (auto [image, dropAlpha] : {std::pair{Ramp(300, 200), false}, {Ramp(300, 200), true}, {Ramp(5, 1), false}}) {
        image.At(0, 0)[3] = 10;  // bottom left
        const std::string png = grovewright::EncodePngFast(image, dropAlpha);
        int width = 0, height = 0, channels = 0;
        stbi_uc* decoded = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()),
                                                 static_cast<int>(png.size()), &width, &height, &channels, 0);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(width, image.width);
        EXPECT_EQ(height, image.height);
        EXPECT_EQ(channels, dropAlpha ? 3 : 4);
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                for (int c = 0; c < channels; ++c)
                    ASSERT_EQ(decoded[(row * width + column) * channels + c], image.At(height - 1 - row, column)[c])
                        << row << ", " << column << ", " << c;
        stbi_image_free(decoded);
    }
}

TEST(BillboardImage, PngHoldsTheTgasPixelsAndAlphaTopRowFirst) {
    for (const int channels : {3, 4}) {
        PixelImage image(7, 5, channels);
        for (std::size_t at = 0; at < image.pixels.size(); ++at) image.pixels[at] = static_cast<std::uint8_t>(at * 37);
        std::fill(image.At(0, 0), image.At(0, 0) + 3, 0);    // the black background, bottom left
        std::fill(image.At(4, 6), image.At(4, 6) + 3, 255);  // the white one, top right
        for (bool black : {true, false}) {
            const std::string tga = grovewright::EncodeBillboardTga(image, black);
            const std::string png = grovewright::EncodeBillboardPng(image, black);
            int width = 0, height = 0, decodedChannels = 0;
            stbi_uc* decoded = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()),
                                                     static_cast<int>(png.size()), &width, &height, &decodedChannels, 0);
            ASSERT_NE(decoded, nullptr);
            ASSERT_EQ(width, 7);
            ASSERT_EQ(height, 5);
            ASSERT_EQ(decodedChannels, 4);
            for (int row = 0; row < 5; ++row)
                for (int column = 0; column < 7; ++column) {
                    // TGA: blue, green, red, alpha, bottom row first.
                    const char* bgra = &tga[18 + ((4 - row) * 7 + column) * 4];
                    const stbi_uc* rgba = &decoded[(row * 7 + column) * 4];
                    for (int c = 0; c < 4; ++c)
                        ASSERT_EQ(rgba[c], static_cast<stbi_uc>(bgra[c < 3 ? 2 - c : 3])) << row << ", " << column;
                }
            EXPECT_EQ(decoded[(4 * 7) * 4 + 3], black ? 0 : 255);     // bottom left, last row of the PNG
            EXPECT_EQ(decoded[6 * 4 + 3], black ? 255 : 0);           // top right, first row
            stbi_image_free(decoded);
        }
    }
}
