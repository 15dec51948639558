#include "generators/CrownGrowth.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "generators/GrowthStop.h"
#include "generators/ParallelRuns.h"
#include "generators/ShootGrowth.h"

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
    // Each cell as far out as its farthest neighbour: the hull closes over the
    // gaps between the limbs.
    for (int b = 0; b < kBands; ++b)
        for (int s = 0; s < kSectors; ++s) {
            double radius = 0.0;
            for (int db = -1; db <= 1; ++db)
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

// Indices by the cube of space they lie in: the neighbours of a point within
// one cube's edge are in the 27 cubes around it.
class CubeGrid {
public:
    explicit CubeGrid(double edge) : inverse_(1.0 / edge) {}
    void Add(const Vector3D& p, int index) { cubes_[Key(Cube(p.x), Cube(p.y), Cube(p.z))].push_back(index); }
    template <typename F>
    void ForNear(const Vector3D& p, F&& f) const {
        const long x = Cube(p.x), y = Cube(p.y), z = Cube(p.z);
        for (long dx = -1; dx <= 1; ++dx)
            for (long dy = -1; dy <= 1; ++dy)
                for (long dz = -1; dz <= 1; ++dz) {
                    const auto found = cubes_.find(Key(x + dx, y + dy, z + dz));
                    if (found == cubes_.end()) continue;
                    for (int index : found->second) f(index);
                }
    }

private:
    static constexpr long kOffset = 1L << 20;
    long Cube(double v) const {
        // Coordinates far beyond any tree share the outermost cube.
        const double cube = std::floor(v * inverse_);
        return static_cast<long>(std::clamp(cube, -double(kOffset - 2), double(kOffset - 2)));
    }
    static std::uint64_t Key(long x, long y, long z) {
        constexpr std::uint64_t kMask = (std::uint64_t{1} << 21) - 1;
        return ((static_cast<std::uint64_t>(x + kOffset) & kMask) << 42) |
               ((static_cast<std::uint64_t>(y + kOffset) & kMask) << 21) |
               (static_cast<std::uint64_t>(z + kOffset) & kMask);
    }
    double inverse_;
    std::unordered_map<std::uint64_t, std::vector<int>> cubes_;
};

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

// The skeleton's branches as nodes, a step apart at most along every piece:
// buds on the levels from fromLevel, and the rest as space taken.
void AddSkeletonNodes(const SkeletonLevels& skeleton, const CrownGrowthSettings& settings,
                      std::vector<CrownNode>& nodes) {
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level)
        for (const BranchSegment& segment : skeleton[level]) {
            const double length = segment.Length();
            if (length <= 0.0) continue;
            Vector3D direction = segment.End() - segment.Start();
            direction.Scale(1.0 / length);
            const int steps = std::max(1, static_cast<int>(std::ceil(length / settings.step)));
            for (int k = 1; k <= steps; ++k) {
                CrownNode node;
                node.position = segment.Start() + direction * (length * k / steps);
                node.direction = direction;
                node.level = static_cast<int>(level);
                node.bud = static_cast<int>(level) >= settings.fromLevel;
                // A shoot stays well thinner than the branch it grows from.
                node.limit = 0.7 * segment.Diameter();
                nodes.push_back(node);
            }
        }
}

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

    const double cube = std::max({settings.reach, settings.kill, settings.step});
    CubeGrid nodeGrid(cube), pointGrid(cube);
    for (std::size_t i = 0; i < nodes.size(); ++i) nodeGrid.Add(nodes[i].position, static_cast<int>(i));
    for (std::size_t i = 0; i < points.size(); ++i) pointGrid.Add(points[i], static_cast<int>(i));

    // Every point's nearest node within reach (-1: none); a point within the
    // kill distance of a node is used up (alive 0). Ties go to the lower index.
    const std::size_t count = points.size();
    std::vector<int> nearest(count, -1);
    std::vector<double> nearestDistance(count, settings.reach);
    std::vector<char> alive(count, 1);
    auto findNearest = [&](std::size_t i) {
        nodeGrid.ForNear(points[i], [&](int n) {
            const double d = Distance(points[i], nodes[n].position);
            if (d < nearestDistance[i] || (d == nearestDistance[i] && nearest[i] >= 0 && n < nearest[i])) {
                nearestDistance[i] = d;
                nearest[i] = n;
            }
        });
        if (nearest[i] >= 0 && nearestDistance[i] < settings.kill) alive[i] = 0;
    };
    constexpr std::size_t kParallelPoints = 2048;
    const unsigned threads =
        count < kParallelPoints ? 1 : settings.threads != 0 ? settings.threads : GrowthThreads();
    const std::size_t share = (count + threads - 1) / threads;
    RunInParallel(threads, [&](unsigned t) {
        const std::size_t end = std::min(count, (t + 1) * share);
        for (std::size_t i = t * share; i < end; ++i) findNearest(i);
    });

    const int lastLevel = shoots.firstLevel + settings.levels - 1;
    std::vector<std::size_t> piecesPerLevel(static_cast<std::size_t>(settings.levels), 0);
    // Each node's pull: toward all its points, and toward those ahead of a
    // shoot's tip (within kPerception of its direction), which alone carry it
    // on; the others draw side shoots.
    std::vector<Vector3D> pull, ahead;
    std::vector<int> drawn, drawnAhead;
    std::vector<int> grown;
    const double perception = CosDeg(kPerception);
    constexpr double kInertia = 1.0;  // how much a shoot keeps its direction: its bends spread over pieces
    for (; shoots.rounds < kMaxCrownRounds; ++shoots.rounds) {
        GrowthStop::Check();
        pull.assign(nodes.size(), Vector3D());
        ahead.assign(nodes.size(), Vector3D());
        drawn.assign(nodes.size(), 0);
        drawnAhead.assign(nodes.size(), 0);
        for (std::size_t i = 0; i < count; ++i) {
            if (!alive[i] || nearest[i] < 0) continue;
            const int n = nearest[i];
            Vector3D toward = points[i] - nodes[n].position;
            toward.Scale(1.0 / nearestDistance[i]);
            pull[n].Add(toward);
            ++drawn[n];
            if (nodes[n].grown && Dot(toward, nodes[n].direction) >= perception) {
                ahead[n].Add(toward);
                ++drawnAhead[n];
            }
        }
        grown.clear();
        const std::size_t before = nodes.size();
        for (std::size_t n = 0; n < before; ++n) {
            if (drawn[n] == 0) continue;
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
            direction.Scale(1.0 / (carriesOn ? drawnAhead[n] : drawn[n]));
            if (carriesOn) direction.Add(from.direction * kInertia);
            direction.y += settings.light;
            const double length = std::sqrt(Dot(direction, direction));
            if (!(length > 1e-9)) continue;
            direction.Scale(1.0 / length);
            if (carriesOn) direction = TurnAtMost(from.direction, direction, kMaxShootTurn);
            const Vector3D end = from.position + direction * settings.step;
            // Never into the ground, nor more than a step out of the crown.
            if (end.y < 0.0 || (!volume.Contains(end) && !volume.Contains(from.position))) continue;
            bool crowded = false;
            nodeGrid.ForNear(end, [&](int q) {
                if (crowded) return;
                const double d = Distance(end, nodes[q].position);
                crowded = d < 0.5 * settings.step ||
                          (nodes[q].grown && d < settings.kill && !Neighbours(nodes, q, static_cast<int>(n)));
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
            nodeGrid.Add(end, index);
            grown.push_back(index);
            ++levelPieces;
        }
        if (grown.empty()) break;
        // The new nodes use up the points near them and become the nearest of others.
        for (int g : grown)
            pointGrid.ForNear(nodes[g].position, [&](int i) {
                if (!alive[i]) return;
                const double d = Distance(points[i], nodes[g].position);
                if (d < settings.kill) {
                    alive[i] = 0;
                } else if (d < nearestDistance[i]) {
                    nearestDistance[i] = d;
                    nearest[i] = g;
                }
            });
    }
    shoots.pointsLeft = static_cast<std::size_t>(std::count(alive.begin(), alive.end(), 1));

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
                previous = &piece;
            }
        }
    }
}

}  // namespace grovewright
