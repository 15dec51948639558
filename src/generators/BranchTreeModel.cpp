#include "generators/BranchTreeModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "generators/CrownGrowth.h"
#include "generators/GrowthStop.h"
#include "generators/ParallelRuns.h"
#include "generators/PipeRule.h"
#include "generators/ShootGrowth.h"
#include "geometry/Rotation3.h"
#include "geometry/SkeletonLevels.h"
#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

std::size_t BranchTreeModel::parallelBranches_ = BranchTreeModel::kParallelBranches;

namespace {

// The golden angle: branches turn by it per parent level so that they spiral up.
constexpr double kGoldenAngle = 137.5;

// The generator's element that holds the pages' form values.
constexpr const char* kFormsElement = "BranchForms";

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
    if (std::all_of(pages_.begin(), pages_.end(), [](const BranchSetup& page) { return page.PlainForm(); })) return;
    writer.WriteLine(std::string(kSectionIndent) + "<" + kFormsElement + ">");
    for (int level = 1; level <= kLevelCount; ++level) pages_[level - 1].WriteForm(writer, level);
    writer.WriteLine(std::string(kSectionIndent) + "</" + kFormsElement + ">");
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
        // A section without form values has them at their defaults.
        if (EnterSection(reader, GetName(), kFormsElement)) {
            result = loaded_[level - 1].ReadForm(reader, level) && result;
            reader.Rewind();
        } else {
            loaded_[level - 1].ResetForm();
        }
    }
    return result;
}

void BranchTreeModel::ApplySetup() {
    TreeGeneratorModel::ApplySetup();
    pages_ = loaded_;
}

namespace {

// The laterals of a page are spread from RelativAdd to SpreadTo, turned by the
// divergence one from the next.
double LateralAlong(const BranchSetup& page, int lateral) {
    const double relative = page.Get(BranchSetup::kRelativAdd) / 100.0;
    const int count = page.GetParameter(BranchSetup::kLaterals);
    if (count == 1) return relative;
    const double to = page.GetParameter(BranchSetup::kSpreadTo) / 100.0;
    return relative + (to - relative) * lateral / (count - 1);
}

// The trunk's own pieces (the trunk and the ExtendTo chain) by level: where each
// begins along the whole trunk, as a share of its length, and its share.
struct TrunkShares {
    std::vector<double> start, share;
    // The place along the whole trunk of the point at along on piece level.
    double Along(int level, double along) const { return start[level] + share[level] * along; }
};

// Shortens length so that a straight branch from start along direction stays
// inside the crown's envelope; a tenth of it is always kept.
double PruneToEnvelope(const Vector3D& start, const Vector3D& direction, double length, const CrownVolume& crown) {
    auto inside = [&](double t) { return crown.Contains(start + direction * t); };
    if (inside(length)) return length;
    const double least = 0.1 * length;
    if (!inside(least)) return least;
    double in = least, out = length;
    for (int step = 0; step < 24; ++step) {
        const double middle = 0.5 * (in + out);
        (inside(middle) ? in : out) = middle;
    }
    return in;
}

// Appends copies of from's segments to to, in order: a piece after the first
// continues the copy before it, a first piece keeps its parent.
void AppendCopies(const SkeletonLevels::Level& from, SkeletonLevels::Level& to) {
    const BranchSegment* previous = nullptr;
    for (const BranchSegment& segment : from) {
        const BranchSegment* parent = segment.Piece() > 0 ? previous : segment.Parent();
        BranchSegment& copy = to.Append(segment.Start(), segment.End(), segment.Twist(), segment.Spread(),
                                        segment.Share(), segment.Diameter(), parent);
        copy.SetPiece(segment.Piece(), segment.Pieces());
        copy.SetCut(segment.IsCut());
        copy.SetTipScale(segment.TipScale());
        copy.SetSmooth(segment.IsSmooth());
        previous = &copy;
    }
}

}  // namespace

