// Tree forms: laterals per parent, the angle's change along it, crown shapes,
// pruning to the crown and pruning by chance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/SimpleTreeModel.h"
#include "generators/TrunkFoot.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"
#include "render/MeshBuilder.h"
#include "render/LevelsOfDetail.h"
#include "render/WindWeights.h"

using namespace grovewright;
using grovewright::test::GrownDesign;
using G = GrowthSetup;
using B = BranchSetup;

namespace {

// A 5 m trunk (optionally with a chain of pieces above it) and page 1 adding
// branches 3 m long straight out from the trunk pieces only.
std::unique_ptr<BranchTreeModel> TrunkWithLaterals(bool complex, int laterals, int chain = 0) {
    auto tree = grovewright::test::MakeBranchModel(complex);
    tree->Base().SetIteration(std::max(1, chain)), tree->Base().SetHeight(500), tree->Base().SetExtendTo(chain);
    tree->Base().SetHeightReduction(100), tree->Base().SetDiameter(40), tree->Base().SetDiameterReduction(80);
    B& page = tree->Page(chain == 0 ? 0 : chain - 1);
    page.Set(B::kUseBranch, true), page.Set(B::kOnlyTrunc, true), page.Set(B::kAddFrom, 0);
    page.Set(B::kAddTo, chain), page.Set(B::kHeight, 300), page.Set(B::kAddAngle, 90), page.Set(B::kDiameter, 8);
    page.SetParameter(B::kLaterals, laterals);
    return tree;
}

// The branches of a level (their last pieces), in growth order.
std::vector<const BranchSegment*> Branches(const SkeletonLevels& skeleton, std::size_t level) {
    std::vector<const BranchSegment*> ends;
    if (level < skeleton.LevelCount())
        for (const BranchSegment& s : skeleton[level])
            if (s.IsBranchEnd()) ends.push_back(&s);
    return ends;
}

// Every segment's end, level by level.
std::vector<double> Ends(const SkeletonLevels& skeleton) {
    std::vector<double> ends;
    for (const auto& level : skeleton) {
        ends.push_back(-1.0);  // the level's mark: levels of other sizes differ
        for (const BranchSegment& s : level) ends.insert(ends.end(), {s.End().x, s.End().y, s.End().z});
    }
    return ends;
}

double Degrees(double radians) { return radians * 180.0 / 3.14159265358979323846; }

// The angle of a straight branch from the vertical, degrees.
double FromVertical(const BranchSegment& s) {
    Vector3D d = s.End();
    d.Subtract(s.Start()).Normalize();
    return Degrees(std::acos(d.y));
}

// Grows the design and checks that the estimate counted every level's segments
// and every leaf exactly.
void ExpectExactEstimate(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves) {
    const GrownDesign grown(tree, leaves);
    const DesignSize size = MeasureDesign(tree, leaves);
    ASSERT_EQ(size.skeleton.perLevel.size(), grown.skeleton.LevelCount());
    for (std::size_t level = 0; level < grown.skeleton.LevelCount(); ++level)
        EXPECT_EQ(size.skeleton.perLevel[level], grown.skeleton[level].size()) << "level " << level;
    EXPECT_EQ(size.leaves.strips, grown.leaves[0].size());
    std::size_t cut = 0;
    for (const auto& level : grown.skeleton)
        for (const BranchSegment& s : level) cut += s.IsCut() ? 1 : 0;
    EXPECT_EQ(size.skeleton.cut, cut);
}

// Every side strip the mesh builder makes: its rings (in metres) and texture v.
struct RecordingSink : MeshSink {
    struct Strip {
        std::vector<Vector3D> bottom, top;
        double vBottom, vTop;
    };
    std::vector<Strip> strips;
    void Side(const SegmentRings& rings) override {
        strips.push_back({{rings.bottom, rings.bottom + rings.division}, {rings.top, rings.top + rings.division},
                          rings.vBottom, rings.vTop});
    }
    void Cap(const Vector3D&, const Vector3D*, const Vector3D&, int) override {}
};

// The tree of each generator, with a flare and roots.
std::unique_ptr<TreeGeneratorModel> FootedTree(int g) {
    std::unique_ptr<TreeGeneratorModel> tree;
    if (g == 0) {
        auto simple = std::make_unique<SimpleTreeModel>();
        simple->Base().SetIteration(4), simple->Base().SetHeight(400), simple->Custom().SetSpreadAngle(50);
        tree = std::move(simple);
    } else {
        tree = TrunkWithLaterals(g == 2, 8, 2);
    }
    tree->Base().SetDiameter(60), tree->Base().SetDiameterReduction(50), tree->Base().SetDivision(12);
    GrowthSetup& growth = tree->Growth();
    growth.SetParameter(G::kFlareWidth, 100), growth.SetParameter(G::kFlareHeight, 20);
    growth.SetParameter(G::kRoots, 7), growth.SetParameter(G::kRootLength, 250);
    growth.SetParameter(G::kRootDepth, 80), growth.SetParameter(G::kRootRise, 45);
    return tree;
}

LeafGeneratorModel OneLeafPerShoot() {
    LeafGeneratorModel leaves;
    leaves.Page(0).SetUseLeaf(true);
    leaves.Page(0).Set(LeafSetup::kHeight, 10), leaves.Page(0).Set(LeafSetup::kWidth, 5);
    leaves.Page(0).Set(LeafSetup::kRelativAddDownTo, 1);
    return leaves;
}

}  // namespace

