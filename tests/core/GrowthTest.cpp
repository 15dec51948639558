// Seeded variation, gravity and bent branches in all three generators.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ParameterKey.h"
#include "generators/SimpleTreeModel.h"
#include "generators/TreeDesign.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"
#include "render/MeshBuilder.h"
#include "render/ModelSink.h"
#include "render/TreeViewParameters.h"

using namespace grovewright;
using G = GrowthSetup;
using B = BranchSetup;

namespace {

// A small tree of each generator whose branches lean away from the vertical:
// a simple fork tree, and a regular or complex tree of three pages over a
// trunk chain.
std::unique_ptr<TreeGeneratorModel> SampleTree(int g) {
    if (g == 0) {
        auto simple = std::make_unique<SimpleTreeModel>();
        simple->Base().SetIteration(6), simple->Base().SetHeight(300), simple->Base().SetHeightReduction(80);
        simple->Base().SetDiameter(30), simple->Base().SetDiameterReduction(70);
        simple->Custom().SetSpreadAngle(70), simple->Custom().SetTwistAngle(90);
        return simple;
    }
    std::unique_ptr<BranchTreeModel> tree = grovewright::test::MakeBranchModel(g == 2);
    tree->Base().SetIteration(3), tree->Base().SetHeight(300), tree->Base().SetExtendTo(2);
    tree->Base().SetHeightReduction(70), tree->Base().SetDiameter(30), tree->Base().SetDiameterReduction(60);
    for (int page = 0; page < 3; ++page) {
        B& setup = tree->Page(page);
        setup.Set(B::kUseBranch, true), setup.Set(B::kTruncBranches, true);
        setup.Set(B::kAddFrom, 0), setup.Set(B::kAddTo, page), setup.Set(B::kAddAngle, 60);
        setup.Set(B::kOriAngle, 120 * page), setup.Set(B::kRelativAdd, 80), setup.Set(B::kDiameter, 10);
    }
    return tree;
}

void SetGrowth(TreeGeneratorModel& tree, int seed, int length, int angle, int gravity, int bend) {
    GrowthSetup& growth = tree.Growth();
    ASSERT_TRUE(growth.SetParameter(G::kSeed, seed) && growth.SetParameter(G::kLengthVariation, length) &&
                growth.SetParameter(G::kAngleVariation, angle) && growth.SetParameter(G::kGravity, gravity) &&
                growth.SetParameter(G::kBend, bend));
}

// Every segment's points and diameter, level by level.
std::vector<std::vector<double>> Numbers(const SkeletonLevels& skeleton) {
    std::vector<std::vector<double>> levels;
    for (const auto& level : skeleton) {
        std::vector<double>& numbers = levels.emplace_back();
        for (const BranchSegment& s : level)
            numbers.insert(numbers.end(), {s.Start().x, s.Start().y, s.Start().z, s.End().x, s.End().y, s.End().z,
                                           s.Diameter()});
    }
    return levels;
}

std::vector<std::vector<double>> Grown(const TreeGeneratorModel& tree) {
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    return Numbers(skeleton);
}

// The mean height of the tips of the outermost level's branches.
double MeanTipHeight(const TreeGeneratorModel& tree) {
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    double sum = 0;
    int tips = 0;
    for (const BranchSegment& s : skeleton[skeleton.LevelCount() - 1])
        if (s.IsBranchEnd()) sum += s.End().y, ++tips;
    return sum / tips;
}

}  // namespace

TEST(Growth, TheSameSeedGrowsTheSameTreeAndAnotherSeedAnother) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        SetGrowth(*tree, 42, 40, 30, -20, 3);
        const auto first = Grown(*tree);
        EXPECT_EQ(Grown(*tree), first);
        SetGrowth(*tree, 43, 40, 30, -20, 3);
        const auto other = Grown(*tree);
        EXPECT_NE(other, first);
        // Same shape of the skeleton: only the numbers differ.
        ASSERT_EQ(other.size(), first.size());
        for (std::size_t level = 0; level < first.size(); ++level) EXPECT_EQ(other[level].size(), first[level].size());
        // The trunk never varies.
        EXPECT_EQ(other[0], first[0]);
    }
}