void BranchTreeModel::GrowBranches(SkeletonLevels& skeleton) const {
    const BaseSetup& base = Base();
    const GrowthSetup& growth = Growth();
    const int iteration = base.Iteration();
    const double heightFactor = base.HeightReduction() / 100.0;
    const double diameterFactor = base.DiameterReduction() / 100.0;
    const ShootGrowth shoots(growth, complex_ ? 2 : 1, diameterFactor);

    // The trunk chain: ExtendTo pieces, each continuing the last one's tip;
    // straight up unless the growth values vary or bend them. A varied piece
    // leans from the vertical, not from the piece below, and varies around the
    // design's length: a leader wanders but neither drifts nor shrinks.
    const int chain = std::min(base.ExtendTo(), iteration);
    // The trunk's last piece (the only one unless it is flared) is its end.
    const BranchSegment* tip = &skeleton[0].back();
    double belowLength = BranchPieces(*tip).Length(), belowDiameter = base.Diameter();
    std::vector<double> trunkLengths{belowLength};
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
        const double pieceLength = BranchPieces(*tip).Length();
        trunkLengths.push_back(pieceLength);
        belowLength = shoots.Varies() ? length : pieceLength;
        belowDiameter = diameter;
    }
    // ExtendTo > 0 but no chain piece grown (Iteration 0): the trunk itself is the topmost piece.
    if (chain == 0 && base.Cut()) skeleton[0].back().SetCut(true);
    auto isTrunkPiece = [chain](int level, std::size_t branch) { return branch == 0 && level <= chain; };
    TrunkShares trunk;
    double trunkLength = 0.0;
    for (double length : trunkLengths) trunkLength += length;
    for (double length : trunkLengths) {
        trunk.start.push_back(trunk.start.empty() ? 0.0 : trunk.start.back() + trunk.share.back());
        trunk.share.push_back(trunkLength > 0.0 ? length / trunkLength : 0.0);
    }
    const double trunkTop = tip->End().y;
    constexpr double kUnbounded = std::numeric_limits<double>::infinity();
    const CrownVolume envelope = CrownVolume::FromShape(growth, trunkTop, -kUnbounded, kUnbounded);
    const int crownShape = growth.CrownShape();
    const double crownBase = growth.CrownBase() / 100.0;

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
        const double addAngle = page.Get(BranchSetup::kAddAngle);
        const double turn = page.Get(BranchSetup::kOriAngle);
        const double diameter = page.Get(BranchSetup::kDiameter);
        const bool twist = complex_ && page.Get(BranchSetup::kUseTwist);
        const bool cut = page.Get(BranchSetup::kCut);
        const int laterals = page.GetParameter(BranchSetup::kLaterals);
        const double divergence = page.GetParameter(BranchSetup::kDivergence);
        const double angleChange = page.GetParameter(BranchSetup::kAngleChange);
        // Lean from the parent's axis by the add angle, then turn about it: the same
        // for every parent of one level, so composed once per level.
        std::vector<Vector3D> local(kLevelCount + 1);
        std::vector<double> turns(kLevelCount + 1);
        for (int j = 0; j <= kLevelCount; ++j) {
            turns[j] = twist ? std::fmod(turn + kGoldenAngle * j, 360.0) : turn;
            local[j] = Vector3D(1, 0, 0);
            local[j].RotateZ(addAngle).RotateX(turns[j]);
        }
        std::vector<double> along(laterals);
        for (int i = 0; i < laterals; ++i) along[i] = LateralAlong(page, i);
        // The branches a parent gets, appended to into, or to level k (made when
        // first needed) when into is null.
        auto growFrom = [&](const Parent& p, SkeletonLevels::Level* into) {
            GrowthStop::Check();
            const BranchPieces parent(*p.end);
            const bool onTrunk = isTrunkPiece(p.level, p.branch);
            const double parentLength = parent.Length();
            const std::uint64_t identity = shoots.Identity(k, p.level, p.branch);
            // Into the world as the mesh builder turns a segment's local +x axis; a
            // straight parent's frame is the same for all its laterals.
            auto frameOf = [](const BranchSegment& at) { return SegmentFrame(at.ObliqueAngle(), at.OrientationAngle()); };
            const Rotation3 straightFrame = parent.count == 1 ? frameOf(parent.First()) : Rotation3();
            for (int i = 0; i < laterals; ++i) {
                const std::uint64_t own = ShootGrowth::LateralIdentity(identity, i);
                if (shoots.LeftOut(own)) continue;
                // Where on the whole parent (the whole trunk for a trunk piece) the lateral sits.
                const double place = onTrunk ? trunk.Along(p.level, along[i]) : along[i];
                Vector3D attach;
                const BranchSegment& at = *parent.pieces[parent.PieceAt(along[i], attach)];
                double length = (height >= 1 ? height : parentLength) * std::pow(lengthFactor, p.level);
                if (onTrunk && crownShape != GrowthSetup::kCylindrical)
                    length *= GrowthSetup::CrownEnvelope(crownShape, (1.0 - place) / (1.0 - crownBase));
                const Rotation3 toWorld = parent.count == 1 ? straightFrame : frameOf(at);
                const double designLean = addAngle + angleChange * place;
                double lean = designLean, branchTurn = turns[p.level] + divergence * i;
                Vector3D direction;
                if (shoots.Varies() || i > 0 || designLean != addAngle) {
                    if (shoots.Varies()) {
                        const BranchVariation variation = shoots.Vary(own);
                        length *= variation.lengthFactor;
                        lean += shoots.AngleOffset(variation.leanStep);
                        branchTurn += shoots.AngleOffset(variation.turnStep);
                    }
                    Vector3D turned(1, 0, 0);
                    turned.RotateZ(lean).RotateX(branchTurn);
                    direction = toWorld * turned;
                } else {
                    direction = toWorld * local[p.level];
                }
                if (growth.CrownWidth() > 0) length = PruneToEnvelope(attach, direction, length, envelope);
                const double thickness =
                    std::min(diameter, parent.First().Diameter() * (1.0 - (1.0 - diameterFactor) * along[i]));
                const bool linked = along[i] == 1.0 && designLean == 0.0;
                shoots.AppendShoot(into ? *into : LevelAt(skeleton, k), attach, direction, length,
                                   {branchTurn, lean, 1.0, thickness, linked ? p.end : nullptr, cut});
            }
        };
        const unsigned threads = parents.size() * static_cast<std::size_t>(laterals) >= parallelBranches_
                                     ? GrowthThreads()
                                     : 1;
        if (threads <= 1) {
            for (const Parent& p : parents) growFrom(p, nullptr);
            continue;
        }
        // Many parents: runs of them on several threads, each into a list of its
        // own, then appended in order, as one thread would have appended them.
        std::vector<SkeletonLevels::Level> runs(threads);
        const std::size_t share = (parents.size() + threads - 1) / threads;
        RunInParallel(threads, [&](unsigned t) {
            const std::size_t end = std::min(parents.size(), (t + 1) * share);
            for (std::size_t i = t * share; i < end; ++i) growFrom(parents[i], &runs[t]);
        });
        for (const SkeletonLevels::Level& run : runs)
            if (!run.empty()) AppendCopies(run, LevelAt(skeleton, k));
    }
    GrowCrownShoots(skeleton, trunkTop);
    if (growth.PipeRule())
        ApplyPipeRule(skeleton, growth.GetParameter(GrowthSetup::kPipeExponent) / 100.0, diameterFactor);
}