TEST(TreeForm, LateralsSpreadAlongTheParentTurnByTheDivergenceAndAreCountedExactly) {
    for (bool complex : {false, true}) {
        SCOPED_TRACE(complex);
        auto tree = TrunkWithLaterals(complex, 12);
        B& page = tree->Page(0);
        page.Set(B::kRelativAdd, 20), page.SetParameter(B::kSpreadTo, 90), page.SetParameter(B::kDivergence, 90);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        const auto laterals = Branches(skeleton, 1);
        ASSERT_EQ(laterals.size(), 12u);
        for (std::size_t i = 0; i < laterals.size(); ++i) {
            // From 1 m up to 4.5 m in equal steps, each a quarter turn from the last.
            EXPECT_NEAR(laterals[i]->Start().y, 100.0 + 350.0 * i / 11.0, 1e-9) << i;
            EXPECT_NEAR(laterals[i]->Length(), 300.0, 1e-9);
            if (i == 0) continue;
            const double turn = std::remainder(laterals[i]->OrientationAngle() - laterals[i - 1]->OrientationAngle(), 360.0);
            EXPECT_NEAR(std::abs(turn), 90.0, 1e-6) << i;
        }

        // A second page puts 5 laterals on each of them: 60 twigs, and one leaf per shoot on both levels.
        B& twigs = tree->Page(1);
        tree->Base().SetIteration(2);
        twigs.Set(B::kUseBranch, true), twigs.Set(B::kOnlyTrunc, false), twigs.Set(B::kAddFrom, 1);
        twigs.Set(B::kAddTo, 1), twigs.Set(B::kRelativAdd, 10), twigs.Set(B::kAddAngle, 45), twigs.Set(B::kHeight, 50);
        twigs.SetParameter(B::kLaterals, 5), twigs.Set(B::kCut, true);
        tree->Rebuild(skeleton);
        EXPECT_EQ(Branches(skeleton, 2).size(), 60u);
        ExpectExactEstimate(*tree, OneLeafPerShoot());
        // Bent into pieces, the counts still hold.
        tree->Growth().SetParameter(G::kBend, 3), tree->Growth().SetParameter(G::kGravity, -40);
        ExpectExactEstimate(*tree, OneLeafPerShoot());
    }
}

TEST(TreeForm, OneLateralGrowsTheBranchOfBeforeWhateverItsSpreadAndTurn) {
    // The form values other than Laterals mean nothing for a single lateral.
    auto plain = TrunkWithLaterals(true, 1, 3);
    auto other = TrunkWithLaterals(true, 1, 3);
    for (auto* tree : {plain.get(), other.get()}) {
        tree->Growth().SetParameter(G::kLengthVariation, 30), tree->Growth().SetParameter(G::kAngleVariation, 20);
        tree->Growth().SetParameter(G::kSeed, 77);
    }
    other->Page(2).SetParameter(B::kSpreadTo, 10), other->Page(2).SetParameter(B::kDivergence, 300);
    SkeletonLevels a, b;
    plain->Rebuild(a), other->Rebuild(b);
    ASSERT_EQ(a.SegmentCount(), b.SegmentCount());
    for (std::size_t level = 0; level < a.LevelCount(); ++level) {
        auto x = a[level].begin();
        for (const BranchSegment& s : b[level]) {
            EXPECT_EQ(s.End().x, x->End().x);
            EXPECT_EQ(s.End().y, x->End().y);
            ++x;
        }
    }
}

