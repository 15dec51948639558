#include <gtest/gtest.h>
#include <sys/stat.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestHelpers.h"
#include "geometry/Vector3D.h"
#include "io/ImageFiles.h"
#include "render/ProceduralTextures.h"
#include "render/TextureImage.h"
#include "render/TgaImage.h"

using namespace grovewright;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

namespace PT = ProceduralTextures;

bool SameImage(const PixelImage& a, const PixelImage& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels && a.pixels == b.pixels;
}

// An 18-byte TGA header followed by the given payload.
std::string Tga(int type, int width, int height, int bits, int descriptor, const std::string& payload,
                int idLength = 0, int colourMap = 0) {
    std::string bytes(18, '\0');
    bytes[0] = static_cast<char>(idLength);
    bytes[1] = static_cast<char>(colourMap);
    bytes[2] = static_cast<char>(type);
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(bits);
    bytes[17] = static_cast<char>(descriptor);
    return bytes + std::string(idLength, 'I') + payload;
}

// Runs read in a child process that may not take 256 MiB of memory; true when
// it returned false with an error containing expected, so the refusal came
// before any large allocation. (Under the sanitizers, which reserve far more
// address space, the limit is left out.)
bool RefusedWithinLittleMemory(const std::function<bool(PixelImage&, std::string&)>& read,
                               const std::string& expected) {
    const pid_t child = fork();
    if (child == -1) return false;
    if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &limit);
#endif
        PixelImage image;
        std::string error;
        _exit(!read(image, error) && error.find(expected) != std::string::npos ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The same for a texture file.
bool RefusedWithinLittleMemory(const std::string& path, const std::string& expected) {
    return RefusedWithinLittleMemory(
        [&](PixelImage& image, std::string& error) { return ReadTextureImage(path, image, error); }, expected);
}

}  // namespace

TEST(ProceduralTextures, NoiseStaysInItsRange) {
    std::srand(1);
    for (int i = 0; i < 10000; ++i) {
        const int n = PT::Noise(32);
        ASSERT_TRUE(n >= 0 && n < 32);
        const int m = PT::SmallNoise();
        ASSERT_TRUE(m >= 0 && m <= 25);
    }
}

TEST(ProceduralTextures, SameCallsGiveTheSameNoise) {
    std::srand(1);  // the state of an unseeded program
    const PixelImage first = PT::Stump1();
    const PixelImage firstLeaf = PT::Leaves1();
    std::srand(1);
    EXPECT_TRUE(SameImage(PT::Stump1(), first));
    EXPECT_TRUE(SameImage(PT::Leaves1(), firstLeaf));
    EXPECT_FALSE(SameImage(PT::Stump1(), first));  // the noise moved on
}

TEST(ProceduralTextures, SizesAndFixedColours) {
    EXPECT_EQ(PT::Trunc1().width, 128);
    EXPECT_EQ(PT::Trunc1().height, 32);
    EXPECT_EQ(PT::Trunc2().channels, 3);
    const PixelImage needles = PT::Needles();
    EXPECT_EQ(needles.width, 64);
    EXPECT_EQ(needles.height, 256);
    EXPECT_EQ(needles.channels, 4);
    for (const PixelImage& sky : {PT::BlueSky(), PT::GreySky()}) {
        EXPECT_EQ(sky.width, 128);
        EXPECT_EQ(sky.height, 128);
    }
    const PixelImage blue = PT::BlueSky();
    for (int i = 0; i < 128 * 128; ++i) {
        ASSERT_EQ(blue.pixels[3 * i], 134);
        ASSERT_EQ(blue.pixels[3 * i + 1], 200);
        ASSERT_EQ(blue.pixels[3 * i + 2], 234);
    }
    EXPECT_EQ(PT::GreySky().pixels[777], 179);
}