TEST(Growth, EditingALaterPageKeepsTheBranchesOfEarlierPages) {
    for (int g = 1; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        auto& pages = static_cast<BranchTreeModel&>(*tree);
        pages.Base().SetIteration(4);
        pages.Page(3).Set(B::kUseBranch, true), pages.Page(3).Set(B::kAddTo, 1);
        SetGrowth(*tree, 7, 50, 40, -30, 2);
        const auto before = Grown(*tree);
        pages.Page(2).Set(B::kAddTo, 2);
        pages.Page(2).Set(B::kAddAngle, 20);
        const auto after = Grown(*tree);
        ASSERT_GE(before.size(), 4u);
        for (int level = 0; level <= 2; ++level) EXPECT_EQ(after[level], before[level]) << "level " << level;
        EXPECT_NE(after[3], before[3]);
    }
}

TEST(Growth, GravityLowersOrRaisesTheOuterTips) {
    for (int g = 0; g < 3; ++g) {
        for (int bend : {1, 4}) {
            SCOPED_TRACE(std::to_string(g) + " bend " + std::to_string(bend));
            const auto tree = SampleTree(g);
            SetGrowth(*tree, 0, 0, 0, 0, bend);
            const double level = MeanTipHeight(*tree);
            SetGrowth(*tree, 0, 0, 0, -100, bend);
            const double down = MeanTipHeight(*tree);
            SetGrowth(*tree, 0, 0, 0, 100, bend);
            const double up = MeanTipHeight(*tree);
            EXPECT_LT(down, level - 10);
            EXPECT_GT(up, level + 10);
        }
    }
}

// Stiff shoots resist gravity: under the same pull the tips hang less far the
// stiffer they are, the stout trunk stays as it was, and stiffness without
// gravity changes nothing.
TEST(Growth, StiffShootsArchWhereLimpOnesHang) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        SetGrowth(*tree, 0, 0, 0, 0, 4);
        SkeletonLevels straight;
        tree->Rebuild(straight);
        ASSERT_TRUE(tree->Growth().SetParameter(G::kStiffness, 100));
        SkeletonLevels stiffStraight;
        tree->Rebuild(stiffStraight);
        EXPECT_EQ(Numbers(stiffStraight), Numbers(straight));

        double tips[3];
        for (int k = 0; k < 3; ++k) {
            SetGrowth(*tree, 0, 0, 0, -100, 4);
            ASSERT_TRUE(tree->Growth().SetParameter(G::kStiffness, 50 * k));
            tips[k] = MeanTipHeight(*tree);
        }
        EXPECT_GT(tips[1], tips[0] + 5);
        EXPECT_GT(tips[2], tips[1] + 5);
    }
    // Written only when set: a file saved before the value is saved again unchanged.
    RegularTreeModel tree;
    SetGrowth(tree, 3, 0, 0, -20, 2);
    auto written = [&] { return grovewright::test::WrittenProject([&](TGXMLFileWriter& w) { tree.WriteSetup(w); }); };
    EXPECT_EQ(written().find("Stiffness"), std::string::npos);
    ASSERT_TRUE(tree.Growth().SetParameter(G::kStiffness, 40));
    const std::string stiff = written();
    EXPECT_NE(stiff.find("         <Bend>2</Bend>\n         <Stiffness>40</Stiffness>\n      </GrowthSetup>"),
              std::string::npos);
    RegularTreeModel loaded;
    ASSERT_TRUE(grovewright::test::ReadProject(stiff, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    loaded.ApplySetup();
    EXPECT_EQ(loaded.Growth().Stiffness(), 40);
}

TEST(Growth, ABentBranchIsOneBranchOfJoinedPieces) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        LeafGeneratorModel leafPages;
        leafPages.Page(0).SetUseLeaf(true);
        leafPages.Page(0).Set(LeafSetup::kRelativAddDownTo, 20);
        SkeletonLevels straight, bent;
        tree->Rebuild(straight);
        SetGrowth(*tree, 3, 20, 20, -60, 4);
        tree->Rebuild(bent);
        ASSERT_EQ(bent.LevelCount(), straight.LevelCount());

        // The counts known before growing are the grown ones.
        const SkeletonCounts counts = tree->CountSegments();
        for (std::size_t k = 0; k < bent.LevelCount(); ++k) {
            const std::size_t pieces = k == 0 ? 1 : 4;
            EXPECT_EQ(bent[k].size(), straight[k].size() * pieces) << "level " << k;
            EXPECT_EQ(counts.perLevel[k], bent[k].size());
            EXPECT_EQ(counts.branchesPerLevel[k], straight[k].size());
        }
        for (std::size_t k = 1; k < bent.LevelCount(); ++k) {
            const BranchSegment* previous = nullptr;
            for (const BranchSegment& piece : bent[k]) {
                EXPECT_EQ(piece.Pieces(), 4);
                if (piece.Piece() > 0) {
                    // Each piece continues the one before: same point, linked, a tip as thick as its base.
                    ASSERT_EQ(piece.Parent(), previous);
                    EXPECT_EQ(Distance(piece.Start(), previous->End()), 0.0);
                    EXPECT_NEAR(piece.Diameter(),
                                previous->Diameter() * std::pow(tree->Base().DiameterReduction() / 100.0, 0.25),
                                1e-9);
                    EXPECT_FALSE(previous->IsCut());
                }
                previous = &piece;
            }
        }
        // One leaf per branch, as many as on the straight tree.
        LeafStore straightLeaves, bentLeaves;
        leafPages.Generate(straight, straightLeaves);
        leafPages.Generate(bent, bentLeaves);
        EXPECT_EQ(bentLeaves[0].size(), straightLeaves[0].size());
        EXPECT_EQ(MeasureDesign(*tree, leafPages).leaves.strips, bentLeaves[0].size());
    }
}