TEST(TreeForm, TheAngleChangesFromTheWholeTrunksFootToItsTop) {
    // Three trunk pieces (the trunk and a chain of two), three laterals each from
    // 0 to 1 of the piece: the lean goes from 80 degrees at the foot toward 80 - 60
    // at the top, by the place on the whole trunk, not on the piece.
    auto tree = TrunkWithLaterals(false, 3, 2);
    B& page = tree->Page(1);
    page.Set(B::kRelativAdd, 0), page.SetParameter(B::kSpreadTo, 100), page.Set(B::kAddAngle, 80);
    page.SetParameter(B::kAngleChange, -60);
    SkeletonLevels skeleton;
    tree->Rebuild(skeleton);
    // Level 2 holds the chain's top piece first, then the laterals.
    auto laterals = Branches(skeleton, 2);
    ASSERT_EQ(laterals.size(), 10u);
    laterals.erase(laterals.begin());
    const double top = skeleton[2].front().End().y;
    ASSERT_NEAR(top, 1500.0, 1e-9);
    for (const BranchSegment* lateral : laterals)
        EXPECT_NEAR(FromVertical(*lateral), 80.0 - 60.0 * lateral->Start().y / top, 1e-4) << lateral->Start().y;

    // On a branch, the place is along the branch itself.
    auto twigs = TrunkWithLaterals(false, 1);
    twigs->Base().SetIteration(2);
    B& second = twigs->Page(1);
    second.Set(B::kUseBranch, true), second.Set(B::kAddFrom, 1), second.Set(B::kAddTo, 1), second.Set(B::kHeight, 40);
    second.Set(B::kRelativAdd, 0), second.Set(B::kAddAngle, 30), second.SetParameter(B::kLaterals, 2);
    second.SetParameter(B::kAngleChange, 40), second.SetParameter(B::kDivergence, 0);
    twigs->Rebuild(skeleton);
    const auto onBranch = Branches(skeleton, 2);
    ASSERT_EQ(onBranch.size(), 2u);
    auto leanFromParent = [&](const BranchSegment& s) {
        Vector3D d = s.End(), p = Branches(skeleton, 1).front()->End();
        d.Subtract(s.Start()).Normalize();
        p.Subtract(Branches(skeleton, 1).front()->Start()).Normalize();
        return Degrees(std::acos(Dot(d, p)));
    };
    EXPECT_NEAR(leanFromParent(*onBranch[0]), 30.0, 1e-4);
    EXPECT_NEAR(leanFromParent(*onBranch[1]), 70.0, 1e-4);
}

TEST(TreeForm, CrownShapesScaleTheTrunksBranchesByTheirHeight) {
    // Eleven laterals from the foot to the top of the crown, which begins at half
    // the trunk's height: below it every branch is as long as at its foot.
    struct Expected {
        int shape;
        double top, middle, foot;  // length shares at depth 0, 0.5 and 1 of the crown
    };
    const double pi = 3.14159265358979323846;
    const Expected shapes[] = {{G::kCylindrical, 1, 1, 1},
                               {G::kConical, 0.2, 0.6, 1},
                               {G::kSpherical, 0.2, 1, 0.2},
                               {G::kHemispherical, 0.2, 0.2 + 0.8 * std::sin(pi / 4), 1},
                               {G::kTaperedCylindrical, 0.5, 0.75, 1},
                               {G::kFlame, 0, 0.5 / 0.7, 0},
                               {G::kInverseConical, 1, 0.6, 0.2},
                               {G::kTendFlame, 0.5, 0.5 + 0.25 / 0.7, 0.5},
                               {G::kUmbrella, 1, 0.2 + 0.8 * std::sqrt(0.75), 0.2}};
    for (const Expected& e : shapes) {
        SCOPED_TRACE(e.shape);
        auto tree = TrunkWithLaterals(false, 21);
        tree->Page(0).Set(B::kRelativAdd, 0);
        tree->Growth().SetParameter(G::kCrownShape, e.shape), tree->Growth().SetParameter(G::kCrownBase, 50);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        const auto laterals = Branches(skeleton, 1);
        ASSERT_EQ(laterals.size(), 21u);
        for (int i = 0; i <= 10; ++i) EXPECT_NEAR(laterals[i]->Length(), 300.0 * e.foot, 1e-9) << i;
        EXPECT_NEAR(laterals[15]->Length(), 300.0 * e.middle, 1e-9);
        EXPECT_NEAR(laterals[20]->Length(), 300.0 * e.top, 1e-9);
    }
    // The crown shapes only the trunk's own branches: twigs keep their length.
    auto tree = TrunkWithLaterals(false, 4);
    tree->Base().SetIteration(2);
    B& twigs = tree->Page(1);
    twigs.Set(B::kUseBranch, true), twigs.Set(B::kAddFrom, 1), twigs.Set(B::kAddTo, 1), twigs.Set(B::kHeight, 40);
    tree->Growth().SetParameter(G::kCrownShape, G::kConical);
    SkeletonLevels skeleton;
    tree->Rebuild(skeleton);
    for (const BranchSegment* twig : Branches(skeleton, 2)) EXPECT_NEAR(twig->Length(), 40.0, 1e-9);
}

