#include "generators/CrownGrowth.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "generators/GrowthStop.h"
#include "generators/ShootGrowth.h"
#include "geometry/CubeGrid.h"

namespace grovewright {

CrownVolume CrownVolume::FromShape(const GrowthSetup& growth, double trunkTop, double bottom, double top) {
    CrownVolume volume;
    volume.shape_ = growth.CrownShape();
    volume.trunkTop_ = trunkTop;
    volume.base_ = growth.CrownBase() / 100.0 * trunkTop;
    volume.widest_ = growth.CrownWidth() / 100.0 * trunkTop;
    volume.outer_ = volume.widest_;
    volume.bottom_ = bottom;
    volume.top_ = top;
    return volume;
}

double CrownVolume::ShapeRadius(double y) const {
    const double depth = trunkTop_ > base_ ? (trunkTop_ - y) / (trunkTop_ - base_) : 1.0;
    if (depth < 0.0 && shape_ == GrowthSetup::kUmbrella) return -1.0;
    return widest_ * GrowthSetup::CrownEnvelope(shape_, depth);
}

CrownVolume CrownVolume::FromBranches(const SkeletonLevels& skeleton) {
    CrownVolume volume;
    volume.fromShape_ = false;
    double bottom = std::numeric_limits<double>::infinity(), top = -bottom;
    auto eachPoint = [&](auto&& f) {
        for (std::size_t level = 1; level < skeleton.LevelCount(); ++level)
            for (const BranchSegment& segment : skeleton[level]) {
                f(segment.Start());
                f(segment.End());
            }
    };
    eachPoint([&](const Vector3D& p) {
        bottom = std::min(bottom, p.y);
        top = std::max(top, p.y);
    });
    if (!(top > bottom)) return volume;
    volume.bottom_ = bottom;
    volume.top_ = top;
    std::array<std::array<double, kSectors>, kBands> farthest{};
    eachPoint([&](const Vector3D& p) {
        const int band = std::min(kBands - 1, static_cast<int>((p.y - bottom) / (top - bottom) * kBands));
        const double angle = std::atan2(p.z, p.x) / (2.0 * kPi) + 1.0;
        const int sector = static_cast<int>(angle * kSectors) % kSectors;
        double& radius = farthest[band][sector];
        radius = std::max(radius, std::sqrt(p.x * p.x + p.z * p.z));
    });
    // Each cell as far out as its farthest neighbour around it and below it:
    // the hull closes over the gaps between the limbs, and a limb that sinks
    // low widens the hull only on its own side.
    for (int b = 0; b < kBands; ++b)
        for (int s = 0; s < kSectors; ++s) {
            double radius = 0.0;
            for (int db = -1; db <= 0; ++db)
                for (int ds = -1; ds <= 1; ++ds) {
                    const int band = b + db;
                    if (band < 0 || band >= kBands) continue;
                    radius = std::max(radius, farthest[band][(s + ds + kSectors) % kSectors]);
                }
            volume.hull_[b][s] = radius;
            volume.outer_ = std::max(volume.outer_, radius);
        }
    return volume;
}

bool CrownVolume::Contains(const Vector3D& p) const {
    if (!(p.y >= bottom_ && p.y <= top_)) return false;
    const double across = p.x * p.x + p.z * p.z;
    if (fromShape_) {
        const double radius = ShapeRadius(p.y);
        return radius >= 0.0 && across <= radius * radius;
    }
    const int band = std::min(kBands - 1, static_cast<int>((p.y - bottom_) / (top_ - bottom_) * kBands));
    const double angle = std::atan2(p.z, p.x) / (2.0 * kPi) + 1.0;
    const double radius = hull_[band][static_cast<int>(angle * kSectors) % kSectors];
    return across <= radius * radius;
}

CrownGrowthSettings CrownGrowthSettings::From(const GrowthSetup& growth, std::uint64_t seed) {
    CrownGrowthSettings settings;
    settings.points = growth.CrownPoints();
    settings.reach = growth.GetParameter(GrowthSetup::kCrownReach);
    settings.step = growth.GetParameter(GrowthSetup::kCrownStep);
    settings.kill = growth.GetParameter(GrowthSetup::kCrownKill);
    settings.light = growth.GetParameter(GrowthSetup::kCrownLight) / 100.0;
    settings.fromLevel = growth.GetParameter(GrowthSetup::kCrownFrom);
    settings.levels = growth.GetParameter(GrowthSetup::kCrownLevels);
    settings.exponent = growth.GetParameter(GrowthSetup::kPipeExponent) / 100.0;
    settings.seed = seed;
    return settings;
}

namespace {

// A share in [0, 1) from 21 bits of a hash.
double Share(std::uint64_t bits) { return static_cast<double>(bits & 0x1fffff) / 2097152.0; }

// The points of space, each from its own hash: a try inside the volume's
// cylinder, kept when the volume holds it (up to kTries tries a point).
std::vector<Vector3D> ScatterPoints(const CrownVolume& volume, const CrownGrowthSettings& settings) {
    constexpr int kTries = 32;
    std::vector<Vector3D> points;
    if (volume.Empty()) return points;
    points.reserve(static_cast<std::size_t>(settings.points));
    const double radius = volume.OuterRadius(), height = volume.Top() - volume.Bottom();
    for (int i = 0; i < settings.points; ++i)
        for (int attempt = 0; attempt < kTries; ++attempt) {
            const std::uint64_t h = ShootGrowth::Mix(settings.seed + static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15ull +
                                                     static_cast<std::uint64_t>(attempt) * 0xc2b2ae3d27d4eb4full);
            const Vector3D p(radius * (2.0 * Share(h) - 1.0), volume.Bottom() + height * Share(h >> 21),
                             radius * (2.0 * Share(h >> 42) - 1.0));
            if (!volume.Contains(p)) continue;
            points.push_back(p);
            break;
        }
    return points;
}

// The skeleton's branches as nodes, a step apart at most along every piece
// (further apart on a skeleton so long that this would give more than
// kSkeletonNodesPerPoint nodes a point: then one a piece at least): buds on
// the levels from fromLevel (clear of the ground), and the rest as space taken.
void AddSkeletonNodes(const SkeletonLevels& skeleton, const CrownGrowthSettings& settings,
                      std::vector<CrownNode>& nodes) {
    double total = 0.0;
    skeleton.ForEachSegment([&](const BranchSegment& segment) { total += segment.Length(); });
    const double spacing = std::max(settings.step, total / (kSkeletonNodesPerPoint * settings.points));
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level)
        for (const BranchSegment& segment : skeleton[level]) {
            const double length = segment.Length();
            if (length <= 0.0) continue;
            Vector3D direction = segment.End() - segment.Start();
            direction.Scale(1.0 / length);
            const int steps = std::max(1, static_cast<int>(std::ceil(length / spacing)));
            for (int k = 1; k <= steps; ++k) {
                CrownNode node;
                node.position = segment.Start() + direction * (length * k / steps);
                node.direction = direction;
                node.level = static_cast<int>(level);
                node.bud = static_cast<int>(level) >= settings.fromLevel && node.position.y >= kGroundClearance;
                // A shoot stays well thinner than the branch it grows from.
                node.limit = 0.7 * segment.Diameter();
                nodes.push_back(node);
            }
        }
}

// A point of space, with its nearest node within reach so far (-1: none) and
// that node's squared distance; id -1 once a node came within the kill
// distance and used it up.
struct PointOfSpace {
    Vector3D point;
    int id;
    int nearest;
    double nearestSquared;
};

// Whether the grown node other is near enough in the tree to a new piece grown
// from parent to lie within the kill distance of it: the parent itself, its
// children, its own parent and that parent's children.
bool Neighbours(const std::vector<CrownNode>& nodes, int other, int parent) {
    if (other == parent || nodes[other].parent == parent) return true;
    const int grandparent = nodes[parent].parent;
    return grandparent >= 0 && (other == grandparent || nodes[other].parent == grandparent);
}

// The unit direction to, or the unit direction from turned toward it by at most
// degrees.
Vector3D TurnAtMost(const Vector3D& from, const Vector3D& to, double degrees) {
    const double cosine = Dot(from, to);
    if (cosine >= CosDeg(degrees)) return to;
    Vector3D across = to - from * cosine;
    const double length = std::sqrt(Dot(across, across));
    // Straight back: any side will do, the horizontal one across from.
    if (!(length > 1e-9)) across = std::fabs(from.y) < 0.9 ? Cross(from, Vector3D(0, 1, 0)) : Cross(from, Vector3D(1, 0, 0));
    across.Scale(1.0 / std::sqrt(Dot(across, across)));
    return from * CosDeg(degrees) + across * SinDeg(degrees);
}

}  // namespace

