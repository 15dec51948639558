// Leaves along a shoot, leaf by leaf variation, compound leaves and leaves kept
// above the ground: what they grow, how they are counted and how they are stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;
using grovewright::test::GrownDesign;

namespace {

// A small tree with enough shoots (63) to tell leaves apart.
std::unique_ptr<SimpleTreeModel> SmallTree() {
    auto tree = std::make_unique<SimpleTreeModel>();
    tree->Base().SetIteration(5);
    tree->Base().SetHeight(300);
    tree->Base().SetDiameter(20);
    return tree;
}

LeafSetup& LeafyPage(LeafGeneratorModel& leaves, int page, int height = 12, int width = 6) {
    LeafSetup& setup = leaves.Page(page);
    setup.SetUseLeaf(true);
    setup.Set(LeafSetup::kHeight, height);
    setup.Set(LeafSetup::kWidth, width);
    setup.Set(LeafSetup::kAddAngle, 40);
    setup.Set(LeafSetup::kRelAdd, 30);
    return setup;
}

bool SameVertices(const LeafPolygon& a, const LeafPolygon& b) {
    if (a.VertexCount() != b.VertexCount()) return false;
    for (int k = 0; k < a.VertexCount(); ++k)
        if (a[k].x != b[k].x || a[k].y != b[k].y || a[k].z != b[k].z || a[k].nx != b[k].nx) return false;
    return true;
}

}  // namespace

TEST(Foliage, LeavesAlongAShootAreCountedExactlyAndTheFirstSitsWhereASingleLeafDoes) {
    auto tree = SmallTree();
    std::mt19937 random(32);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        LeafGeneratorModel pages;
        for (int page = 0; page < 3; ++page) {
            LeafSetup& setup = LeafyPage(pages, page);
            setup.Set(LeafSetup::kRelativAddDownTo, static_cast<int>(random() % 3));
            setup.Set(LeafSetup::kSegmentCount, 1 + static_cast<int>(random() % 4));
            setup.Set(LeafSetup::kLeafSplit, 2 + static_cast<int>(random() % 2));
            setup.Set(LeafSetup::kShootLeaves, 1 + static_cast<int>(random() % 64));
            setup.Set(LeafSetup::kArrangement, static_cast<int>(random() % 4));
            setup.Set(LeafSetup::kLeaflets, trial % 3 == 0 ? static_cast<int>(random() % 12) : 0);
            setup.Set(LeafSetup::kSizeVariation, static_cast<int>(random() % 50));
            setup.Set(LeafSetup::kCrossed, static_cast<int>(random() % 2));
        }
        const GrownDesign grown(*tree, pages);
        const DesignSize size = MeasureDesign(*tree, pages);
        EXPECT_EQ(size.leaves.strips, grown.leaves[0].size());
        EXPECT_EQ(size.leaves.vertices, grown.leaves[0].VertexTotal());
        // Every strip has its place on the skeleton, for wind and levels of detail.
        EXPECT_EQ(pages.Places(grown.skeleton).size(), grown.leaves[0].size());
    }

    // One page, no variation: a shoot's first leaf is the single leaf of before.
    LeafGeneratorModel single, many;
    LeafyPage(single, 0);
    LeafyPage(many, 0).Set(LeafSetup::kShootLeaves, 5);
    const GrownDesign one(*tree, single), five(*tree, many);
    ASSERT_EQ(five.leaves[0].size(), 5 * one.leaves[0].size());
    for (std::size_t leaf = 0; leaf < one.leaves[0].size(); ++leaf)
        EXPECT_TRUE(SameVertices(one.leaves[0][leaf], five.leaves[0][5 * leaf])) << leaf;
}