TEST(TreeForm, PruningToTheCrownShortensWhatWouldLeaveItAndKeepsTheRest) {
    auto tree = TrunkWithLaterals(false, 30);
    tree->Page(0).Set(B::kRelativAdd, 0), tree->Page(0).Set(B::kAddAngle, 60);
    tree->Growth().SetParameter(G::kCrownShape, G::kConical);
    SkeletonLevels free;
    tree->Rebuild(free);
    // The widest radius 40 % of the 5 m trunk: 2 m at the foot, 0.4 m at the top.
    tree->Growth().SetParameter(G::kCrownWidth, 40);
    SkeletonLevels pruned;
    tree->Rebuild(pruned);
    const auto before = Branches(free, 1), after = Branches(pruned, 1);
    ASSERT_EQ(after.size(), before.size());
    int shortened = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Vector3D& tip = after[i]->End();
        const double depth = (500.0 - tip.y) / 500.0;
        const double radius = 200.0 * G::CrownEnvelope(G::kConical, depth);
        const bool least = std::abs(after[i]->Length() - 0.1 * before[i]->Length()) < 1e-9;
        EXPECT_TRUE(least || std::hypot(tip.x, tip.z) <= radius + 1e-6) << i;
        EXPECT_LE(after[i]->Length(), before[i]->Length() + 1e-9);
        if (after[i]->Length() < before[i]->Length() - 1e-6) {
            ++shortened;
            // Shortened to the envelope itself, not further.
            if (!least) {
                EXPECT_NEAR(std::hypot(tip.x, tip.z), radius, 1e-3) << i;
            }
        }
    }
    EXPECT_GT(shortened, 20);

    // An umbrella's crown ends at the trunk's top: branches rising at 30 degrees
    // from its upper half stop there, so the crown is flat; lower ones reach
    // out as far as the envelope lets them.
    tree->Page(0).Set(B::kAddAngle, 30);
    tree->Growth().SetParameter(G::kCrownShape, G::kUmbrella), tree->Growth().SetParameter(G::kCrownWidth, 100);
    SkeletonLevels umbrella;
    tree->Rebuild(umbrella);
    int atTheTop = 0;
    for (const BranchSegment* branch : Branches(umbrella, 1)) {
        // Those that start right below the top keep their least tenth.
        EXPECT_TRUE(branch->End().y <= 500.0 + 1e-3 || branch->Length() <= 30.0 + 1e-9) << branch->Length();
        if (std::abs(branch->End().y - 500.0) < 1.0) ++atTheTop;
    }
    EXPECT_GT(atTheTop, 5);
}

