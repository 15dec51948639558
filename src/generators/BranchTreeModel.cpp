#include "generators/BranchTreeModel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "generators/ShootGrowth.h"
#include "geometry/Rotation3.h"
#include "geometry/SkeletonLevels.h"
#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

// The golden angle: branches turn by it per parent level so that they spiral up.
constexpr double kGoldenAngle = 137.5;

std::array<BranchSetup, BranchTreeModel::kLevelCount> FreshPages(bool complex) {
    std::array<BranchSetup, BranchTreeModel::kLevelCount> pages;
    pages.fill(BranchSetup(complex));
    return pages;
}

// The level, created first (with any missing level below it) when it does not exist yet.
SkeletonLevels::Level& LevelAt(SkeletonLevels& skeleton, int level) {
    while (skeleton.LevelCount() <= static_cast<std::size_t>(level)) skeleton.AppendLevel();
    return skeleton[level];
}

// Whether a page takes a trunk piece (or a branch) of its levels as a parent:
// the complex generator's OnlyTrunc and TruncBranches choose, the regular
// generator takes every segment.
bool TakesAsParent(const BranchSetup& page, bool complex, bool trunkPiece) {
    if (!complex) return true;
    if (page.Get(BranchSetup::kOnlyTrunc)) return trunkPiece;
    return trunkPiece ? page.Get(BranchSetup::kTruncBranches) : true;
}

}  // namespace

BranchTreeModel::BranchTreeModel(bool complex)
    : complex_(complex), pages_(FreshPages(complex)), loaded_(FreshPages(complex)) {}

void BranchTreeModel::Reset() {
    pages_ = FreshPages(complex_);
    TreeGeneratorModel::Reset();
}

void BranchTreeModel::WriteCustomSetup(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kSectionIndent) + "<CustomSetup>");
    for (int level = 1; level <= kLevelCount; ++level) pages_[level - 1].Write(writer, level);
    writer.WriteLine(std::string(kSectionIndent) + "</CustomSetup>");
}

bool BranchTreeModel::ReadSetup(TGXMLFileReader& reader) {
    bool result = TreeGeneratorModel::ReadSetup(reader);
    for (int level = 1; level <= kLevelCount; ++level) {
        if (!EnterSection(reader, GetName(), "CustomSetup")) return false;
        if (!reader.EnterElement("BranchSetup" + FormatInt(level))) {
            reader.Rewind();
            return false;
        }
        result = loaded_[level - 1].ReadValues(reader, LoadedBase().Diameter()) && result;
        reader.Rewind();
    }
    return result;
}

void BranchTreeModel::ApplySetup() {
    TreeGeneratorModel::ApplySetup();
    pages_ = loaded_;
}

