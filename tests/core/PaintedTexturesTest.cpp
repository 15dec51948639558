// The painted built-in textures: pinned bytes, leaf shapes cut out softly with
// no card edge, seamless barks and normal maps that are normals.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "TestHelpers.h"
#include "render/PaintedTextures.h"

using namespace grovewright;
namespace Painted = PaintedTextures;

namespace {

std::string Pixels(const PixelImage& image) {
    return std::string(reinterpret_cast<const char*>(image.pixels.data()), image.pixels.size());
}

// The mean difference of the channels between two columns (or rows) of the image.
double MeanStep(const PixelImage& image, bool columns, int a, int b) {
    double sum = 0;
    for (int k = 0; k < image.width; ++k)
        for (int c = 0; c < image.channels; ++c)
            sum += std::abs((columns ? image.At(k, a) : image.At(a, k))[c] - (columns ? image.At(k, b) : image.At(b, k))[c]);
    return sum / (image.width * image.channels);
}

}  // namespace

TEST(PaintedTextures, HaveTheSameBytesOnEveryMachine) {
    // Regenerate by printing test::Digest(Pixels(...)) when a texture is repainted on purpose.
    const char* const leaves[Painted::kLeafCount] = {
        "1048576:27caa6ab2acd8191",
        "1048576:25928ba485e52ae3",
        "1048576:0c10029e9a0c2758",
        "1048576:c38a1cf96cfe9aac",
        "1048576:e9c413509691433a",
        "1048576:f435edb0fec9a49c",
        "1048576:c940455f47bfcd18",
        "1048576:c9d5a11b1d19221e",
        "1048576:3be77e7f097d7141",
        "1048576:af59035ff428f0bf",
        "1048576:f317c67c114c4b57",
    };
    const char* const barks[Painted::kBarkCount][2] = {
        {"786432:bd40359596302fce", "786432:cc361e8691fa6405"},
        {"786432:ba4b97522b6b8fd8", "786432:7da83a15663309dc"},
        {"786432:a1f87954d6aa6f38", "786432:23a81b78f1451e4a"},
        {"786432:5f2ab8534f40f16d", "786432:f64814a0c92054c4"},
        {"786432:8e4a8b614002fe44", "786432:1036c0446ed449f0"},
        {"786432:91acb63e8b32895d", "786432:4d31fb6d1406e61e"},
    };
    Painted::PaintAll();
    for (int i = 0; i < Painted::kLeafCount; ++i)
        EXPECT_EQ(test::Digest(Pixels(Painted::LeafImage(i))), leaves[i]) << Painted::LeafName(i);
    for (int i = 0; i < Painted::kBarkCount; ++i) {
        EXPECT_EQ(test::Digest(Pixels(Painted::BarkImage(i))), barks[i][0]) << Painted::BarkName(i);
        EXPECT_EQ(test::Digest(Pixels(Painted::BarkNormals(i))), barks[i][1]) << Painted::BarkName(i);
    }
}

TEST(PaintedTextures, LeavesAreCutOutSoftlyAndNeverTouchTheCardsEdges) {
    std::set<std::string> names;
    for (int i = 0; i < Painted::kLeafCount; ++i) {
        SCOPED_TRACE(Painted::LeafName(i));
        names.insert(Painted::LeafName(i));
        const PixelImage& image = Painted::LeafImage(i);
        ASSERT_EQ(image.width, Painted::kSize);
        ASSERT_EQ(image.height, Painted::kSize);
        ASSERT_EQ(image.channels, 4);
        int opaque = 0, soft = 0;
        std::set<int> greens;
        for (int row = 0; row < image.height; ++row)
            for (int column = 0; column < image.width; ++column) {
                const std::uint8_t* p = image.At(row, column);
                opaque += p[3] == 255;
                soft += p[3] > 0 && p[3] < 255;
                if (p[3] == 255) greens.insert(p[1]);
                // Only the stalk at the foot may reach the card's border.
                const bool border = row == image.height - 1 || column == 0 || column == image.width - 1;
                if (border) {
                    EXPECT_EQ(p[3], 0) << row << "," << column;
                }
            }
        const int area = image.width * image.height;
        EXPECT_GT(opaque, area / 25);
        EXPECT_LT(opaque, area * 9 / 10);
        EXPECT_GT(soft, image.width);       // antialiased outlines
        EXPECT_GT(greens.size(), 40u);      // shades across the blade, not one flat colour
        EXPECT_TRUE(image.HasTransparency());
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(Painted::kLeafCount));
}

TEST(PaintedTextures, BarksTileSeamlesslyWithNormalMapsOfUnitNormals) {
    for (int i = 0; i < Painted::kBarkCount; ++i) {
        SCOPED_TRACE(Painted::BarkName(i));
        const PixelImage& bark = Painted::BarkImage(i);
        const PixelImage& normals = Painted::BarkNormals(i);
        ASSERT_EQ(bark.channels, 3);
        ASSERT_EQ(normals.width, bark.width);
        const int last = bark.width - 1;
        // Across the seam the bark changes no more than between two neighbours inside it.
        for (bool columns : {true, false}) {
            const double inside = (MeanStep(bark, columns, 100, 101) + MeanStep(bark, columns, 300, 301)) / 2;
            EXPECT_LT(MeanStep(bark, columns, last, 0), 2.0 * inside + 2.0) << (columns ? "across" : "along");
        }
        double tilt = 0;
        for (std::size_t at = 0; at < normals.pixels.size(); at += 3) {
            double n[3], length = 0;
            for (int c = 0; c < 3; ++c) {
                n[c] = normals.pixels[at + c] / 255.0 * 2 - 1;
                length += n[c] * n[c];
            }
            ASSERT_NEAR(std::sqrt(length), 1.0, 0.02);
            ASSERT_GT(n[2], 0.0);
            tilt += 1 - n[2];
        }
        // Relief, not a flat map (the smooth beech has the least).
        EXPECT_GT(tilt / (normals.pixels.size() / 3), 0.0005);
    }
}