TEST(TreeForm, PruningLeavesOutItsShareSoSeedsDifferInStructureAndTheEstimateStaysExact) {
    // Regular and complex: 40 limbs on the trunk, 6 twigs on each; simple: a
    // fork tree of 9 levels. Over 30 seeds the share of branches drawn that are
    // left out is near the value; the counts differ from seed to seed.
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        std::unique_ptr<TreeGeneratorModel> tree;
        if (g == 0) {
            auto simple = std::make_unique<SimpleTreeModel>();
            simple->Base().SetIteration(9), simple->Base().SetHeight(300);
            simple->Custom().SetSpreadAngle(60), simple->Custom().SetCut(true);
            tree = std::move(simple);
        } else {
            auto branches = TrunkWithLaterals(g == 2, 40);
            branches->Base().SetIteration(2);
            B& twigs = branches->Page(1);
            twigs.Set(B::kUseBranch, true), twigs.Set(B::kOnlyTrunc, false), twigs.Set(B::kAddFrom, 1);
            twigs.Set(B::kAddTo, 1), twigs.Set(B::kHeight, 40), twigs.SetParameter(B::kLaterals, 6);
            twigs.Set(B::kCut, true);
            tree = std::move(branches);
        }
        tree->Growth().SetParameter(G::kPruning, 30);
        std::size_t drawn = 0, kept = 0;
        std::set<std::size_t> totals;
        for (int seed = 0; seed < 30; ++seed) {
            tree->Growth().SetParameter(G::kSeed, seed);
            SkeletonLevels skeleton;
            tree->Rebuild(skeleton);
            // Every branch kept on one level was drawn with its siblings from the one below.
            for (std::size_t level = 1; level < skeleton.LevelCount(); ++level) {
                const std::size_t parents = level == 1 ? 1 : skeleton[level - 1].size();
                drawn += parents * (g == 0 ? 2 : level == 1 ? 40 : 6);
                kept += skeleton[level].size();
            }
            totals.insert(skeleton.SegmentCount());
            if (seed % 10 == 0) {
                ExpectExactEstimate(*tree, OneLeafPerShoot());
                // The same seed grows the same tree.
                SkeletonLevels again;
                tree->Rebuild(again);
                EXPECT_EQ(Ends(again), Ends(skeleton));
            }
        }
        EXPECT_NEAR(1.0 - static_cast<double>(kept) / drawn, 0.30, 0.03);
        EXPECT_GT(totals.size(), 10u);
    }
}

TEST(TreeForm, ValuesAtTheirExtremesGrowFiniteTreesCountedExactly) {
    for (bool complex : {false, true}) {
        for (int corner = 0; corner < 8; ++corner) {
            SCOPED_TRACE(std::to_string(complex) + " corner " + std::to_string(corner));
            auto tree = TrunkWithLaterals(complex, corner & 1 ? 64 : 2, 2);
            tree->Base().SetIteration(3);
            B& twigs = tree->Page(2);
            twigs.Set(B::kUseBranch, true), twigs.Set(B::kTruncBranches, true), twigs.Set(B::kAddFrom, 0);
            twigs.Set(B::kAddTo, 2), twigs.SetParameter(B::kLaterals, corner & 2 ? 64 : 1);
            twigs.SetParameter(B::kAngleChange, corner & 4 ? 90 : -90), twigs.Set(B::kRelativAdd, 0);
            GrowthSetup& growth = tree->Growth();
            growth.SetParameter(G::kPruning, corner & 2 ? 90 : 0);
            growth.SetParameter(G::kCrownShape, corner % G::kCrownCount), growth.SetParameter(G::kCrownBase, 95);
            growth.SetParameter(G::kCrownWidth, corner & 4 ? 1 : 200);
            growth.SetParameter(G::kGravity, corner & 1 ? -100 : 100), growth.SetParameter(G::kBend, 8);
            growth.SetParameter(G::kAngleVariation, 90), growth.SetParameter(G::kLengthVariation, 100);
            growth.SetParameter(G::kFlareWidth, corner & 1 ? 300 : 1), growth.SetParameter(G::kFlareHeight, corner & 2 ? 1 : 100);
            growth.SetParameter(G::kRoots, corner & 4 ? 32 : 1), growth.SetParameter(G::kRootLength, corner & 1 ? 2000 : 10);
            growth.SetParameter(G::kRootDepth, corner & 2 ? 500 : 0), growth.SetParameter(G::kRootRise, corner & 4 ? 300 : 0);
            const GrownDesign grown(*tree, OneLeafPerShoot());
            for (const auto& level : grown.skeleton)
                for (const BranchSegment& s : level)
                    ASSERT_TRUE(std::isfinite(s.End().x) && std::isfinite(s.End().y) && std::isfinite(s.End().z) &&
                                std::isfinite(s.Diameter()));
            for (const BranchSegment& root : grown.skeleton.Roots())
                ASSERT_TRUE(std::isfinite(root.End().y) && std::isfinite(root.TipScale()));
            ExpectExactEstimate(*tree, OneLeafPerShoot());
            const auto texts = grovewright::test::ExportWithLeaves(grown);
            EXPECT_EQ(texts.directX.find("nan"), std::string::npos);
            EXPECT_EQ(texts.dxf.find("nan"), std::string::npos);
        }
    }
}