CrownShoots GrowCrown(const SkeletonLevels& skeleton, const CrownVolume& volume, const CrownGrowthSettings& settings) {
    CrownShoots shoots;
    shoots.firstLevel = static_cast<int>(skeleton.LevelCount());
    shoots.levels = settings.levels;
    if (!settings.On()) return shoots;
    const std::vector<Vector3D> points = ScatterPoints(volume, settings);
    shoots.points = points.size();
    std::vector<CrownNode>& nodes = shoots.nodes;
    AddSkeletonNodes(skeleton, settings, nodes);

    // The grids cover the skeleton and the volume.
    PointBox box;
    box.Add({-volume.OuterRadius(), volume.Bottom(), -volume.OuterRadius()});
    box.Add({volume.OuterRadius(), volume.Top(), volume.OuterRadius()});
    for (const CrownNode& node : nodes) box.Add(node.position);
    const Vector3D &low = box.low, &high = box.high;
    // The points not used up, with the nearest node of each, in cubes as wide
    // as the reach, for those within reach of a node (indexed again once half
    // are used up); every node in cubes as wide as the spacing a new piece keeps.
    const double reach2 = settings.reach * settings.reach, kill2 = settings.kill * settings.kill;
    std::vector<PointOfSpace> scattered(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) scattered[i] = {points[i], static_cast<int>(i), -1, reach2};
    CubeIndex<PointOfSpace> pointIndex(low, high, settings.reach);
    pointIndex.Build(scattered);
    std::size_t left = points.size(), indexed = left;
    CubeGrid<int> crowdGrid(low, high, std::max(settings.kill, 0.5 * settings.step));
    for (std::size_t i = 0; i < nodes.size(); ++i) crowdGrid.Add(nodes[i].position, static_cast<int>(i));

    // A node uses up the points within the kill distance and draws those it
    // is nearer to than their nearest so far: node by node in index order, so
    // ties go to the lower index, and a used-up point stays used up whichever
    // node came first.
    auto reachPoints = [&](int n) {
        const Vector3D at = nodes[n].position;
        pointIndex.ForWithin(at, settings.reach, [&](PointOfSpace& point) {
            const double d = SquaredDistance(point.point, at);
            if (d < kill2) {
                point.id = -1;
                --left;
            } else if (d < point.nearestSquared) {
                point.nearestSquared = d;
                point.nearest = n;
            }
        });
    };
    for (std::size_t n = 0; n < nodes.size(); ++n) reachPoints(static_cast<int>(n));

    const int lastLevel = shoots.firstLevel + settings.levels - 1;
    std::vector<std::size_t> piecesPerLevel(static_cast<std::size_t>(settings.levels), 0);
    // Each node's pull: toward all its points, and toward those ahead of a
    // shoot's tip (within kPerception of its direction), which alone carry it
    // on; the others draw side shoots.
    std::vector<Vector3D> pull, ahead;
    std::vector<int> drawn, drawnAhead;
    std::vector<int> touched, grown;  // the nodes points drew this round; those that grew
    const double perception = CosDeg(kPerception);
    constexpr double kInertia = 1.0;  // how much a shoot keeps its direction: its bends spread over pieces
    for (; shoots.rounds < kMaxCrownRounds; ++shoots.rounds) {
        GrowthStop::Check();
        pull.resize(nodes.size()), ahead.resize(nodes.size());
        drawn.resize(nodes.size()), drawnAhead.resize(nodes.size());
        touched.clear();
        for (const PointOfSpace& point : pointIndex.Entries()) {
            if (point.id < 0 || point.nearest < 0) continue;
            const int n = point.nearest;
            if (drawn[n] == 0) {
                touched.push_back(n);
                pull[n] = ahead[n] = Vector3D();
                drawnAhead[n] = 0;
            }
            Vector3D toward = point.point - nodes[n].position;
            toward.Scale(1.0 / std::sqrt(point.nearestSquared));
            pull[n].Add(toward);
            ++drawn[n];
            if (nodes[n].grown && Dot(toward, nodes[n].direction) >= perception) {
                ahead[n].Add(toward);
                ++drawnAhead[n];
            }
        }
        // The nodes grow in index order.
        std::sort(touched.begin(), touched.end());
        grown.clear();
        for (const int n : touched) {
            const int drawnHere = drawn[n];
            drawn[n] = 0;  // ready for the next round
            const CrownNode& from = nodes[n];
            // A bud grows one shoot; a shoot's tip grows on toward the points
            // ahead of it, and each of its nodes grows one side shoot.
            const bool carriesOn = from.grown && from.continuation < 0 && drawnAhead[n] > 0;
            const int sideShoots = from.children - (from.continuation >= 0 ? 1 : 0);
            int level = -1;
            if (!from.grown)
                level = from.bud && from.children == 0 ? shoots.firstLevel : -1;
            else if (carriesOn)
                level = from.level;
            else if (sideShoots == 0)
                level = from.level + 1;
            if (level < 0 || level > lastLevel) continue;
            std::size_t& levelPieces = piecesPerLevel[static_cast<std::size_t>(level - shoots.firstLevel)];
            if (levelPieces >= static_cast<std::size_t>(settings.points)) continue;
            Vector3D direction = carriesOn ? ahead[n] : pull[n];
            direction.Scale(1.0 / (carriesOn ? drawnAhead[n] : drawnHere));
            if (carriesOn) direction.Add(from.direction * kInertia);
            direction.y += settings.light;
            const double length = std::sqrt(Dot(direction, direction));
            if (!(length > 1e-9)) continue;
            direction.Scale(1.0 / length);
            if (carriesOn) direction = TurnAtMost(from.direction, direction, kMaxShootTurn);
            const Vector3D end = from.position + direction * settings.step;
            // Never down to the ground, nor more than a step out of the crown.
            if (end.y < kGroundClearance || (!volume.Contains(end) && !volume.Contains(from.position))) continue;
            bool crowded = false;
            crowdGrid.ForNear(end, [&](int q) {
                if (crowded) return;
                const double d = SquaredDistance(end, nodes[q].position);
                crowded = d < 0.25 * settings.step * settings.step ||
                          (nodes[q].grown && d < kill2 && !Neighbours(nodes, q, static_cast<int>(n)));
            });
            if (crowded) continue;
            CrownNode node;
            node.position = end;
            node.direction = direction;
            node.parent = static_cast<int>(n);
            node.level = level;
            node.grown = true;
            node.limit = from.limit;
            const int index = static_cast<int>(nodes.size());
            if (carriesOn) nodes[n].continuation = index;
            ++nodes[n].children;
            nodes.push_back(node);
            crowdGrid.Add(end, index);
            grown.push_back(index);
            ++levelPieces;
        }
        if (grown.empty()) break;
        // The new nodes use up the points near them and become the nearest of
        // others; once half the indexed points are used up, the rest are
        // indexed again.
        for (int g : grown) reachPoints(g);
        if (2 * left < indexed) {
            scattered = pointIndex.Entries();
            pointIndex.Build(scattered);
            indexed = left;
        }
    }
    shoots.pointsLeft = left;

    // Thickness by the pipe rule, from the tips down: a node's diameter to the
    // exponent is the sum of its children's, each tip a twig's, never above
    // what the shoot's carrier allows.
    std::vector<double> load(nodes.size(), 0.0);
    const double tip = std::pow(kTwigDiameter, settings.exponent);
    for (std::size_t i = nodes.size(); i-- > 0;) {
        CrownNode& node = nodes[i];
        if (!node.grown) continue;
        if (node.children == 0) load[i] = tip;
        node.diameter = std::min(std::pow(load[i], 1.0 / settings.exponent), std::max(node.limit, kTwigDiameter));
        if (nodes[node.parent].grown) load[node.parent] += load[i];
    }
    return shoots;
}