TEST(Foliage, ACrossedCardIsTheCardAndItsTwinTurnedAQuarterAboutItsMidrib) {
    auto tree = SmallTree();
    LeafGeneratorModel plain, crossed;
    LeafyPage(plain, 0).Set(LeafSetup::kShootLeaves, 3);
    LeafyPage(crossed, 0).Set(LeafSetup::kShootLeaves, 3);
    crossed.Page(0).Set(LeafSetup::kCrossed, 1);
    const GrownDesign one(*tree, plain), two(*tree, crossed);
    ASSERT_EQ(two.leaves[0].size(), 2 * one.leaves[0].size());
    EXPECT_EQ(MeasureDesign(*tree, crossed).leaves.Triangles(), 2 * MeasureDesign(*tree, plain).leaves.Triangles());
    for (std::size_t leaf = 0; leaf < one.leaves[0].size(); ++leaf) {
        const LeafPolygon& card = two.leaves[0][2 * leaf];
        const LeafPolygon& twin = two.leaves[0][2 * leaf + 1];
        EXPECT_TRUE(SameVertices(one.leaves[0][leaf], card)) << leaf;
        // The twin shares the card's midrib (its first and last points along it)
        // and stands square to it: their normals are at right angles.
        const Vector3D n1(card[0].nx, card[0].ny, card[0].nz), n2(twin[0].nx, twin[0].ny, twin[0].nz);
        EXPECT_NEAR(Dot(n1, n2), 0.0, 1e-3) << leaf;
        EXPECT_EQ(card.VertexCount(), twin.VertexCount());
        const LeafVertex& tip = card[card.VertexCount() - 1];
        EXPECT_LT(std::fabs(tip.u - twin[twin.VertexCount() - 1].u) + std::fabs(tip.v - twin[twin.VertexCount() - 1].v),
                  1e-6f);
    }
    EXPECT_EQ(crossed.Places(two.skeleton).size(), two.leaves[0].size());
}

TEST(Foliage, ArrangementsSpreadTheLeavesFromTheirPlaceTowardTheTipAndTurnThemAboutTheShoot) {
    // One vertical shoot 100 cm long.
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(0, 0, 0), Vector3D(0, 100, 0), 0, 0, 1, 4);
    auto basesAndTips = [&](int arrangement, int count) {
        LeafGeneratorModel pages;
        LeafSetup& page = LeafyPage(pages, 0, 10, 4);
        page.Set(LeafSetup::kAddAngle, 90);  // straight out from the shoot
        page.Set(LeafSetup::kRelAdd, 20);
        page.Set(LeafSetup::kShootLeaves, count);
        page.Set(LeafSetup::kArrangement, arrangement);
        LeafStore leaves;
        pages.Generate(skeleton, leaves);
        std::vector<std::pair<double, double>> heightAndAngle;  // of each leaf's base and the way it points
        for (const LeafPolygon& strip : leaves[0]) {
            const LeafVertex& base = strip[0];
            const LeafVertex& tip = strip[strip.VertexCount() - 1];
            heightAndAngle.emplace_back(base.y, std::atan2(tip.z - base.z, tip.x - base.x) * 180 / M_PI);
        }
        return heightAndAngle;
    };
    // The angle between two directions about the shoot, whichever way round.
    auto turn = [](double a, double b) {
        const double d = std::fmod(b - a + 720.0, 360.0);
        return std::min(d, 360.0 - d);
    };

    const auto spiral = basesAndTips(LeafSetup::kSpiral, 4);
    ASSERT_EQ(spiral.size(), 4u);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(spiral[k].first, 20 + 80 * k / 4.0, 1.0) << k;
    EXPECT_NEAR(turn(spiral[0].second, spiral[1].second), 137.5, 0.5);

    const auto alternate = basesAndTips(LeafSetup::kAlternate, 2);
    EXPECT_NEAR(turn(alternate[0].second, alternate[1].second), 180.0, 0.5);

    // Opposite pairs stand at one height, the next pair a quarter turn on.
    const auto opposite = basesAndTips(LeafSetup::kOpposite, 4);
    EXPECT_NEAR(opposite[0].first, opposite[1].first, 1e-3);
    EXPECT_NEAR(turn(opposite[0].second, opposite[1].second), 180.0, 0.5);
    EXPECT_GT(opposite[2].first, opposite[1].first + 10);
    EXPECT_NEAR(turn(opposite[0].second, opposite[2].second), 90.0, 0.5);

    const auto whorled = basesAndTips(LeafSetup::kWhorled, 6);
    EXPECT_NEAR(whorled[0].first, whorled[2].first, 1e-3);
    EXPECT_NEAR(turn(whorled[0].second, whorled[1].second), 120.0, 0.5);
    EXPECT_NEAR(turn(whorled[0].second, whorled[3].second), 60.0, 0.5);
}