TEST(ProceduralTextures, BarkAndGroundFollowTheirFormulas) {
    const PixelImage trunc1 = PT::Trunc1();
    for (std::size_t i = 0; i < trunc1.pixels.size(); i += 3) {
        const int t = trunc1.pixels[i] - 97;
        ASSERT_TRUE(t >= 0 && t <= 42);
        ASSERT_EQ(trunc1.pixels[i + 1], 92 + t);
        ASSERT_EQ(trunc1.pixels[i + 2], 85 + t);
    }
    const PixelImage trunc2 = PT::Trunc2();
    for (std::size_t i = 0; i < trunc2.pixels.size(); i += 3) {
        const int level = trunc2.pixels[i];
        ASSERT_TRUE(level == 240 || (level >= 1 && level <= 176)) << level;
        ASSERT_EQ(trunc2.pixels[i + 1], level);
    }
    const PixelImage fall = PT::Fall();
    const PixelImage winter = PT::Winter();
    for (std::size_t i = 0; i < fall.pixels.size(); i += 3) {
        const int m = fall.pixels[i] - 153;  // one noise value for all three channels
        ASSERT_TRUE(m >= 0 && m <= 25);
        ASSERT_EQ(fall.pixels[i + 2], 45 + m);
        ASSERT_EQ(winter.pixels[i + 1] - winter.pixels[i], 4);
    }
    // Spring draws each channel's noise on its own: the channels do not move together.
    const PixelImage spring = PT::Spring();
    int independent = 0;
    for (std::size_t i = 0; i < spring.pixels.size(); i += 3)
        if (spring.pixels[i] - 102 != spring.pixels[i + 1] - 209) ++independent;
    EXPECT_GT(independent, 1000);
}

TEST(ProceduralTextures, StumpHasDarkRingsOnALightFace) {
    const PixelImage stump = PT::Stump1();
    int rings = 0;
    for (std::size_t i = 0; i < stump.pixels.size(); i += 3) {
        const int r = stump.pixels[i];
        ASSERT_TRUE(r >= 161 && r <= 223);
        if (r < 192) ++rings;
        ASSERT_EQ(stump.pixels[i + 1] - stump.pixels[i + 2], 43);
    }
    EXPECT_GT(rings, 200);
    // The first ring has radius 5: the pixel 5 rows below the centre on the same column.
    EXPECT_LE(stump.At(64 + 5, 64)[0], 192);
    EXPECT_GE(stump.At(64, 64)[0], 192);  // the centre is no ring
}

TEST(ProceduralTextures, LeafAlphaCutsOutTheOutline) {
    for (const PixelImage& leaf : {PT::Leaves1(), PT::Leaves2()}) {
        for (int row = 0; row < 128; ++row) {
            const int e = static_cast<int>(SinDeg(row / 128.0 * 180.0) * 64.0);
            for (int column = 0; column < 128; ++column) {
                const bool inside = 64 - e < column && column < 64 + e;
                ASSERT_EQ(leaf.At(row, column)[3], inside ? 255 : 0) << row << " " << column;
            }
        }
    }
    const PixelImage leaf1 = PT::Leaves1();
    EXPECT_EQ(leaf1.At(60, 64)[2], 3);   // midrib: blue fixed at 3
    EXPECT_EQ(leaf1.At(2 + 10, 74)[2], 3);  // first vein, right side
    EXPECT_EQ(leaf1.At(2 + 10, 54)[2], 3);  // and its opposite
    const PixelImage leaf2 = PT::Leaves2();
    EXPECT_EQ(leaf2.At(0, 0)[2], 9);
    EXPECT_GE(leaf2.At(30, 74)[0], 237 - 14);  // right vein from row 20
}

TEST(ProceduralTextures, NeedlesGrowFromAnOpaqueTwig) {
    const PixelImage needles = PT::Needles();
    for (int row = 0; row < 256; ++row) {
        EXPECT_EQ(needles.At(row, 32)[3], 255);
        EXPECT_EQ(needles.At(row, 33)[3], 255);
    }
    EXPECT_EQ(needles.At(10, 32 - 10)[3], 255);   // left needle from row 0
    EXPECT_EQ(needles.At(13, 32 + 10)[3], 255);   // right needle from row 3
    EXPECT_EQ(needles.At(0, 0)[3], 0);
    EXPECT_EQ(needles.At(0, 63)[3], 0);
}

