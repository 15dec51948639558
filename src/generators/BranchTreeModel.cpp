#include "generators/BranchTreeModel.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

// Appends a segment to level, creating it (and any missing level below) first.
BranchSegment& AppendTo(SkeletonLevels& skeleton, int level, const Vector3D& start, const Vector3D& end,
                        double twist, double spread, double diameter, const BranchSegment* parent) {
    while (skeleton.LevelCount() <= static_cast<std::size_t>(level)) skeleton.AppendLevel();
    return skeleton[level].Append(start, end, twist, spread, 1.0, diameter, parent);
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

    // The trunk chain: ExtendTo pieces straight up, each continuing the last.
    const int chain = std::min(base.ExtendTo(), iteration);
    for (int j = 1; j <= chain; ++j) {
        const BranchSegment& below = skeleton[j - 1].front();
        Vector3D end = below.End();
        end.y += below.Length() * heightFactor;
        BranchSegment& piece = AppendTo(skeleton, j, below.End(), end, 0.0, 0.0, below.Diameter() * diameterFactor,
                                        &below);
        if (j == chain && base.Cut()) piece.SetCut(true);
    }
    // ExtendTo > 0 but no chain piece grown (Iteration 0): the trunk itself is the topmost piece.
    if (chain == 0 && base.Cut()) skeleton[0].front().SetCut(true);
    auto isTrunkPiece = [chain](int level, std::size_t index) { return index == 0 && level <= chain; };

    for (int k = 1; k <= std::min(iteration, kLevelCount); ++k) {
        const BranchSetup& page = pages_[k - 1];
        if (!page.Get(BranchSetup::kUseBranch)) continue;
        const int from = page.Get(BranchSetup::kAddFrom), to = page.Get(BranchSetup::kAddTo);

        // The parents exist before the page adds anything: its branches are never its own parents.
        struct Parent {
            const BranchSegment* segment;
            int level;
        };
        std::vector<Parent> parents;
        for (int j = from; j <= to && j < static_cast<int>(skeleton.LevelCount()); ++j) {
            std::size_t index = 0;
            for (const BranchSegment& segment : skeleton[j]) {
                if (!TakesAsParent(page, complex_, isTrunkPiece(j, index++))) continue;
                parents.push_back({&segment, j});
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
            const BranchSegment& parent = *p.segment;
            Vector3D attach = parent.End();
            attach.Subtract(parent.Start()).Scale(relative).Add(parent.Start());
            const double length = (height >= 1 ? height : parent.Length()) * std::pow(lengthFactor, p.level);
            // Into the world as the mesh builder turns a segment's local +x axis.
            const Rotation3 toWorld = SegmentFrame(parent.ObliqueAngle(), parent.OrientationAngle());
            Vector3D end = toWorld * local[p.level];
            end.Scale(length).Add(attach);
            const double thickness =
                std::min(diameter, parent.Diameter() * (1.0 - (1.0 - diameterFactor) * relative));
            BranchSegment& branch =
                AppendTo(skeleton, k, attach, end, turns[p.level], addAngle, thickness, linked ? &parent : nullptr);
            if (page.Get(BranchSetup::kCut)) branch.SetCut(true);
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
