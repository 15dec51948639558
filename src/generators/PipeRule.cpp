#include "generators/PipeRule.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/CubeGrid.h"

namespace grovewright {

namespace {

struct Branch {
    std::vector<BranchSegment*> pieces;
    std::vector<double> starts;  // where each piece starts along the branch (0 .. 1), then 1
    int level = 0;
    int carrier = -1;
    double along = 0.0;  // where on its carrier it starts (0 .. 1)
    std::vector<int> children;
    double base = 0.0;  // its diameter at its start, once set
};

// The branches of every level, each piece by piece, with where its pieces start.
std::vector<Branch> CollectBranches(SkeletonLevels& skeleton) {
    std::vector<Branch> branches;
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level)
        skeleton[level].ForEach([&](BranchSegment& piece) {
            if (piece.Piece() == 0 || branches.empty()) {
                branches.emplace_back();
                branches.back().level = static_cast<int>(level);
            }
            branches.back().pieces.push_back(&piece);
        });
    for (Branch& branch : branches) {
        double length = 0.0;
        for (const BranchSegment* piece : branch.pieces) {
            branch.starts.push_back(length);
            length += piece->Length();
        }
        branch.starts.push_back(length);
        for (double& start : branch.starts) start = length > 0.0 ? start / length : 0.0;
    }
    return branches;
}

// A point along a piece, which id names by its place.
struct Sample {
    Vector3D point;
    int id;
};

// Where on the piece (0 .. 1) the point nearest p lies, and how far p is from it.
double ClosestOn(const BranchSegment& piece, const Vector3D& p, double& distance) {
    const Vector3D axis = piece.End() - piece.Start();
    const double squared = Dot(axis, axis);
    const double t = squared > 0.0 ? std::clamp(Dot(p - piece.Start(), axis) / squared, 0.0, 1.0) : 0.0;
    distance = Distance(piece.Start() + axis * t, p);
    return t;
}

// Finds every branch's carrier: the branch whose tip its first piece
// continues, or the one whose axis its start lies on; among several, one that
// does not start there too, then the thickest there, then the lowest level.
void FindCarriers(std::vector<Branch>& branches) {
    // Every piece by its place (branch, piece), and by its address for the
    // branches that continue a piece's tip.
    std::vector<std::pair<int, int>> places;
    std::unordered_map<const BranchSegment*, std::size_t> placeOf;
    PointBox box;
    double length = 0.0;
    for (std::size_t b = 0; b < branches.size(); ++b)
        for (std::size_t i = 0; i < branches[b].pieces.size(); ++i) {
            const BranchSegment& piece = *branches[b].pieces[i];
            placeOf.emplace(&piece, places.size());
            places.emplace_back(static_cast<int>(b), static_cast<int>(i));
            length += piece.Length();
            box.Add(piece.Start());
            box.Add(piece.End());
        }
    if (places.empty()) return;
    // Points along every piece at most half a cube apart, a cube as wide as
    // the mean piece: a point on a piece lies within a quarter cube of one.
    const double edge = std::max(1.0, length / static_cast<double>(places.size()));
    std::vector<Sample> samples;
    for (std::size_t place = 0; place < places.size(); ++place) {
        const BranchSegment& piece =
            *branches[static_cast<std::size_t>(places[place].first)].pieces[static_cast<std::size_t>(places[place].second)];
        const int count = 1 + static_cast<int>(std::min(4096.0, 2.0 * piece.Length() / edge));
        for (int k = 0; k <= count; ++k)
            samples.push_back({piece.Start() + (piece.End() - piece.Start()) * (static_cast<double>(k) / count),
                               static_cast<int>(place)});
    }
    CubeIndex<Sample> grid(box.low, box.high, edge);
    grid.Build(samples);
    for (std::size_t b = 0; b < branches.size(); ++b) {
        Branch& branch = branches[b];
        const BranchSegment& first = *branch.pieces.front();
        if (const BranchSegment* parent = first.Parent()) {
            const auto found = placeOf.find(parent);
            if (found == placeOf.end()) continue;
            branch.carrier = places[found->second].first;
            branch.along = branches[static_cast<std::size_t>(branch.carrier)].starts[static_cast<std::size_t>(places[found->second].second) + 1];
            continue;
        }
        const Vector3D start = first.Start();
        const double tolerance = 1e-6 * (1.0 + std::sqrt(Dot(start, start)));
        double thickest = 0.0;
        bool siblingCarrier = false;
        // (A piece found by several of its points is weighed again to the same end.)
        grid.ForWithin(start, 0.5 * edge, [&](const Sample& sample) {
            const auto [c, i] = places[static_cast<std::size_t>(sample.id)];
            if (c == static_cast<int>(b)) return;
            const Branch& candidate = branches[static_cast<std::size_t>(c)];
            const BranchSegment& piece = *candidate.pieces[static_cast<std::size_t>(i)];
            double distance = 0.0;
            const double t = ClosestOn(piece, start, distance);
            if (distance > tolerance) return;
            // A branch that starts at the same point is a sibling: a carrier
            // only when there is no other.
            const bool sibling = i == 0 && t == 0.0;
            // Thickness at the point, as the designed taper draws it.
            const double there = piece.Diameter() * (1.0 - 0.5 * t);
            const bool better =
                branch.carrier < 0 || sibling < siblingCarrier ||
                (sibling == siblingCarrier &&
                 (there > thickest || (there == thickest && candidate.level < branches[branch.carrier].level)));
            if (!better) return;
            siblingCarrier = sibling;
            thickest = there;
            branch.carrier = c;
            const double from = candidate.starts[static_cast<std::size_t>(i)];
            branch.along = from + t * (candidate.starts[static_cast<std::size_t>(i) + 1] - from);
        });
    }
    for (std::size_t b = 0; b < branches.size(); ++b)
        if (branches[b].carrier >= 0) branches[static_cast<std::size_t>(branches[b].carrier)].children.push_back(static_cast<int>(b));
}

// Sets one branch's pieces from its tip down, its children's diameters known.
void Thicken(std::vector<Branch>& branches, Branch& branch, double exponent, double diameterReduction) {
    std::vector<std::pair<double, double>> carried;  // (along, diameter^exponent), farthest first
    double thinnest = 0.0;
    for (int c : branch.children) {
        const Branch& child = branches[static_cast<std::size_t>(c)];
        carried.emplace_back(child.along, std::pow(child.base, exponent));
        thinnest = thinnest == 0.0 ? child.base : std::min(thinnest, child.base);
    }
    std::sort(carried.begin(), carried.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    const std::vector<BranchSegment*>& pieces = branch.pieces;
    const BranchSegment& last = *pieces.back();
    const double designedTip =
        last.Diameter() * (last.TipScale() != 0.0f ? last.TipScale()
                                                   : std::pow(diameterReduction, 1.0 / static_cast<double>(pieces.size())));
    const double tip = std::max(1e-3, carried.empty() ? designedTip : std::min(designedTip, thinnest));
    double load = std::pow(tip, exponent);
    std::size_t next = 0;
    const std::size_t n = pieces.size();
    std::vector<double> startDiameter(n), endDiameter(n);
    for (std::size_t i = n; i-- > 0;) {
        for (; next < carried.size() && carried[next].first >= branch.starts[i + 1]; ++next) load += carried[next].second;
        endDiameter[i] = std::pow(load, 1.0 / exponent);
        for (; next < carried.size() && carried[next].first >= branch.starts[i]; ++next) load += carried[next].second;
        startDiameter[i] = std::pow(load, 1.0 / exponent);
    }
    branch.base = startDiameter[0];
    const bool shapedTrunk = branch.level == 0 && n > 1 && pieces.front()->TipScale() != 0.0f;
    if (shapedTrunk) {
        // The flare keeps its shape: every piece scales as the top one does.
        const double scale = startDiameter[n - 1] / pieces[n - 1]->Diameter();
        for (BranchSegment* piece : pieces) piece->SetDiameter(piece->Diameter() * scale);
        branch.base = pieces.front()->Diameter();
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        pieces[i]->SetDiameter(startDiameter[i]);
        pieces[i]->SetTipScale(static_cast<float>(endDiameter[i] / startDiameter[i]));
    }
}

}  // namespace

void ApplyPipeRule(SkeletonLevels& skeleton, double exponent, double diameterReduction) {
    std::vector<Branch> branches = CollectBranches(skeleton);
    FindCarriers(branches);
    // From the tips down: a branch once all it carries is set. Branches caught
    // in a loop of carriers (none in a grown tree) keep their diameters.
    std::vector<std::size_t> waiting(branches.size());
    std::vector<int> ready;
    for (std::size_t b = 0; b < branches.size(); ++b) {
        waiting[b] = branches[b].children.size();
        if (waiting[b] == 0) ready.push_back(static_cast<int>(b));
    }
    const double designedFoot = branches.empty() ? 0.0 : branches.front().pieces.front()->Diameter();
    while (!ready.empty()) {
        const int b = ready.back();
        ready.pop_back();
        Branch& branch = branches[static_cast<std::size_t>(b)];
        Thicken(branches, branch, exponent, diameterReduction);
        if (branch.carrier >= 0 && --waiting[static_cast<std::size_t>(branch.carrier)] == 0) ready.push_back(branch.carrier);
    }
    if (branches.empty() || branches.front().base <= 0.0) return;
    // A grown tree has far fewer twigs than a real one: every diameter is
    // scaled alike (the sums at the forks hold at any scale) toward the
    // trunk's designed foot, by at most kMaxPipeScale, so twigs stay twigs.
    // A piece that lies on the ground is not scaled into it: no thicker than
    // twice its height allows.
    const double scale = std::clamp(designedFoot / branches.front().base, 1.0, kMaxPipeScale);
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level)
        skeleton[level].ForEach([&](BranchSegment& piece) {
            const double allowed = level == 0 ? piece.Diameter() * scale
                                              : std::max(piece.Diameter(), 2.0 * std::min(piece.Start().y, piece.End().y));
            piece.SetDiameter(std::min(piece.Diameter() * scale, allowed));
        });
}

}  // namespace grovewright