TEST(TreeForm, FormValuesAreWrittenOnlyWhenSetAndReadBackPageByPage) {
    RegularTreeModel tree;
    tree.Base().SetIteration(3);
    tree.Page(0).Set(B::kUseBranch, true);
    const std::string plain = grovewright::test::WrittenProject([&](TGXMLFileWriter& w) { tree.WriteSetup(w); });
    EXPECT_EQ(plain.find("BranchForms"), std::string::npos);
    EXPECT_EQ(plain.find("Crown"), std::string::npos);
    // Page 1 and page 10 apart: "<Form1" also begins "<Form10>".
    tree.Page(9).SetParameter(B::kLaterals, 12), tree.Page(0).SetParameter(B::kAngleChange, -30);
    tree.Growth().SetParameter(G::kCrownShape, G::kFlame);
    const std::string formed = grovewright::test::WrittenProject([&](TGXMLFileWriter& w) { tree.WriteSetup(w); });
    const auto custom = formed.find("      </CustomSetup>\n"), forms = formed.find("      <BranchForms>\n");
    ASSERT_NE(forms, std::string::npos);
    EXPECT_EQ(custom + std::string("      </CustomSetup>\n").size(), forms);
    EXPECT_NE(formed.find("         <Form10>\n            <Laterals>12</Laterals>\n"), std::string::npos);
    EXPECT_EQ(formed.find("<Form2>"), std::string::npos);
    EXPECT_NE(formed.find("<CrownShape>5</CrownShape>"), std::string::npos);

    RegularTreeModel loaded;
    loaded.Page(4).SetParameter(B::kLaterals, 3);  // not in the file: back to its default
    ASSERT_TRUE(grovewright::test::ReadProject(formed, [&](TGXMLFileReader& r) { return loaded.ReadSetup(r); }));
    loaded.ApplySetup();
    for (int page = 0; page < BranchTreeModel::kLevelCount; ++page) EXPECT_EQ(loaded.Page(page), tree.Page(page)) << page;
    EXPECT_EQ(loaded.Growth(), tree.Growth());
    EXPECT_EQ(grovewright::test::WrittenProject([&](TGXMLFileWriter& w) { loaded.WriteSetup(w); }), formed);

    // A value out of range is refused and named as unread; the others load.
    std::string bad = formed;
    bad.replace(bad.find("<Laterals>12<"), 13, "<Laterals>65<");
    RegularTreeModel refused;
    EXPECT_FALSE(grovewright::test::ReadProject(bad, [&](TGXMLFileReader& r) { return refused.ReadSetup(r); }));
    refused.ApplySetup();
    EXPECT_EQ(refused.Page(0).GetParameter(B::kAngleChange), -30);
}

TEST(TreeForm, AFlareWidensTheFootAsSetWithRingsThatMeetAndBarkThatRunsOn) {
    const double pi = 3.14159265358979323846;
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        auto tree = FootedTree(g);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        const auto& trunk = skeleton[0];
        ASSERT_EQ(trunk.size(), static_cast<std::size_t>(kFlarePieces + 1));
        // Twice as wide at the ground; at the flare's top (a fifth of 4 m up) as
        // the plain taper from 60 cm to 30 cm says.
        EXPECT_DOUBLE_EQ(trunk.front().Diameter(), 120.0);
        const BranchSegment* last = nullptr;
        double y = 0.0;
        for (const BranchSegment& piece : trunk) {
            EXPECT_DOUBLE_EQ(piece.Start().y, y);
            if (last) {
                EXPECT_NEAR(last->Diameter() * last->TipScale(), piece.Diameter(), 1e-4);
            }
            y = piece.End().y;
            last = &piece;
        }
        EXPECT_DOUBLE_EQ(y, tree->Base().Height());
        EXPECT_NEAR(last->Diameter(), 60.0 * (1.0 - 0.5 * 0.2), 1e-9);
        EXPECT_NEAR(last->Diameter() * last->TipScale(), 30.0, 1e-4);

        // The mesh: the foot's ring encloses the area of a 1.2 m circle (as a
        // 12-gon), the bark's v climbs from 0 to 1 over the trunk without a jump.
        RecordingSink sink;
        LeafStore noLeaves;
        TreeViewParameters view;
        view.Take(tree->Base());
        MeshBuilder builder(skeleton, noLeaves, view);
        const int triangles = builder.BuildTree(sink, false);
        EXPECT_EQ(static_cast<std::size_t>(triangles), MeasureDesign(*tree, LeafGeneratorModel()).treeTriangles);
        const auto& foot = sink.strips.front().bottom;
        double area = 0.0;
        for (std::size_t l = 0; l < foot.size(); ++l) {
            const Vector3D& a = foot[l];
            const Vector3D& b = foot[(l + 1) % foot.size()];
            area += 0.5 * (a.x * b.z - b.x * a.z);
        }
        EXPECT_NEAR(std::abs(area), 6.0 * 0.6 * 0.6 * std::sin(2.0 * pi / 12.0), 1e-5);
        EXPECT_EQ(sink.strips.front().vBottom, 0.0);
        for (int i = 1; i <= kFlarePieces; ++i) EXPECT_DOUBLE_EQ(sink.strips[i].vBottom, sink.strips[i - 1].vTop);
        EXPECT_DOUBLE_EQ(sink.strips[kFlarePieces].vTop, 1.0);
        // Above the trunk the bark is as it was: 0 to 1 on every piece.
        EXPECT_EQ(sink.strips[kFlarePieces + 1].vBottom, 0.0);
        EXPECT_EQ(sink.strips[kFlarePieces + 1].vTop, 1.0);

        // Branches sit where they sat on the plain trunk.
        auto plain = FootedTree(g);
        plain->Growth().SetParameter(G::kFlareWidth, 0), plain->Growth().SetParameter(G::kRoots, 0);
        SkeletonLevels plainSkeleton;
        plain->Rebuild(plainSkeleton);
        ASSERT_EQ(plainSkeleton.LevelCount(), skeleton.LevelCount());
        for (std::size_t level = 1; level < skeleton.LevelCount(); ++level) {
            ASSERT_EQ(plainSkeleton[level].size(), skeleton[level].size());
            auto other = plainSkeleton[level].begin();
            for (const BranchSegment& s : skeleton[level]) {
                EXPECT_NEAR(s.Start().y, other->Start().y, 1e-9);
                EXPECT_NEAR(s.End().x, other->End().x, 1e-9);
                ++other;
            }
        }
    }
}