TEST(TgaReader, ReadsTrueColourWithEveryOrigin) {
    TempFolder folder;
    // 2 x 2, 32 bits, BGRA, bottom row first.
    const std::string pixels("\x01\x02\x03\x04" "\x05\x06\x07\x08" "\x09\x0A\x0B\x0C" "\x0D\x0E\x0F\x10", 16);
    WriteFileBytes(folder.File("bottom.tga"), Tga(2, 2, 2, 32, 8, pixels));
    WriteFileBytes(folder.File("top.tga"), Tga(2, 2, 2, 32, 8 | 0x20, pixels, 5));
    PixelImage bottom, top;
    std::string error;
    ASSERT_TRUE(ReadTga(folder.File("bottom.tga"), bottom, error)) << error;
    ASSERT_TRUE(ReadTga(folder.File("top.tga"), top, error)) << error;
    EXPECT_EQ(bottom.channels, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(bottom.At(0, 0), bottom.At(0, 0) + 4),
              (std::vector<std::uint8_t>{3, 2, 1, 4}));
    // A top-origin file is flipped so that its first stored row ends up on top; its
    // image-ID bytes are skipped.
    EXPECT_EQ(std::vector<std::uint8_t>(top.At(1, 0), top.At(1, 0) + 4), (std::vector<std::uint8_t>{3, 2, 1, 4}));
    EXPECT_EQ(std::vector<std::uint8_t>(top.At(0, 1), top.At(0, 1) + 4),
              (std::vector<std::uint8_t>{0x0F, 0x0E, 0x0D, 0x10}));
}

TEST(TgaReader, LeafOf64By128AndTwentyFourBitExpansion) {
    TempFolder folder;
    std::string leaf;
    for (int i = 0; i < 64 * 128; ++i) leaf += std::string("\x10\x20\x30", 3) + static_cast<char>(i % 2 ? 255 : 0);
    WriteFileBytes(folder.File("leaf.tga"), Tga(2, 64, 128, 32, 8, leaf));
    std::string rgb;
    for (int i = 0; i < 3 * 5; ++i) rgb += std::string("\x10\x20\x30", 3);
    WriteFileBytes(folder.File("rgb.tga"), Tga(2, 3, 5, 24, 0, rgb));
    PixelImage image;
    std::string error;
    ASSERT_TRUE(ReadTga(folder.File("leaf.tga"), image, error)) << error;
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 128);
    EXPECT_EQ(image.At(0, 1)[3], 255);
    EXPECT_EQ(image.At(0, 0)[3], 0);
    EXPECT_TRUE(image.HasTransparency());
    ASSERT_TRUE(ReadTga(folder.File("rgb.tga"), image, error)) << error;
    EXPECT_FALSE(image.HasTransparency());  // leaves drawn with it would be squares
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(image.pixels.size(), 3u * 5 * 4);
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(std::vector<std::uint8_t>(image.At(row, column), image.At(row, column) + 4),
                      (std::vector<std::uint8_t>{0x30, 0x20, 0x10, 255}));
}

