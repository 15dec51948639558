// Crown growth: shoots grown from the pages' buds into the crown by
// competition for space.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "TestHelpers.h"
#include "generators/CrownGrowth.h"
#include "generators/DesignSize.h"
#include "generators/ParameterKey.h"
#include "generators/TreeDesign.h"
#include "geometry/SkeletonLevels.h"

using namespace grovewright;
using G = GrowthSetup;
using B = BranchSetup;

namespace {

// A broadleaf of three limbs on a short trunk, each with two pages of side
// branches: an open frame for the crown growth to fill.
std::unique_ptr<BranchTreeModel> OpenBroadleaf(bool complex = false) {
    std::unique_ptr<BranchTreeModel> tree = test::MakeBranchModel(complex);
    tree->Base().SetIteration(3), tree->Base().SetHeight(300), tree->Base().SetDiameter(40);
    tree->Base().SetDiameterReduction(70);
    const int angles[3] = {40, 50, 45};
    for (int page = 0; page < 3; ++page) {
        B& setup = tree->Page(page);
        setup.Set(B::kUseBranch, true), setup.Set(B::kTruncBranches, true), setup.Set(B::kOnlyTrunc, page == 0);
        setup.Set(B::kAddFrom, page == 0 ? 0 : page), setup.Set(B::kAddTo, page == 0 ? 0 : page);
        setup.Set(B::kAddAngle, angles[page]), setup.Set(B::kOriAngle, 120 * page + 30);
        setup.Set(B::kRelativAdd, page == 0 ? 100 : 60), setup.Set(B::kDiameter, 20 - 6 * page);
        setup.Set(B::kHeight, 400 - 100 * page);
        setup.SetParameter(B::kLaterals, page == 0 ? 3 : 2), setup.SetParameter(B::kDivergence, 120);
    }
    return tree;
}

void SetCrown(TreeGeneratorModel& tree, int points, int seed = 0) {
    G& growth = tree.Growth();
    ASSERT_TRUE(growth.SetParameter(G::kCrownPoints, points) && growth.SetParameter(G::kSeed, seed));
}

// The skeleton the tree grows without crown growth, and the volume and
// settings the crown growth takes from it.
struct Frame {
    explicit Frame(const BranchTreeModel& tree, int points, int seed = 0) {
        tree.Rebuild(skeleton);
        volume = CrownVolume::FromBranches(skeleton);
        G growth = tree.Growth();
        EXPECT_TRUE(growth.SetParameter(G::kCrownPoints, points));
        settings = CrownGrowthSettings::From(growth, static_cast<std::uint64_t>(seed));
    }
    SkeletonLevels skeleton;
    CrownVolume volume;
    CrownGrowthSettings settings;
};

std::vector<int> Grown(const CrownShoots& shoots) {
    std::vector<int> grown;
    for (std::size_t i = 0; i < shoots.nodes.size(); ++i)
        if (shoots.nodes[i].grown) grown.push_back(static_cast<int>(i));
    return grown;
}

// Every segment's points and diameters, level by level, in order.
std::vector<double> Numbers(const SkeletonLevels& skeleton) {
    std::vector<double> numbers;
    for (const auto& level : skeleton) {
        numbers.push_back(-1.0);
        for (const BranchSegment& s : level)
            numbers.insert(numbers.end(), {s.Start().x, s.Start().y, s.Start().z, s.End().x, s.End().y, s.End().z,
                                           s.Diameter(), s.TipScale()});
    }
    return numbers;
}

double Degrees(const Vector3D& a, const Vector3D& b) {
    const double c = Dot(a, b) / std::sqrt(Dot(a, a) * Dot(b, b));
    return RadToDeg(std::acos(std::fmax(-1.0, std::fmin(1.0, c))));
}

}  // namespace

TEST(CrownGrowth, FillsItsVolumeUsingUpThePointsWithoutLeavingIt) {
    const auto tree = OpenBroadleaf();
    Frame frame(*tree, 1500);
    ASSERT_FALSE(frame.volume.Empty());
    const CrownShoots shoots = GrowCrown(frame.skeleton, frame.volume, frame.settings);
    EXPECT_EQ(shoots.points, 1500u);
    // Most points are reached; what is left lies where no bud could grow to.
    EXPECT_LT(shoots.pointsLeft, shoots.points / 5) << shoots.rounds << " rounds";
    const std::vector<int> grown = Grown(shoots);
    ASSERT_GT(grown.size(), 300u);
    // No shoot leaves the volume by more than a step: some point of the
    // piece that ends at every grown node (a step long) lies inside.
    for (int g : grown) {
        const Vector3D& p = shoots.nodes[g].position;
        const Vector3D& from = shoots.nodes[shoots.nodes[g].parent].position;
        bool near = false;
        for (int k = 0; k <= 16 && !near; ++k) near = frame.volume.Contains(p + (from - p) * (k / 16.0));
        EXPECT_TRUE(near) << "node " << g << " at " << p.x << ", " << p.y << ", " << p.z;
        EXPECT_GE(p.y, kGroundClearance);
    }
}

