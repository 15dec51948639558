// Thickness by the pipe rule: every branch as thick as what it carries.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestHelpers.h"
#include "generators/PipeRule.h"
#include "geometry/SkeletonLevels.h"

using namespace grovewright;
using G = GrowthSetup;
using B = BranchSetup;

namespace {

// A trunk with three limbs at its top and two whorls of side branches on
// each, bent in three pieces, so side branches sit inside pieces too.
std::unique_ptr<BranchTreeModel> Forked(int exponent, int flare) {
    std::unique_ptr<BranchTreeModel> tree = test::MakeBranchModel(false);
    tree->Base().SetIteration(2), tree->Base().SetHeight(300), tree->Base().SetDiameter(60);
    tree->Base().SetDiameterReduction(70);
    B& limbs = tree->Page(0);
    limbs.Set(B::kUseBranch, true), limbs.Set(B::kAddAngle, 40), limbs.Set(B::kHeight, 400), limbs.Set(B::kDiameter, 40);
    limbs.SetParameter(B::kLaterals, 3), limbs.SetParameter(B::kSpreadTo, 100), limbs.SetParameter(B::kDivergence, 120);
    B& sides = tree->Page(1);
    sides.Set(B::kUseBranch, true), sides.Set(B::kAddFrom, 1), sides.Set(B::kAddTo, 1), sides.Set(B::kAddAngle, 50);
    sides.Set(B::kRelativAdd, 30), sides.Set(B::kHeight, 150), sides.Set(B::kDiameter, 10);
    sides.SetParameter(B::kLaterals, 4), sides.SetParameter(B::kSpreadTo, 90), sides.SetParameter(B::kDivergence, 137);
    G& growth = tree->Growth();
    EXPECT_TRUE(growth.SetParameter(G::kPipeRule, 1) && growth.SetParameter(G::kPipeExponent, exponent) &&
                growth.SetParameter(G::kBend, 3) && growth.SetParameter(G::kGravity, -30) &&
                growth.SetParameter(G::kFlareWidth, flare));
    return tree;
}

struct Piece {
    const BranchSegment* end;  // the branch's last piece
    std::vector<const BranchSegment*> pieces;
};

std::vector<Piece> Branches(const SkeletonLevels::Level& level) {
    std::vector<Piece> branches;
    for (const BranchSegment& s : level) {
        if (s.Piece() == 0) branches.push_back({nullptr, {}});
        branches.back().pieces.push_back(&s);
        if (s.IsBranchEnd()) branches.back().end = &s;
    }
    return branches;
}

bool OnAxis(const BranchSegment& piece, const Vector3D& p) {
    const Vector3D axis = piece.End() - piece.Start();
    const double t = Dot(p - piece.Start(), axis) / Dot(axis, axis);
    if (t < -1e-9 || t > 1 + 1e-9) return false;
    return Distance(piece.Start() + axis * t, p) < 1e-6;
}

double Tip(const Piece& branch) { return branch.end->Diameter() * branch.end->TipScale(); }

}  // namespace

TEST(PipeRule, CrossSectionsAddUpAtEveryForkAndLimbsThinTowardTheirTips) {
    for (const int exponent : {200, 250, 300}) {
        const auto tree = Forked(exponent, 0);
        SkeletonLevels skeleton;
        tree->Rebuild(skeleton);
        ASSERT_EQ(skeleton.LevelCount(), 3u);
        const double e = exponent / 100.0;
        const std::vector<Piece> trunk = Branches(skeleton[0]), limbs = Branches(skeleton[1]),
                                 sides = Branches(skeleton[2]);
        ASSERT_EQ(limbs.size(), 3u);
        ASSERT_EQ(sides.size(), 12u);
        // A side branch carries nothing: as thick at its start as at its tip.
        for (const Piece& side : sides) EXPECT_NEAR(side.pieces.front()->Diameter(), Tip(side), 1e-6);
        double limbSum = 0.0;
        for (const Piece& limb : limbs) {
            double carried = std::pow(Tip(limb), e);
            int children = 0;
            for (const Piece& side : sides)
                for (const BranchSegment* piece : limb.pieces)
                    if (OnAxis(*piece, side.pieces.front()->Start())) {
                        carried += std::pow(side.pieces.front()->Diameter(), e);
                        ++children;
                        break;
                    }
            EXPECT_EQ(children, 4);
            const double base = limb.pieces.front()->Diameter();
            EXPECT_NEAR(std::pow(base, e), carried, 1e-6 * carried) << "exponent " << e;
            limbSum += std::pow(base, e);
            // Each piece's tip is the next one's start, never thicker.
            for (std::size_t i = 0; i < limb.pieces.size(); ++i) {
                const double tip = limb.pieces[i]->Diameter() * limb.pieces[i]->TipScale();
                EXPECT_LE(tip, limb.pieces[i]->Diameter() * (1 + 1e-6));
                if (i + 1 < limb.pieces.size()) {
                    EXPECT_NEAR(tip, limb.pieces[i + 1]->Diameter(), 1e-6 * tip);
                }
            }
        }
        // The trunk carries the three limbs at its top, and its own tip as
        // thin as the thinnest of them: its top ring holds them all.
        ASSERT_EQ(trunk.size(), 1u);
        const double trunkBase = trunk[0].pieces.front()->Diameter();
        double thinnest = limbs[0].pieces.front()->Diameter();
        for (const Piece& limb : limbs) thinnest = std::fmin(thinnest, limb.pieces.front()->Diameter());
        EXPECT_NEAR(std::pow(trunkBase, e), limbSum + std::pow(thinnest, e), 1e-6 * limbSum);
        EXPECT_NEAR(Tip(trunk[0]), trunkBase, 1e-6 * trunkBase);
        EXPECT_GT(trunkBase, limbs[0].pieces.front()->Diameter());
    }
}

TEST(PipeRule, TheFlaredTrunkKeepsItsShapeAndTheDesignedTaperIsKeptWithoutIt) {
    const auto flared = Forked(250, 120);
    SkeletonLevels skeleton;
    flared->Rebuild(skeleton);
    G growth = flared->Growth();
    ASSERT_TRUE(growth.SetParameter(G::kPipeRule, 0));
    auto designed = test::MakeBranchModel(false);
    designed->Base() = flared->Base();
    for (int page = 0; page < 2; ++page) designed->Page(page) = flared->Page(page);
    designed->Growth() = growth;
    SkeletonLevels plain;
    designed->Rebuild(plain);
    ASSERT_EQ(skeleton[0].size(), plain[0].size());
    ASSERT_GT(skeleton[0].size(), 1u);
    // Every trunk piece scaled by one factor, their tip scales untouched.
    const double scale = skeleton[0].front().Diameter() / plain[0].front().Diameter();
    auto piece = plain[0].begin();
    for (const BranchSegment& s : skeleton[0]) {
        EXPECT_NEAR(s.Diameter(), piece->Diameter() * scale, 1e-9 * s.Diameter());
        EXPECT_EQ(s.TipScale(), piece->TipScale());
        ++piece;
    }
    // Without the pipe rule the pages' diameters are the designed ones.
    EXPECT_EQ(Branches(plain[1]).front().pieces.front()->Diameter(), 40.0);
    EXPECT_NE(Branches(skeleton[1]).front().pieces.front()->Diameter(), 40.0);
}