TEST(Foliage, VariationIsStablePerSeedAndAnEditMovesOnlyItsOwnPagesLeaves) {
    auto tree = SmallTree();
    LeafGeneratorModel pages;
    for (int page : {0, 1}) {
        LeafSetup& setup = LeafyPage(pages, page);
        setup.Set(LeafSetup::kShootLeaves, 6);
        setup.Set(LeafSetup::kSizeVariation, 30);
        setup.Set(LeafSetup::kAngleVariation, 25);
        setup.Set(LeafSetup::kLightnessVariation, 40);
        setup.Set(LeafSetup::kHueVariation, 30);
    }
    SkeletonLevels skeleton;
    tree->Rebuild(skeleton);
    LeafStore first, again, otherSeed;
    pages.Generate(skeleton, first, LeafGeneratorModel::Seed(7, 1));
    pages.Generate(skeleton, again, LeafGeneratorModel::Seed(7, 1));
    pages.Generate(skeleton, otherSeed, LeafGeneratorModel::Seed(8, 1));
    ASSERT_TRUE(first[0].Tinted());
    std::size_t differ = 0;
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < first[0].size(); ++i) {
        EXPECT_TRUE(SameVertices(first[0][i], again[0][i]));
        EXPECT_EQ(first[0][i].Colour(), again[0][i].Colour());
        differ += SameVertices(first[0][i], otherSeed[0][i]) ? 0 : 1;
        colours.insert(first[0][i].Colour());
    }
    EXPECT_GT(differ, first[0].size() * 9 / 10);
    EXPECT_GT(colours.size(), 50u);  // leaf by leaf, not page by page

    // An angle edit of page 2 (rewritten in place, as the window does) leaves page 1's leaves alone.
    pages.Page(1).Set(LeafSetup::kAngleVariation, 60);
    ASSERT_TRUE(LeafGeneratorModel::KeepsPlaces(LeafSetup::kAngleVariation));
    std::vector<std::uint32_t> written;
    LeafStore edited;
    pages.Generate(skeleton, edited, LeafGeneratorModel::Seed(7, 1));
    ASSERT_TRUE(pages.RegeneratePage(skeleton, again, 1, written, LeafGeneratorModel::Seed(7, 1)));
    const std::set<std::uint32_t> rewritten(written.begin(), written.end());
    std::size_t moved = 0;
    for (std::size_t i = 0; i < first[0].size(); ++i) {
        EXPECT_TRUE(SameVertices(again[0][i], edited[0][i])) << i;  // in place == fresh
        if (rewritten.count(static_cast<std::uint32_t>(i)) == 0)
            EXPECT_TRUE(SameVertices(first[0][i], edited[0][i])) << i;
        else
            moved += SameVertices(first[0][i], edited[0][i]) ? 0 : 1;
    }
    EXPECT_EQ(rewritten.size(), first[0].size() / 2);
    EXPECT_GT(moved, rewritten.size() / 2);
}

TEST(Foliage, CompoundLeavesGrowPairsOfLeafletsThatBendWithTheLeaf) {
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(0, 0, 0), Vector3D(0, 100, 0), 0, 0, 1, 4);
    auto frond = [&](int split, int leaflets = 9) {
        LeafGeneratorModel pages;
        LeafSetup& page = LeafyPage(pages, 0, 200, 100);
        page.Set(LeafSetup::kAddAngle, 90);
        page.Set(LeafSetup::kSegmentCount, 6);
        page.Set(LeafSetup::kSplitAngle, split);
        page.Set(LeafSetup::kLeaflets, leaflets);
        page.Set(LeafSetup::kLeafletLength, 30);
        page.Set(LeafSetup::kLeafletWidth, 10);
        LeafStore leaves;
        pages.Generate(skeleton, leaves);
        return leaves;
    };
    const LeafStore straight = frond(0), bent = frond(-12), blade = frond(0, 0);
    ASSERT_EQ(straight[0].size(), 18u);  // one strip per leaflet
    EXPECT_EQ(straight[0].VertexTotal(), 18u * 4);
    // The leaflets stand on both sides of the spine (x along the leaf, z across).
    int left = 0, right = 0;
    for (const LeafPolygon& leaflet : straight[0]) {
        const double across = leaflet[3].z - leaflet[0].z;
        (across > 0 ? right : left) += 1;
        // Each is about 30 % of the leaf long and faces the way the blade does.
        const double length = std::hypot(leaflet[3].x - leaflet[1].x, leaflet[3].z - leaflet[1].z);
        EXPECT_GT(length, 0.2 * 200 * 0.5);
        EXPECT_LT(length, 0.32 * 200);
        const LeafVertex& face = blade[0][0][0];
        EXPECT_GT(leaflet[0].nx * face.nx + leaflet[0].ny * face.ny + leaflet[0].nz * face.nz, 0.5);
    }
    EXPECT_EQ(left, 9);
    EXPECT_EQ(right, 9);
    // The spine curls with SplitAngle: the outer leaflets move with it far more than the inner ones.
    const double innerMove = std::fabs(straight[0][0][0].y - bent[0][0][0].y);
    const double outerMove = std::fabs(straight[0][17][0].y - bent[0][17][0].y);
    EXPECT_GT(outerMove, innerMove + 20);
}