void BranchTreeModel::GrowCrownShoots(SkeletonLevels& skeleton, double trunkTop) const {
    const GrowthSetup& growth = Growth();
    if (growth.CrownPoints() == 0) return;
    const CrownGrowthSettings settings = CrownGrowthSettings::From(growth, CrownSeed());
    double bottom = std::numeric_limits<double>::infinity(), top = 0.0;
    for (std::size_t level = 1; level < skeleton.LevelCount(); ++level)
        for (const BranchSegment& segment : skeleton[level]) {
            bottom = std::min({bottom, segment.Start().y, segment.End().y});
            top = std::max({top, segment.Start().y, segment.End().y});
        }
    // The crown shape where one is set, else the hull of the branches.
    const CrownVolume volume = growth.CrownWidth() > 0
                                   ? CrownVolume::FromShape(growth, trunkTop,
                                                            std::max(bottom, growth.CrownBase() / 100.0 * trunkTop),
                                                            std::max(top, trunkTop))
                                   : CrownVolume::FromBranches(skeleton);
    AppendCrownShoots(skeleton, GrowCrown(skeleton, volume, settings));
}

std::uint64_t BranchTreeModel::CrownSeed() const {
    // Apart from the branches' own numbers of the same seed.
    return ShootGrowth::Mix(static_cast<std::uint64_t>(Growth().Seed()) * 4 + static_cast<std::uint64_t>(Index()) +
                            0x63726f776e000000ull);
}