void BranchTreeModel::GrowBranches(SkeletonLevels& skeleton) const {
    const BaseSetup& base = Base();
    const int iteration = base.Iteration();
    const double heightFactor = base.HeightReduction() / 100.0;
    const double diameterFactor = base.DiameterReduction() / 100.0;
    const ShootGrowth shoots(Growth(), complex_ ? 2 : 1, diameterFactor);

    // The trunk chain: ExtendTo pieces, each continuing the last one's tip;
    // straight up unless the growth values vary or bend them. A varied piece
    // leans from the vertical, not from the piece below, and varies around the
    // design's length: a leader wanders but neither drifts nor shrinks.
    const int chain = std::min(base.ExtendTo(), iteration);
    const BranchSegment* tip = &skeleton[0].front();
    double belowLength = tip->Length(), belowDiameter = tip->Diameter();
    for (int j = 1; j <= chain; ++j) {
        const bool cut = j == chain && base.Cut();
        const double length = belowLength * heightFactor;
        const double diameter = belowDiameter * diameterFactor;
        Vector3D direction(0, 1, 0);
        double grown = length;
        if (shoots.Varies()) {
            const BranchVariation variation = shoots.Vary(shoots.Identity(0, j));
            grown *= variation.lengthFactor;
            const double lean = shoots.AngleOffset(variation.leanStep), side = 360.0 * variation.turnFraction;
            direction = Vector3D(SinDeg(lean) * CosDeg(side), CosDeg(lean), SinDeg(lean) * SinDeg(side));
        }
        tip = &shoots.AppendShoot(LevelAt(skeleton, j), tip->End(), direction, grown,
                                  {0.0, 0.0, 1.0, diameter, tip, cut});
        belowLength = shoots.Varies() ? length : BranchPieces(*tip).Length();
        belowDiameter = diameter;
    }
    // ExtendTo > 0 but no chain piece grown (Iteration 0): the trunk itself is the topmost piece.
    if (chain == 0 && base.Cut()) skeleton[0].front().SetCut(true);
    auto isTrunkPiece = [chain](int level, std::size_t branch) { return branch == 0 && level <= chain; };

    for (int k = 1; k <= std::min(iteration, kLevelCount); ++k) {
        const BranchSetup& page = pages_[k - 1];
        if (!page.Get(BranchSetup::kUseBranch)) continue;
        const int from = page.Get(BranchSetup::kAddFrom), to = page.Get(BranchSetup::kAddTo);

        // The parents exist before the page adds anything: its branches are never
        // its own parents. A parent is a whole branch, known by its last piece.
        struct Parent {
            const BranchSegment* end;
            int level;
            std::size_t branch;  // its place among its level's branches
        };
        std::vector<Parent> parents;
        for (int j = from; j <= to && j < static_cast<int>(skeleton.LevelCount()); ++j) {
            std::size_t branch = 0;
            for (const BranchSegment& segment : skeleton[j]) {
                if (!segment.IsBranchEnd()) continue;
                if (TakesAsParent(page, complex_, isTrunkPiece(j, branch))) parents.push_back({&segment, j, branch});
                ++branch;
            }
        }

        const double height = page.Get(BranchSetup::kHeight);
        const double lengthFactor = page.Get(BranchSetup::kHeightReduction) / 100.0;
        const double relative = page.Get(BranchSetup::kRelativAdd) / 100.0;
        const double addAngle = page.Get(BranchSetup::kAddAngle);
        const double turn = page.Get(BranchSetup::kOriAngle);
        const double diameter = page.Get(BranchSetup::kDiameter);
        const bool twist = complex_ && page.Get(BranchSetup::kUseTwist);
        const bool linked = relative == 1.0 && addAngle == 0.0;
        const bool cut = page.Get(BranchSetup::kCut);
        // Lean from the parent's axis by the add angle, then turn about it: the same
        // for every parent of one level, so composed once per level.
        std::vector<Vector3D> local(kLevelCount + 1);
        std::vector<double> turns(kLevelCount + 1);
        for (int j = 0; j <= kLevelCount; ++j) {
            turns[j] = twist ? std::fmod(turn + kGoldenAngle * j, 360.0) : turn;
            local[j] = Vector3D(1, 0, 0);
            local[j].RotateZ(addAngle).RotateX(turns[j]);
        }
        for (const Parent& p : parents) {
            const BranchPieces parent(*p.end);
            Vector3D attach;
            const BranchSegment& at = *parent.pieces[parent.PieceAt(relative, attach)];
            double length = (height >= 1 ? height : parent.Length()) * std::pow(lengthFactor, p.level);
            // Into the world as the mesh builder turns a segment's local +x axis.
            const Rotation3 toWorld = SegmentFrame(at.ObliqueAngle(), at.OrientationAngle());
            double lean = addAngle, branchTurn = turns[p.level];
            Vector3D direction;
            if (shoots.Varies()) {
                const BranchVariation variation = shoots.Vary(shoots.Identity(k, p.level, p.branch));
                length *= variation.lengthFactor;
                lean += shoots.AngleOffset(variation.leanStep);
                branchTurn += shoots.AngleOffset(variation.turnStep);
                Vector3D own(1, 0, 0);
                own.RotateZ(lean).RotateX(branchTurn);
                direction = toWorld * own;
            } else {
                direction = toWorld * local[p.level];
            }
            const double thickness =
                std::min(diameter, parent.First().Diameter() * (1.0 - (1.0 - diameterFactor) * relative));
            shoots.AppendShoot(LevelAt(skeleton, k), attach, direction, length,
                               {branchTurn, lean, 1.0, thickness, linked ? p.end : nullptr, cut});
        }
    }
}

void BranchTreeModel::CountBranches(SkeletonCounts& counts) const {
    const BaseSetup& base = Base();
    const int iteration = base.Iteration();
    const int chain = std::min(base.ExtendTo(), iteration);
    counts.perLevel.resize(chain + 1, 1);
    // The chain's top piece, or the trunk itself when there is no chain piece;
    // with ExtendTo 0 the base has counted the trunk's cap already.
    if (base.Cut() && base.ExtendTo() > 0) ++counts.cut;
    for (int k = 1; k <= std::min(iteration, kLevelCount); ++k) {
        const BranchSetup& page = pages_[k - 1];
        if (!page.Get(BranchSetup::kUseBranch)) continue;
        const int to = std::min<int>(page.Get(BranchSetup::kAddTo), static_cast<int>(counts.perLevel.size()) - 1);
        const bool onTrunk = TakesAsParent(page, complex_, true), onBranches = TakesAsParent(page, complex_, false);
        std::size_t parents = 0;
        for (int j = page.Get(BranchSetup::kAddFrom); j <= to; ++j) {
            const std::size_t trunk = j <= chain ? 1 : 0;
            if (onTrunk) parents += trunk;
            if (onBranches) parents += counts.perLevel[j] - trunk;
        }
        if (parents == 0) continue;
        if (counts.perLevel.size() <= static_cast<std::size_t>(k)) counts.perLevel.resize(k + 1, 0);
        counts.perLevel[k] += parents;
        if (page.Get(BranchSetup::kCut)) counts.cut += parents;
    }
}

}  // namespace grovewright