TEST(Growth, SmoothBendsKeepTheSkeletonAndTurnOnlyTheJointRings) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        SetGrowth(*tree, 3, 20, 20, -60, 4);
        auto grow = [&](bool smooth, SkeletonLevels& skeleton) {
            EXPECT_TRUE(tree->Growth().SetParameter(G::kSmoothBends, smooth ? 1 : 0));
            tree->Rebuild(skeleton);
            TreeViewParameters view;
            view.Take(tree->Base());
            LeafStore leaves;
            ModelSink::Order order = ModelSink::Order::kModel;
            TreeModel model;
            ModelSink sink(model, order);
            MeshBuilder(skeleton, leaves, view).BuildTree(sink, false);
            return std::vector<float>(model.bark.positions.begin(), model.bark.positions.end());
        };
        SkeletonLevels kinked, smooth;
        const std::vector<float> kinkedMesh = grow(false, kinked), smoothMesh = grow(true, smooth);
        EXPECT_EQ(Numbers(kinked), Numbers(smooth));
        std::size_t smoothPieces = 0, pieces = 0;
        for (std::size_t k = 1; k < smooth.LevelCount(); ++k)
            for (const BranchSegment& piece : smooth[k]) smoothPieces += piece.IsSmooth(), ++pieces;
        EXPECT_EQ(smoothPieces, pieces);
        ASSERT_EQ(kinkedMesh.size(), smoothMesh.size());
        EXPECT_NE(kinkedMesh, smoothMesh);
    }
}

TEST(Growth, BranchesAttachAlongTheWholeBentBranch) {
    const auto tree = SampleTree(1);
    auto& pages = static_cast<BranchTreeModel&>(*tree);
    pages.Base().SetIteration(1);
    pages.Page(0).Set(B::kAddFrom, 1), pages.Page(0).Set(B::kAddTo, 1), pages.Page(0).Set(B::kRelativAdd, 50);
    for (int bend : {1, 3, 4}) {
        SCOPED_TRACE(bend);
        SetGrowth(*tree, 0, 0, 0, 0, bend);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        // The trunk chain's piece on level 1 is straight without gravity; the
        // page's one branch on it starts halfway up the whole piece.
        const BranchSegment& first = skeleton[1].front();
        const BranchSegment* last = &first;
        for (const BranchSegment& s : skeleton[1])
            if (s.IsBranchEnd()) {
                last = &s;
                break;
            }
        const BranchSegment& child = *std::next(skeleton[1].begin(), bend);
        EXPECT_NEAR(child.Start().y, (first.Start().y + last->End().y) / 2, 1e-9);
    }
}