TEST(TgaReader, RefusesWhatItCannotReadWithAMessage) {
    TempFolder folder;
    const std::string four(4 * 4, '\x7F');
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"rle.tga", Tga(10, 2, 2, 32, 8, four)},
        {"mapped.tga", Tga(2, 2, 2, 32, 8, four, 0, 1)},
        {"truncated.tga", Tga(2, 2, 2, 32, 8, four.substr(0, 15))},
        {"short-header.tga", std::string("\x00\x00\x02", 3)},
        {"zero.tga", Tga(2, 0, 2, 32, 8, "")},
        {"sixteen.tga", Tga(2, 2, 2, 16, 0, four)},
        {"huge.tga", Tga(2, 20000, 20000, 32, 8, four)},
        {"id-past-end.tga", Tga(2, 2, 2, 32, 8, "", 200)},
    };
    PixelImage image;
    image.width = 9;
    std::string error;
    for (const auto& [name, bytes] : bad) {
        WriteFileBytes(folder.File(name), bytes);
        EXPECT_FALSE(ReadTga(folder.File(name), image, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_EQ(image.width, 9) << name;  // untouched
    }
    EXPECT_FALSE(ReadTga(folder.File("missing.tga"), image, error));
}

TEST(TgaReader, AHeaderPromisingAGigabyteIsRefusedBeforeAnyMemoryIsTaken) {
    TempFolder folder;
    // 16384 x 16384 x 32 bits would be 1 GiB of pixels; the file holds 18 bytes and a few more.
    WriteFileBytes(folder.File("claims.tga"), Tga(2, 16384, 16384, 32, 8, std::string(64, '\x11')));
    EXPECT_TRUE(RefusedWithinLittleMemory(
        [&](PixelImage& image, std::string& error) { return ReadTga(folder.File("claims.tga"), image, error); },
        "fewer pixels than its header says"));
}

TEST(TgaReader, RandomBytesAreRefusedOrReadWithinTheirSize) {
    TempFolder folder;
    std::mt19937 random(9);
    for (int trial = 0; trial < 300; ++trial) {
        // A plausible header with random fields, then a random amount of data.
        std::string bytes = Tga(random() % 4 == 0 ? 10 : 2, static_cast<int>(random() % 70),
                                static_cast<int>(random() % 70), random() % 2 ? 32 : 24,
                                static_cast<int>(random() % 256), std::string(random() % 20000, '\x55'),
                                static_cast<int>(random() % 40), random() % 5 == 0 ? 1 : 0);
        for (int flip = 0; flip < 3; ++flip) bytes[random() % bytes.size()] = static_cast<char>(random());
        WriteFileBytes(folder.File("random.tga"), bytes);
        PixelImage image;
        std::string error;
        if (ReadTga(folder.File("random.tga"), image, error)) {
            EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 4);
            EXPECT_LE(image.width, kMaxTgaSide);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

namespace {

// A small RGB(A) picture with a different colour in every pixel.
PixelImage Pattern(int width, int height, int channels) {
    PixelImage image(width, height, channels);
    for (std::size_t at = 0; at < image.pixels.size(); ++at) image.pixels[at] = static_cast<std::uint8_t>(at * 41 + 7);
    return image;
}

}  // namespace

TEST(TextureImage, ReadsPngJpegBmpRunLengthTgaAndXpmRowsFromTheBottomUp) {
    TempFolder folder;
    PixelImage image;
    std::string error;
    for (const int channels : {3, 4}) {
        const PixelImage pattern = Pattern(5, 3, channels);
        WriteFileBytes(folder.File("pattern.png"), EncodePng(pattern));
        ASSERT_TRUE(ReadTextureImage(folder.File("pattern.png"), image, error)) << error;
        EXPECT_TRUE(SameImage(image, pattern));
    }
    // A BMP is its colours, whatever its name says.
    const PixelImage rgb = Pattern(6, 4, 3);
    WriteFileBytes(folder.File("bark.picture"), EncodeBmp(rgb));
    ASSERT_TRUE(ReadTextureImage(folder.File("bark.picture"), image, error)) << error;
    EXPECT_TRUE(SameImage(image, rgb));

    // A JPEG of one flat colour per half, top half red: close to its colours, rows from the bottom up.
    PixelImage halves(16, 16, 3);
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column) {
            std::uint8_t* p = halves.At(row, column);
            p[0] = row >= 8 ? 220 : 20, p[1] = 30, p[2] = row >= 8 ? 20 : 200;
        }
    std::string jpeg;
    stbi_flip_vertically_on_write(1);  // the rows go bottom up, as EncodePng writes them
    stbi_write_jpg_to_func([](void* out, void* data, int size) { static_cast<std::string*>(out)->append(
                               static_cast<const char*>(data), static_cast<std::size_t>(size)); },
                           &jpeg, 16, 16, 3, halves.pixels.data(), 95);
    WriteFileBytes(folder.File("bark.jpg"), jpeg);
    ASSERT_TRUE(ReadTextureImage(folder.File("bark.jpg"), image, error)) << error;
    ASSERT_EQ(image.channels, 3);
    EXPECT_NEAR(image.At(15, 3)[0], 220, 12);
    EXPECT_NEAR(image.At(0, 3)[2], 200, 12);

    // A run-length TGA: a run of two pixels, then two raw ones; RGBA, bottom row first.
    const std::string packets = std::string("\x81\x10\x20\x30\x00", 5) + std::string("\x01\x01\x02\x03\xff\x04\x05\x06\x80", 9);
    WriteFileBytes(folder.File("leaf.tga"), Tga(10, 2, 2, 32, 8, packets));
    ASSERT_TRUE(ReadTextureImage(folder.File("leaf.tga"), image, error)) << error;
    ASSERT_EQ(image.channels, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(image.At(0, 0), image.At(0, 0) + 4), (std::vector<std::uint8_t>{0x30, 0x20, 0x10, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.At(1, 1), image.At(1, 1) + 4), (std::vector<std::uint8_t>{6, 5, 4, 0x80}));
    EXPECT_TRUE(image.HasTransparency());

    // An XPM file, read by our own checked decoder.
    WriteFileBytes(folder.File("stump.xpm"), "/* XPM */\nstatic const char* stump[] = {\n\"2 1 2 1\",\n"
                                             "\"a c #FF0000\",\n\"b c white\",\n\"ab\"};\n");
    ASSERT_TRUE(ReadTextureImage(folder.File("stump.xpm"), image, error)) << error;
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.begin(), image.pixels.end()),
              (std::vector<std::uint8_t>{255, 0, 0, 255, 255, 255}));
}

TEST(TextureImage, LyingHeadersAreRefusedBeforeAnyLargeAllocation) {
    TempFolder folder;
    // A 54-byte BMP whose header claims 20000 x -20000 pixels (top-down).
    std::string bmp = EncodeBmp(Pattern(1, 1, 3)).substr(0, 54);
    const std::int32_t width = 20000, height = -20000;
    std::memcpy(&bmp[18], &width, 4);
    std::memcpy(&bmp[22], &height, 4);
    WriteFileBytes(folder.File("lying.bmp"), bmp);
    EXPECT_TRUE(RefusedWithinLittleMemory(folder.File("lying.bmp"), "claims 20000 x 20000 pixels"));
    // A PNG whose header claims 16000 x 16000 pixels (256 million), and one 20000 wide.
    for (const auto& [name, side, expected] : {std::tuple{"wide.png", 16000, "claims 16000 x 16000 pixels"},
                                               {"huge.png", 20000, "claims 20000 x 20000 pixels"}}) {
        std::string png = EncodePng(Pattern(2, 2, 3));
        for (int at : {16, 20}) {
            png[at] = static_cast<char>(side >> 24), png[at + 1] = static_cast<char>(side >> 16);
            png[at + 2] = static_cast<char>(side >> 8), png[at + 3] = static_cast<char>(side);
        }
        WriteFileBytes(folder.File(name), png);
        EXPECT_TRUE(RefusedWithinLittleMemory(folder.File(name), expected)) << name;
    }
    // An XPM that claims a huge picture, or more rows than it holds.
    WriteFileBytes(folder.File("huge.xpm"), "\"20000 20000 1 1\", \"a c white\", \"aaaa\"");
    EXPECT_TRUE(RefusedWithinLittleMemory(folder.File("huge.xpm"), "is not a complete XPM image"));
    WriteFileBytes(folder.File("short.xpm"), "\"2 3 1 1\", \"a c white\", \"aa\", \"aa\"");
    EXPECT_TRUE(RefusedWithinLittleMemory(folder.File("short.xpm"), "is not a complete XPM image"));
}

TEST(TextureImage, BrokenFilesAreRefusedWithOneLineNamingThem) {
    TempFolder folder;
    const std::string png = EncodePng(Pattern(40, 40, 3));
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"truncated.png", png.substr(0, png.size() / 2)},
        {"noise.png", std::string(300, '\x5a')},
        {"empty.jpg", ""},
        {"unterminated.xpm", "\"2 1 1 1\", \"a c white\", \"aa"},
        {"badcolour.xpm", "/* XPM */ \"1 1 1 1\", \"a c #12345\", \"a\""},
    };
    PixelImage image;
    image.width = 9;
    std::string error;
    for (const auto& [name, bytes] : broken) {
        WriteFileBytes(folder.File(name), bytes);
        EXPECT_FALSE(ReadTextureImage(folder.File(name), image, error)) << name;
        EXPECT_EQ(error.rfind(folder.File(name) + ": ", 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(image.width, 9) << name;  // untouched
    }
    EXPECT_FALSE(ReadTextureImage(folder.File("missing.png"), image, error));
    EXPECT_FALSE(ReadTextureImage(folder.Path(), image, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
    // A pipe that a project names is refused at once, not waited on for a writer.
    ASSERT_EQ(mkfifo(folder.File("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(ReadTextureImage(folder.File("pipe.png"), image, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
}

namespace {

// A BMP of a 40-byte header (and bit masks when given) with these rows as they are stored.
std::string Bmp(int width, int height, int bits, const std::string& palette, const std::string& rows,
                const std::vector<std::uint32_t>& masks = {}) {
    auto little = [](std::uint32_t value, int size) {
        std::string bytes;
        for (int k = 0; k < size; ++k) bytes += static_cast<char>(value >> (8 * k) & 0xFF);
        return bytes;
    };
    std::string extra;
    for (std::uint32_t mask : masks) extra += little(mask, 4);
    const std::uint32_t pixelsAt = static_cast<std::uint32_t>(14 + 40 + extra.size() + palette.size());
    return "BM" + little(pixelsAt + static_cast<std::uint32_t>(rows.size()), 4) + little(0, 4) + little(pixelsAt, 4) +
           little(40, 4) + little(static_cast<std::uint32_t>(width), 4) + little(static_cast<std::uint32_t>(height), 4) +
           little(1, 2) + little(static_cast<std::uint32_t>(bits), 2) + little(masks.empty() ? 0 : masks.size() == 4 ? 6 : 3, 4) +
           little(static_cast<std::uint32_t>(rows.size()), 4) + std::string(8, '\0') +
           little(static_cast<std::uint32_t>(palette.size() / 4), 4) + little(0, 4) + extra + palette + rows;
}

std::vector<std::uint8_t> PixelAt(const PixelImage& image, int row, int column) {
    return {image.At(row, column), image.At(row, column) + image.channels};
}

}  // namespace

TEST(TextureImage, BitmapsOfEveryDepthAndTgasOfEveryKindAreRead) {
    TempFolder folder;
    PixelImage image;
    std::string error;
    auto read = [&](const std::string& name, const std::string& bytes) {
        WriteFileBytes(folder.File(name), bytes);
        const bool read = ReadTextureImage(folder.File(name), image, error);
        EXPECT_TRUE(read) << error;
        return read;
    };
    // 8 bits with a palette (blue, green, red, unused), stored top down: 3 x 2, rows padded to 4 bytes.
    const std::string palette = std::string("\x10\x20\x30\0\x40\x50\x60\0", 8);
    if (read("paletted.bmp", Bmp(3, -2, 8, palette, std::string("\0\1\0\0\1\1\0\0", 8)))) {
        EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<std::uint8_t>{0x30, 0x20, 0x10}));  // top row, first pixel
        EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<std::uint8_t>{0x60, 0x50, 0x40}));
    }
    // 1 bit a pixel, bottom up: the first row's pixels 1 0.
    if (read("mono.bmp", Bmp(2, 1, 1, std::string("\0\0\0\0\xff\xff\xff\0", 8), std::string("\x80\0\0\0", 4)))) {
        EXPECT_EQ(image.At(0, 0)[0], 255);
        EXPECT_EQ(image.At(0, 1)[0], 0);
    }
    // 32 bits with masks, alpha among them.
    if (read("alpha.bmp", Bmp(1, 1, 32, "", std::string("\x11\x22\x33\x80", 4),
                              {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}))) {
        EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<std::uint8_t>{0x33, 0x22, 0x11, 0x80}));
    }
    // 16 bits as 5-6-5: pure green.
    if (read("565.bmp", Bmp(1, 1, 16, "", std::string("\xe0\x07\0\0", 4), {0xF800, 0x07E0, 0x001F}))) {
        EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<std::uint8_t>{0, 255, 0}));
    }

    // A run-length grey TGA, its rows from the right: one run of three grey pixels and one raw white one.
    if (read("grey.tga", Tga(11, 2, 2, 8, 0x10, std::string("\x82\x40\x00\xff", 4)))) {
        ASSERT_EQ(image.channels, 4);
        EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<std::uint8_t>{255, 255, 255, 255}));
        EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<std::uint8_t>{0x40, 0x40, 0x40, 255}));
    }
    // A colour-mapped TGA: a map of two 24-bit colours, index 1 then 0.
    std::string mapped = Tga(1, 2, 1, 8, 0, std::string("\x01\x02\x03\x0a\x0b\x0c\x01\x00", 8), 0, 1);
    mapped[5] = 2, mapped[7] = 24;  // two entries of 24 bits
    if (read("mapped.tga", mapped)) {
        EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<std::uint8_t>{0x0c, 0x0b, 0x0a, 255}));
        EXPECT_EQ(PixelAt(image, 0, 1), (std::vector<std::uint8_t>{3, 2, 1, 255}));
    }
}