TEST(CrownGrowth, ShootsComeNoCloserThanTheKillDistanceExceptToTheirNeighbours) {
    const auto tree = OpenBroadleaf();
    Frame frame(*tree, 1200);
    const CrownShoots shoots = GrowCrown(frame.skeleton, frame.volume, frame.settings);
    const std::vector<int> grown = Grown(shoots);
    ASSERT_GT(grown.size(), 200u);
    const auto& nodes = shoots.nodes;
    auto parentOf = [&](int n) { return nodes[n].parent; };
    int pairs = 0;
    for (std::size_t a = 0; a < grown.size(); ++a)
        for (std::size_t b = 0; b < a; ++b) {
            const int later = grown[a], earlier = grown[b];
            const double d = Distance(nodes[later].position, nodes[earlier].position);
            EXPECT_GE(d, 0.5 * frame.settings.step);
            if (d >= frame.settings.kill) continue;
            ++pairs;
            // Within the kill distance only of the piece's parent's family:
            // the parent, its children, its own parent and that one's children.
            const int p = parentOf(later), gp = parentOf(p);
            const bool family = earlier == p || parentOf(earlier) == p ||
                                (gp >= 0 && (earlier == gp || parentOf(earlier) == gp));
            EXPECT_TRUE(family) << later << " and " << earlier << " are " << d << " apart";
        }
    EXPECT_GT(pairs, 0) << "the shoots' own pieces are closer than the kill distance";
}

TEST(CrownGrowth, AShootTurnsGraduallyAndThinsByThePipeRule) {
    const auto tree = OpenBroadleaf();
    Frame frame(*tree, 1500);
    const CrownShoots shoots = GrowCrown(frame.skeleton, frame.volume, frame.settings);
    const auto& nodes = shoots.nodes;
    const double e = frame.settings.exponent;
    std::vector<double> sum(nodes.size(), 0.0);
    for (int g : Grown(shoots))
        if (nodes[nodes[g].parent].grown) sum[nodes[g].parent] += std::pow(nodes[g].diameter, e);
    int forks = 0, turns = 0;
    for (int g : Grown(shoots)) {
        const CrownNode& node = nodes[g];
        // No kink: a piece turns from the one before by at most the stated limit.
        if (nodes[node.parent].grown && nodes[node.parent].continuation == g) {
            EXPECT_LE(Degrees(node.direction, nodes[node.parent].direction), kMaxShootTurn + 1e-6);
            ++turns;
        }
        if (node.children == 0) {
            EXPECT_DOUBLE_EQ(node.diameter, std::fmin(kTwigDiameter, std::fmax(node.limit, kTwigDiameter)));
            continue;
        }
        // Below the carrier's limit, the cross-sections add up at every node.
        if (node.diameter < node.limit) {
            EXPECT_NEAR(std::pow(node.diameter, e), sum[g], 1e-9 * sum[g]);
            if (node.children == 2) ++forks;
        } else {
            EXPECT_LE(std::pow(node.diameter, e), sum[g] * (1 + 1e-12));
        }
    }
    EXPECT_GT(forks, 20);
    EXPECT_GT(turns, 100);
}

TEST(CrownGrowth, TheSameSeedGivesTheSameBytesOnAnyThreadsAndAnotherSeedAnotherCrown) {
    // The pages grow their branches on one thread or several; the crown on them is the same.
    auto grow = [&](int seed, std::size_t parallelBranches) {
        const auto tree = OpenBroadleaf();
        SetCrown(*tree, 4000, seed);
        BranchTreeModel::SetParallelBranches(parallelBranches);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        BranchTreeModel::SetParallelBranches(BranchTreeModel::kParallelBranches);
        return Numbers(skeleton);
    };
    const std::vector<double> one = grow(7, BranchTreeModel::kParallelBranches);
    EXPECT_GT(one.size(), 8000u);
    EXPECT_EQ(one, grow(7, 1));
    EXPECT_EQ(one, grow(7, BranchTreeModel::kParallelBranches));
    EXPECT_NE(one, grow(8, BranchTreeModel::kParallelBranches));
}

TEST(CrownGrowth, GrownShootsAreOrdinaryBranchesOfTheLevelsItAdds) {
    for (const bool complex : {false, true}) {
        const auto tree = OpenBroadleaf(complex);
        SkeletonLevels plain;
        tree->Rebuild(plain);
        SetCrown(*tree, 1500);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        const std::size_t pageLevels = plain.LevelCount();
        const int added = tree->Growth().GetParameter(G::kCrownLevels);
        ASSERT_EQ(skeleton.LevelCount(), pageLevels + static_cast<std::size_t>(added));
        // The pages' levels are untouched.
        for (std::size_t level = 0; level < pageLevels; ++level)
            EXPECT_EQ(skeleton[level].size(), plain[level].size());
        std::size_t shoots = 0;
        for (std::size_t level = pageLevels; level < skeleton.LevelCount(); ++level)
            for (const BranchSegment& segment : skeleton[level]) {
                EXPECT_GT(segment.TipScale(), 0.0f);
                EXPECT_LE(segment.TipScale(), 1.0f + 1e-6f);
                if (!segment.IsBranchEnd()) continue;
                ++shoots;
                // Each piece starts where the one before ends.
                const BranchPieces pieces(segment);
                for (int i = 1; i < pieces.count; ++i) {
                    EXPECT_EQ(pieces.pieces[i]->Start().x, pieces.pieces[i - 1]->End().x);
                    EXPECT_EQ(pieces.pieces[i]->Start().y, pieces.pieces[i - 1]->End().y);
                }
            }
        EXPECT_GT(shoots, 50u);
        EXPECT_GT(skeleton[pageLevels + 1].size(), 0u) << "side shoots grow one level up";
    }
}