TEST(Growth, ValuesAtTheirExtremesGrowFiniteTreesWithLeaves) {
    for (int g = 0; g < 3; ++g) {
        for (int corner = 0; corner < 8; ++corner) {
            SCOPED_TRACE(std::to_string(g) + " corner " + std::to_string(corner));
            const auto tree = SampleTree(g);
            SetGrowth(*tree, corner % 2 ? 9999 : 0, corner & 2 ? 100 : 0, corner & 4 ? 90 : 0,
                      corner & 1 ? 100 : -100, corner & 4 ? 8 : 1);
            LeafGeneratorModel leafPages;
            leafPages.Page(0).SetUseLeaf(true);
            leafPages.Page(0).Set(LeafSetup::kRelativAddDownTo, 20);
            const grovewright::test::GrownDesign grown(*tree, leafPages);
            for (const auto& level : grown.skeleton)
                for (const BranchSegment& s : level) {
                    ASSERT_TRUE(std::isfinite(s.End().x) && std::isfinite(s.End().y) && std::isfinite(s.End().z));
                    ASSERT_TRUE(std::isfinite(s.Diameter()));
                }
            const auto texts = grovewright::test::ExportWithLeaves(grown);
            EXPECT_EQ(texts.dxf.find("nan"), std::string::npos);
            EXPECT_EQ(texts.directX.find("nan"), std::string::npos);
        }
    }
}