TEST(Foliage, NoLeafOfAnExampleReachesBelowTheGroundForAnySeed) {
    for (const std::string& file : test::ListFolder(GROVEWRIGHT_EXAMPLES)) {
        if (std::count(file.begin(), file.end(), '.') != 2) continue;  // the species
        SCOPED_TRACE(file);
        test::GrownExample example(file);
        TreeGeneratorModel& tree = *example.tree;
        const LeafGeneratorModel& pages = example.leafPages;
        for (int seed = 0; seed <= 50; ++seed) {
            tree.Growth().SetParameter(GrowthSetup::kSeed, seed);
            const GrownDesign grown(tree, pages);
            float lowest = 0;
            for (const LeafPolygon& strip : grown.leaves[0])
                for (int k = 0; k < strip.VertexCount(); ++k) lowest = std::min(lowest, strip[k].y);
            ASSERT_GE(lowest, 0.0f) << "seed " << seed;
        }
    }
    // Without the page's flag a leaf keeps the place it always had, below or not.
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(0, 0, 0), Vector3D(0, 10, 0), 0, 0, 1, 4);
    LeafGeneratorModel pages;
    LeafyPage(pages, 0, 100, 20).Set(LeafSetup::kAddAngle, -170);
    LeafStore below, lifted;
    pages.Generate(skeleton, below);
    pages.Page(0).Set(LeafSetup::kAboveGround, 1);
    pages.Generate(skeleton, lifted);
    float lowestBelow = 0, lowestLifted = 1e9f;
    for (int k = 0; k < below[0][0].VertexCount(); ++k) {
        lowestBelow = std::min(lowestBelow, below[0][0][k].y);
        lowestLifted = std::min(lowestLifted, lifted[0][0][k].y);
    }
    EXPECT_LT(lowestBelow, -50.0f);
    EXPECT_NEAR(lowestLifted, 0.0f, 1e-4);
}

TEST(Foliage, ValuesAreStoredApartFromTheLeafPagesAndOnlyWhenUsed) {
    LeafGeneratorModel plain;
    LeafyPage(plain, 0);
    const std::string plainText = test::WrittenProject([&](TGXMLFileWriter& w) { plain.WriteSetup(w); });
    EXPECT_EQ(plainText.find("Foliage"), std::string::npos);

    // Page 10's values before page 1's are missing: each is found by its whole tag.
    LeafGeneratorModel pages = plain;
    pages.Page(9).Set(LeafSetup::kShootLeaves, 12);
    pages.Page(9).Set(LeafSetup::kAboveGround, 1);
    pages.Page(0).Set(LeafSetup::kHueVariation, 35);
    pages.Page(0).Set(LeafSetup::kLeaflets, 4);
    const std::string text = test::WrittenProject([&](TGXMLFileWriter& w) { pages.WriteSetup(w); });
    EXPECT_NE(text.find("      <FoliageSetup>\n         <Foliage1>\n            <ShootLeaves>1</ShootLeaves>"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("<Foliage2>"), std::string::npos);
    // The leaf pages themselves are written as before.
    EXPECT_EQ(text.substr(0, text.find("      <FoliageSetup>")), plainText.substr(0, plainText.find("   </LeafCreator>")));

    LeafGeneratorModel read;
    std::vector<int> unread;
    ASSERT_TRUE(test::ReadProject(text, [&](TGXMLFileReader& r) { return read.ReadSetup(r, &unread); }));
    read.ApplySetup();
    for (int page = 0; page < LeafGeneratorModel::kPageCount; ++page)
        EXPECT_TRUE(read.Page(page) == pages.Page(page)) << page;
    EXPECT_EQ(test::WrittenProject([&](TGXMLFileWriter& w) { read.WriteSetup(w); }), text);

    // A file without them gives the defaults, even over values set before.
    ASSERT_TRUE(test::ReadProject(plainText, [&](TGXMLFileReader& r) { return read.ReadSetup(r); }));
    read.ApplySetup();
    EXPECT_TRUE(read.Page(9).PlainFoliage());
    EXPECT_TRUE(read.Page(0) == plain.Page(0));

    // A value out of range keeps that page as it was and names it; the others are read.
    std::string broken = text;
    broken.replace(broken.find("<ShootLeaves>12<"), 16, "<ShootLeaves>99<");
    unread.clear();
    ASSERT_TRUE(test::ReadProject(broken, [&](TGXMLFileReader& r) { return read.ReadSetup(r, &unread); }));
    read.ApplySetup();
    EXPECT_EQ(unread, std::vector<int>{10});
    EXPECT_TRUE(read.Page(9).PlainFoliage());
    EXPECT_EQ(read.Page(0).Get(LeafSetup::kHueVariation), 35);
}