TEST(CrownGrowth, TheEstimateBoundsEveryRandomDesign) {
    std::mt19937 random(45);
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    for (int design = 0; design < 12; ++design) {
        auto tree = OpenBroadleaf(design % 2 == 1);
        G& growth = tree->Growth();
        ASSERT_TRUE(growth.SetParameter(G::kCrownPoints, pick(1, 3000)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownReach, pick(30, 600)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownStep, pick(5, 120)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownKill, pick(5, 200)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownLight, pick(-100, 100)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownFrom, pick(0, 4)));
        ASSERT_TRUE(growth.SetParameter(G::kCrownLevels, pick(1, 8)));
        ASSERT_TRUE(growth.SetParameter(G::kSeed, pick(0, 9999)));
        if (design % 3 == 0) {
            ASSERT_TRUE(growth.SetParameter(G::kCrownShape, pick(0, G::kCrownCount - 1)));
            ASSERT_TRUE(growth.SetParameter(G::kCrownWidth, pick(20, 200)));
            ASSERT_TRUE(growth.SetParameter(G::kCrownBase, pick(0, 80)));
        }
        LeafGeneratorModel leaves;
        leaves.Page(0).Set(LeafSetup::kUseLeaf, 1), leaves.Page(0).Set(LeafSetup::kHeight, 10);
        leaves.Page(0).Set(LeafSetup::kWidth, 6), leaves.Page(0).Set(LeafSetup::kRelativAddDownTo, 2);
        const SkeletonCounts counts = tree->CountSegments();
        EXPECT_FALSE(counts.exact);
        test::GrownDesign grown(*tree, leaves);
        ASSERT_LE(grown.skeleton.LevelCount(), counts.perLevel.size());
        for (std::size_t level = 0; level < grown.skeleton.LevelCount(); ++level)
            EXPECT_LE(grown.skeleton[level].size(), counts.perLevel[level]) << "design " << design << " level " << level;
        const LeafGeneratorModel::Counts leafCounts = leaves.CountLeaves(counts.branchesPerLevel);
        EXPECT_LE(grown.leaves.Empty() ? 0u : grown.leaves[0].size(), leafCounts.strips) << "design " << design;
    }
}

TEST(CrownGrowth, ItsValuesAreSavedOnlyWhenSetAndNamedByScripts) {
    const auto tree = OpenBroadleaf(true);
    auto written = [&] {
        return test::WrittenProject([&](TGXMLFileWriter& writer) { tree->WriteSetup(writer); });
    };
    const std::string plain = written();
    EXPECT_EQ(plain.find("Crown"), std::string::npos);
    G& growth = tree->Growth();
    ASSERT_TRUE(growth.SetParameter(G::kCrownPoints, 2500) && growth.SetParameter(G::kCrownLight, -40) &&
                growth.SetParameter(G::kPipeExponent, 230));
    const std::string crowned = written();
    EXPECT_NE(crowned.find("         <CrownPoints>2500</CrownPoints>\n         <CrownLight>-40</CrownLight>\n"
                           "         <PipeExponent>230</PipeExponent>\n      </GrowthSetup>\n"),
              std::string::npos);

    std::string error;
    const auto key = FindParameter("complex.CrownPoints", error);
    ASSERT_TRUE(key.has_value()) << error;
    EXPECT_EQ(key->index, G::kCrownPoints);
    // The simple generator's forks have no crown to fill.
    EXPECT_FALSE(FindParameter("simple.CrownPoints", error).has_value());
    EXPECT_FALSE(FindParameter("simple.PipeRule", error).has_value());
}

TEST(CrownGrowth, AFewPointsOnALargeSkeletonSampleItSparsely) {
    // The skeleton's nodes, which the growth holds while it grows, stay within
    // one a piece and four a point, however long its branches.
    const auto tree = OpenBroadleaf();
    for (const int points : {10, 200, 3000}) {
        Frame frame(*tree, points);
        const CrownShoots shoots = GrowCrown(frame.skeleton, frame.volume, frame.settings);
        std::size_t skeletonNodes = 0;
        for (const CrownNode& node : shoots.nodes) skeletonNodes += node.grown ? 0 : 1;
        EXPECT_LE(skeletonNodes, frame.skeleton.SegmentCount() + 4 * static_cast<std::size_t>(points)) << points;
        EXPECT_GE(skeletonNodes, frame.skeleton.SegmentCount()) << points;
    }
}