void AppendCrownShoots(SkeletonLevels& skeleton, const CrownShoots& shoots) {
    if (shoots.levels <= 0) return;
    while (skeleton.LevelCount() < static_cast<std::size_t>(shoots.firstLevel + shoots.levels)) skeleton.AppendLevel();
    const std::vector<CrownNode>& nodes = shoots.nodes;
    std::vector<int> chain;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const CrownNode& first = nodes[i];
        // A shoot starts at a bud or as a side shoot.
        if (!first.grown || (nodes[first.parent].grown && nodes[first.parent].continuation == static_cast<int>(i)))
            continue;
        chain.clear();
        for (int n = static_cast<int>(i); n >= 0; n = nodes[n].continuation) chain.push_back(n);
        SkeletonLevels::Level& level = skeleton[static_cast<std::size_t>(first.level)];
        const BranchSegment* previous = nullptr;
        for (std::size_t begin = 0; begin < chain.size(); begin += kMaxBranchPieces) {
            const int pieces = static_cast<int>(std::min<std::size_t>(kMaxBranchPieces, chain.size() - begin));
            for (int k = 0; k < pieces; ++k) {
                const CrownNode& node = nodes[chain[begin + k]];
                const double end = node.continuation >= 0 ? nodes[node.continuation].diameter : node.diameter;
                BranchSegment& piece = level.Append(nodes[node.parent].position, node.position, 0.0, 0.0, 1.0,
                                                    node.diameter, previous);
                piece.SetPiece(k, pieces);
                piece.SetTipScale(static_cast<float>(end / node.diameter));
                piece.SetSmooth(true);
                previous = &piece;
            }
        }
    }
}

}  // namespace grovewright