TEST(TextureImage, RefusalsNameTheFormatAndTheReason) {
    TempFolder folder;
    PixelImage image;
    std::string error;
    // A JPEG cut in the middle is a broken JPEG, never taken for another format.
    PixelImage pattern(64, 64, 3);
    for (std::size_t at = 0; at < pattern.pixels.size(); ++at) pattern.pixels[at] = static_cast<std::uint8_t>(at * 7);
    std::string jpeg;
    stbi_write_jpg_to_func([](void* out, void* data, int size) { static_cast<std::string*>(out)->append(
                               static_cast<const char*>(data), static_cast<std::size_t>(size)); },
                           &jpeg, 64, 64, 3, pattern.pixels.data(), 90);
    WriteFileBytes(folder.File("cut.jpg"), jpeg.substr(0, jpeg.size() / 2));
    EXPECT_FALSE(ReadTextureImage(folder.File("cut.jpg"), image, error));
    EXPECT_NE(error.find("JPEG"), std::string::npos) << error;
    EXPECT_EQ(error.find("png"), std::string::npos) << error;
    // A missing file says why it cannot be opened.
    EXPECT_FALSE(ReadTextureImage(folder.File("gone.png"), image, error));
    EXPECT_NE(error.find("cannot be opened (No such file or directory)"), std::string::npos) << error;
    // A run-length BMP and one whose rows are cut short.
    WriteFileBytes(folder.File("rle.bmp"), Bmp(2, 2, 8, std::string(8, '\0'), std::string(8, '\0')).replace(30, 1, "\1"));
    EXPECT_FALSE(ReadTextureImage(folder.File("rle.bmp"), image, error));
    EXPECT_NE(error.find("run-length compressed BMP"), std::string::npos) << error;
    WriteFileBytes(folder.File("short.bmp"), Bmp(4, 4, 24, "", std::string(20, '\0')));
    EXPECT_FALSE(ReadTextureImage(folder.File("short.bmp"), image, error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
    // A run-length TGA whose packets end before its last pixel.
    WriteFileBytes(folder.File("short.tga"), Tga(10, 200, 1, 24, 0, std::string("\x81\1\2\3\x81\1\2\3", 8)));
    EXPECT_FALSE(ReadTextureImage(folder.File("short.tga"), image, error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}