TEST(TreeForm, RootsSpreadAroundTheFootSinkToTheirDepthAndNeverRiseAboveTheButtress) {
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        auto tree = FootedTree(g);
        const LeafGeneratorModel leaves = OneLeafPerShoot();
        const GrownDesign grown(*tree, leaves);
        const auto& roots = grown.skeleton.Roots();
        ASSERT_EQ(roots.size(), 7u * kRootPieces);
        ExpectExactEstimate(*tree, leaves);
        // No leaf grows on a root.
        for (const LeafGeneratorModel::Place& place : leaves.Places(grown.skeleton))
            for (const BranchSegment& root : roots) ASSERT_NE(place.branchEnd, &root);

        std::vector<double> turns;
        double lastHeight = 0.0;
        for (const BranchSegment& piece : roots) {
            if (piece.Piece() == 0) {
                EXPECT_NEAR(std::hypot(piece.Start().x, piece.Start().z), 0.0, 1e-9);
                turns.push_back(std::atan2(piece.End().z, piece.End().x));
            } else {
                // Down or level, never back up.
                EXPECT_LE(piece.End().y, lastHeight + 1e-9);
            }
            // The top of the root's rings stays at or below the buttress.
            const double radius = 0.5 * piece.Diameter();
            EXPECT_LE(piece.Start().y + radius, 45.0 + 1e-9);
            EXPECT_LE(piece.End().y + radius * piece.TipScale(), 45.0 + 1e-9);
            lastHeight = piece.End().y;
            if (piece.IsBranchEnd()) {
                EXPECT_NEAR(piece.End().y, -80.0, 1e-9);
                const double reach = std::hypot(piece.End().x, piece.End().z);
                EXPECT_GE(reach, 0.75 * 250.0 - 1e-9);
                EXPECT_LE(reach, 1.25 * 250.0 + 1e-9);
            }
        }
        // All the way around, none two on one side.
        std::sort(turns.begin(), turns.end());
        for (std::size_t r = 0; r < turns.size(); ++r) {
            const double gap = r + 1 < turns.size() ? turns[r + 1] - turns[r] : turns[0] + 2 * 3.14159265358979 - turns[r];
            EXPECT_GT(gap, 0.4 * 2 * 3.14159265358979 / 7) << r;
        }

        // The mesh: no ring vertex of a root above the buttress (0.45 m); the roots
        // are the last strips and hold still in the wind.
        RecordingSink sink;
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        builder.BuildTree(sink, false);
        ASSERT_GE(sink.strips.size(), roots.size());
        const WindWeights wind(grown.skeleton, leaves.Places(grown.skeleton));
        for (std::size_t i = sink.strips.size() - roots.size(); i < sink.strips.size(); ++i) {
            for (const auto* ring : {&sink.strips[i].bottom, &sink.strips[i].top})
                for (const Vector3D& v : *ring) EXPECT_LE(v.y, 0.45 + 1e-6);
            EXPECT_EQ(wind.Side(i).bottom, 0.0f);
            EXPECT_EQ(wind.Side(i).top, 0.0f);
        }
        EXPECT_GT(wind.Side(sink.strips.size() - roots.size() - 1).top, 0.0f);

        // The levels of detail keep the roots, held still below the ground.
        const LevelsOfDetail levels(grown.skeleton, grown.leaves, grown.view, leaves.Places(grown.skeleton), true);
        for (int level = 0; level < 2; ++level) {
            TreeModel model;
            levels.Build(level, model, true);
            int below = 0;
            for (std::size_t v = 0; v < model.bark.positions.size() / 3; ++v) {
                if (model.bark.positions[3 * v + 1] > -0.01f) continue;
                ++below;
                EXPECT_EQ(model.bark.wind[4 * v], 0.0f);
                EXPECT_EQ(model.bark.wind[4 * v + 1], 0.0f);  // the branch weight
            }
            EXPECT_GT(below, 0) << "level " << level;
        }
    }
}