void BranchTreeModel::CountBranches(SkeletonCounts& counts) const {
    const BaseSetup& base = Base();
    const int iteration = base.Iteration();
    const int chain = std::min(base.ExtendTo(), iteration);
    const ShootGrowth shoots(Growth(), complex_ ? 2 : 1, base.DiameterReduction() / 100.0);
    counts.perLevel.resize(chain + 1, 1);
    std::size_t draws = 0;  // pruning's draws so far
    // The chain's top piece, or the trunk itself when there is no chain piece;
    // with ExtendTo 0 the base has counted the trunk's cap already.
    if (base.Cut() && base.ExtendTo() > 0) ++counts.cut;
    for (int k = 1; k <= std::min(iteration, kLevelCount); ++k) {
        const BranchSetup& page = pages_[k - 1];
        if (!page.Get(BranchSetup::kUseBranch)) continue;
        const int to = std::min<int>(page.Get(BranchSetup::kAddTo), static_cast<int>(counts.perLevel.size()) - 1);
        const bool onTrunk = TakesAsParent(page, complex_, true), onBranches = TakesAsParent(page, complex_, false);
        const int lateralsPerParent = page.GetParameter(BranchSetup::kLaterals);
        std::size_t grown = 0;
        for (int j = page.Get(BranchSetup::kAddFrom); j <= to; ++j) {
            const std::size_t trunk = j <= chain ? 1 : 0;
            const std::size_t parents =
                CountSum(onTrunk ? trunk : 0, onBranches ? counts.perLevel[j] - trunk : 0);
            const std::size_t laterals = CountProduct(parents, static_cast<std::size_t>(lateralsPerParent));
            if (!shoots.Prunes()) {
                grown = CountSum(grown, laterals);
                continue;
            }
            if (draws + laterals > kExactPruningDraws) {
                // Too many to draw one by one: what pruning keeps on average.
                counts.exact = false;
                const double kept = std::min(std::round(static_cast<double>(laterals) * shoots.KeptShare()),
                                             static_cast<double>(kCountCeiling));
                grown = CountSum(grown, static_cast<std::size_t>(kept));
                continue;
            }
            draws += laterals;
            // Pruning draws every lateral by its identity, as growth does: the
            // branches of a level are its trunk piece (if any) first, then the
            // ones a page grew, in order.
            for (std::size_t branch = 0; branch < counts.perLevel[j]; ++branch) {
                if (!TakesAsParent(page, complex_, branch < trunk)) continue;
                const std::uint64_t identity = shoots.Identity(k, j, branch);
                for (int i = 0; i < lateralsPerParent; ++i)
                    if (!shoots.LeftOut(ShootGrowth::LateralIdentity(identity, i))) ++grown;
            }
        }
        if (grown == 0) continue;
        if (counts.perLevel.size() <= static_cast<std::size_t>(k)) counts.perLevel.resize(k + 1, 0);
        counts.perLevel[k] = CountSum(counts.perLevel[k], grown);
        if (page.Get(BranchSetup::kCut)) counts.cut = CountSum(counts.cut, grown);
    }
}

}  // namespace grovewright