TEST(GrowthSetup, IsWrittenAfterTheCustomSetupOnlyWhenNotTheDefault) {
    RegularTreeModel tree;
    tree.Base().SetIteration(7), tree.Base().SetHeight(250);
    tree.Page(2).Set(B::kUseBranch, true), tree.Page(2).Set(B::kAddAngle, 35);
    const std::string plain =
        grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { tree.WriteSetup(writer); });
    EXPECT_EQ(plain.find("Growth"), std::string::npos);
    SetGrowth(tree, 12, 0, 0, -35, 1);
    const std::string grown =
        grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { tree.WriteSetup(writer); });
    const auto custom = grown.find("      </CustomSetup>\n"), growth = grown.find("      <GrowthSetup>\n");
    ASSERT_NE(growth, std::string::npos);
    EXPECT_LT(custom, growth);
    EXPECT_NE(grown.find("         <Seed>12</Seed>\n         <LengthVariation>0</LengthVariation>\n"),
              std::string::npos);
    EXPECT_NE(grown.find("         <Gravity>-35</Gravity>\n         <Bend>1</Bend>\n      </GrowthSetup>\n   "
                         "</RegularGrovewright>"),
              std::string::npos);
    // Everything else is written as it always was.
    std::string without = grown;
    without.erase(growth, grown.find("   </RegularGrovewright>") - growth);
    EXPECT_EQ(without, plain);

    // Round trip, and a section without the block loads the defaults.
    RegularTreeModel loaded;
    SetGrowth(loaded, 1, 2, 3, 4, 5);
    ASSERT_TRUE(grovewright::test::ReadProject(grown, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    loaded.ApplySetup();
    EXPECT_EQ(loaded.Growth(), tree.Growth());
    EXPECT_EQ(grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { loaded.WriteSetup(writer); }), grown);
    ASSERT_TRUE(grovewright::test::ReadProject(plain, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    loaded.ApplySetup();
    EXPECT_TRUE(loaded.Growth().IsDefault());
}

TEST(GrowthSetup, AValueOutOfRangeRefusesTheSectionAndAMissingOneKeepsItsDefault) {
    SimpleTreeModel tree;
    SetGrowth(tree, 5, 10, 20, 30, 2);
    const std::string text = grovewright::test::WrittenProject([&](TGXMLFileWriter& w) { tree.WriteSetup(w); });
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    for (const std::string& bad : {replaced("<Bend>2<", "<Bend>9<"), replaced("<Gravity>30<", "<Gravity>-101<"),
                                   replaced("<Seed>5<", "<Seed>10000<")}) {
        SimpleTreeModel loaded;
        EXPECT_FALSE(grovewright::test::ReadProject(bad, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    }
    SimpleTreeModel loaded;
    const std::string noGravity = replaced("         <Gravity>30</Gravity>\n", "");
    ASSERT_TRUE(grovewright::test::ReadProject(noGravity, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    loaded.ApplySetup();
    EXPECT_EQ(loaded.Growth().Gravity(), 0);
    EXPECT_EQ(loaded.Growth().Bend(), 2);
}

TEST(GrowthSetup, IsEditedUndoneAndResetLikeEveryOtherValue) {
    TreeDesign design;
    design.SetActiveGenerator(TreeDesign::kSimple);
    design.Apply(ParameterId::Base(0, BaseSetup::kIteration), 5);
    design.MarkSaved();
    const std::size_t segments = design.Skeleton().SegmentCount();
    const ParameterId bend = ParameterId::Growth(0, G::kBend);
    EXPECT_EQ(design.Apply(bend, 3), TreeDesign::EditResult::Applied);
    EXPECT_EQ(design.Skeleton().SegmentCount(), 1 + (segments - 1) * 3);
    EXPECT_TRUE(design.IsModified());
    EXPECT_TRUE(design.ScopeModified(TreeDesign::GeneratorScope(0)));
    EXPECT_EQ(design.Apply(bend, 9), TreeDesign::EditResult::OutOfRange);
    ASSERT_TRUE(design.Undo());
    EXPECT_EQ(design.Get(bend), 1);
    EXPECT_EQ(design.Skeleton().SegmentCount(), segments);
    EXPECT_FALSE(design.IsModified());
    ASSERT_TRUE(design.Redo());
    EXPECT_EQ(design.Get(bend), 3);
    design.ResetGenerator(0);
    EXPECT_TRUE(design.Generator(0).Growth().IsDefault());

    // The memory budget counts every piece.
    design.Apply(ParameterId::Base(0, BaseSetup::kIteration), 16);
    const std::size_t straight = MeasureDesign(design.Generator(0), design.LeafModel()).memoryBytes;
    design.SetMemoryBudget(straight * 3);
    EXPECT_EQ(design.Apply(bend, 8), TreeDesign::EditResult::Refused);
    EXPECT_EQ(design.Get(bend), 1);
    EXPECT_EQ(design.Apply(bend, 2), TreeDesign::EditResult::Applied);
}

TEST(ParameterKey, NamesEveryParameterByTheFilesElementNames) {
    std::string error;
    EXPECT_EQ(FindParameter("simple.Iteration", error), ParameterId::Base(0, BaseSetup::kIteration));
    EXPECT_EQ(FindParameter("regular.BranchSetup3.AddAngle", error), ParameterId::Branch(1, 2, B::kAddAngle));
    EXPECT_EQ(FindParameter("leaves.LeafSetup2.Height", error), ParameterId::Leaf(1, LeafSetup::kHeight));
    EXPECT_EQ(FindParameter("complex.Gravity", error), ParameterId::Growth(2, G::kGravity));
    EXPECT_EQ(FindParameter("complex.GrowthSetup.Seed", error), ParameterId::Growth(2, G::kSeed));
    EXPECT_EQ(FindParameter("simple.CustomSetup.Cut", error), ParameterId::Simple(SimpleSetup::kCut));
    EXPECT_EQ(FindParameter("simple.BaseSetup.Cut", error), ParameterId::Base(0, BaseSetup::kCut));
    EXPECT_EQ(FindParameter("complex.BranchSetup20.UseTwist", error), ParameterId::Branch(2, 19, B::kValueCount + B::kUseTwist));
    // Every key names one parameter or says why not.
    for (const char* bad : {"simple.Cut", "simple.Foo", "tree.Iteration", "Iteration", "regular.BranchSetup21.Height",
                            "regular.BranchSetup0.Height", "simple.BranchSetup1.Height", "leaves.LeafSetup.Height",
                            "leaves.LeafSetup2.Bend", "regular.Balance", "a.b.c.d", "regular.BranchSetup3x.Height"}) {
        error.clear();
        EXPECT_FALSE(FindParameter(bad, error)) << bad;
        EXPECT_EQ(error.rfind(bad, 0), 0u) << error;
    }
}

TEST(Growth, GravityNeverPullsAShootIntoTheGround) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        const auto tree = SampleTree(g);
        // A low trunk with long, thin shoots that gravity would take far below the ground.
        tree->Base().SetHeight(40);
        if (g == 0) tree->Base().SetHeightReduction(100), tree->Base().SetDiameter(2);
        if (g > 0)
            for (int page = 0; page < 3; ++page) {
                static_cast<BranchTreeModel&>(*tree).Page(page).Set(B::kHeight, 400);
                static_cast<BranchTreeModel&>(*tree).Page(page).Set(B::kDiameter, 2);
            }
        SetGrowth(*tree, 9, 50, 40, -100, 4);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        double lowest = 0;
        int level = 0;  // pieces that reached the ground and run along it
        for (const auto& segments : skeleton)
            for (const BranchSegment& s : segments) {
                lowest = std::min(lowest, s.End().y);
                if (s.Piece() > 0 && s.Start().y == s.End().y && s.Length() > 0) ++level;
            }
        EXPECT_GE(lowest, 0.0);
        EXPECT_GT(level, 0);
    }
}