TEST(TreeForm, SeedsTurnAndLengthenEachRootTheirOwnWay) {
    auto tree = FootedTree(1);
    SkeletonLevels a, b;
    tree->Rebuild(a);
    tree->Growth().SetParameter(G::kSeed, 1);
    tree->Rebuild(b);
    ASSERT_EQ(a.Roots().size(), b.Roots().size());
    int moved = 0;
    auto tipB = b.Roots().begin();
    for (const BranchSegment& tip : a.Roots()) {
        if (tip.IsBranchEnd() && (tip.End().x != tipB->End().x || tip.End().z != tipB->End().z)) ++moved;
        ++tipB;
    }
    EXPECT_EQ(moved, 7);
}

TEST(TreeForm, APageOfManyBranchesGrowsOnSeveralThreadsAsOnOne) {
    // Bent, varied laterals with roots and pruning: every segment, its piece and
    // its parent (by place in the skeleton) the same either way.
    auto tree = TrunkWithLaterals(true, 64, 2);
    tree->Base().SetIteration(3);
    B& twigs = tree->Page(2);
    twigs.Set(B::kUseBranch, true), twigs.Set(B::kOnlyTrunc, false), twigs.Set(B::kAddFrom, 1), twigs.Set(B::kAddTo, 2);
    twigs.Set(B::kHeight, 60), twigs.SetParameter(B::kLaterals, 40), twigs.Set(B::kRelativAdd, 10);
    GrowthSetup& growth = tree->Growth();
    growth.SetParameter(G::kBend, 3), growth.SetParameter(G::kGravity, -40), growth.SetParameter(G::kPruning, 20);
    growth.SetParameter(G::kAngleVariation, 20), growth.SetParameter(G::kLengthVariation, 30);
    auto grow = [&](std::size_t parallel, SkeletonLevels& skeleton) {
        BranchTreeModel::SetParallelBranches(parallel);
        tree->Rebuild(skeleton);
        BranchTreeModel::SetParallelBranches(BranchTreeModel::kParallelBranches);
    };
    SkeletonLevels serial, parallel;
    grow(static_cast<std::size_t>(-1), serial);
    grow(1, parallel);
    ASSERT_GT(serial[3].size(), 4096u);
    EXPECT_EQ(Ends(parallel), Ends(serial));
    auto structure = [](const SkeletonLevels& skeleton) {
        std::vector<std::string> pieces;
        for (const auto& level : skeleton) {
            const BranchSegment* previous = nullptr;
            for (const BranchSegment& s : level) {
                const bool continues = s.Piece() > 0;
                pieces.push_back(std::to_string(s.Piece()) + "/" + std::to_string(s.Pieces()) +
                                 (continues ? (s.Parent() == previous ? " after" : " lost") : "") +
                                 (s.IsCut() ? " cut" : ""));
                previous = &s;
            }
        }
        return pieces;
    };
    const auto pieces = structure(parallel);
    EXPECT_EQ(pieces, structure(serial));
    EXPECT_EQ(std::count_if(pieces.begin(), pieces.end(), [](const std::string& p) { return p.find("lost") != std::string::npos; }), 0);
}
