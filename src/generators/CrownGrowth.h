#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "generators/GrowthSetup.h"
#include "geometry/SkeletonLevels.h"

namespace grovewright {

// The space a crown fills, about the trunk's axis (x = z = 0): either the Form
// box's crown shape or the hull of the branches grown so far.
class CrownVolume {
public:
    // The crown shape's radius by height (widest at CrownWidth of the trunk's
    // height, as at its foot at CrownBase below it), between the heights bottom
    // and top. Above the trunk's top it keeps its top width, except an
    // umbrella, which ends there.
    static CrownVolume FromShape(const GrowthSetup& growth, double trunkTop, double bottom, double top);
    // The hull of the branches above the trunk (levels 1 and up): in bands of
    // height and sectors around the axis, as far out as the farthest branch
    // point in the cell or its neighbours around and below it. Empty for a bare trunk.
    static CrownVolume FromBranches(const SkeletonLevels& skeleton);

    bool Contains(const Vector3D& p) const;
    bool Empty() const { return outer_ <= 0.0 || top_ <= bottom_; }
    // The cylinder that holds the volume.
    double OuterRadius() const { return outer_; }
    double Bottom() const { return bottom_; }
    double Top() const { return top_; }

    static constexpr int kBands = 12, kSectors = 8;

private:
    // The shape's radius at height y, or below 0 outside it.
    double ShapeRadius(double y) const;

    bool fromShape_ = true;
    int shape_ = 0;
    double trunkTop_ = 0.0, base_ = 0.0, widest_ = 0.0;
    double bottom_ = 0.0, top_ = 0.0, outer_ = 0.0;
    std::array<std::array<double, kSectors>, kBands> hull_{};
};

// The crown growth's values in the skeleton's units (centimetres).
struct CrownGrowthSettings {
    int points = 0;  // 0: no crown growth
    double reach = 150.0, step = 30.0, kill = 50.0;
    double light = 0.2;  // the pull up (above 0) or down per step, against the pull of the points
    int fromLevel = 1;
    int levels = 3;
    double exponent = 2.5;  // a node's diameter^exponent is the sum of its children's
    std::uint64_t seed = 0;

    static CrownGrowthSettings From(const GrowthSetup& growth, std::uint64_t seed);
    bool On() const { return points > 0; }
};

// A grown shoot's tip diameter, centimetres.
inline constexpr double kTwigDiameter = 0.8;
// A shoot turns by at most this many degrees from one piece to the next: its
// bends are spread over its pieces.
inline constexpr double kMaxShootTurn = 20.0;
// A shoot's tip grows on toward the points within this many degrees of its
// direction; the points beside or behind it draw side shoots.
inline constexpr double kPerception = 60.0;
// No shoot grows closer to the ground than this, centimetres: its bark stays
// above the grass.
inline constexpr double kGroundClearance = 25.0;

// One point of the crown growth's tree: a bud or point of the skeleton's
// branches (grown false), or the end of a grown piece.
struct CrownNode {
    Vector3D position;
    Vector3D direction;  // unit: of the piece that ends here, or of the skeleton branch
    int parent = -1;     // the node this piece grew from; -1 for the skeleton's own
    int continuation = -1;  // the child that carries this shoot on
    int level = 0;       // the skeleton level of the piece ending here
    int children = 0;
    bool grown = false;
    bool bud = false;    // a skeleton node that may grow a shoot
    double limit = 0.0;  // the thickest a shoot from here may be: its carrier's diameter
    double diameter = 0.0;  // of a grown piece at this node, by the pipe rule from the tips
};

struct CrownShoots {
    std::vector<CrownNode> nodes;  // a node's children come after it
    int firstLevel = 0;            // the level of shoots grown from the skeleton's buds
    int levels = 0;                // the levels the growth adds from firstLevel
    std::size_t points = 0;        // scattered inside the volume
    std::size_t pointsLeft = 0;    // not used up when the growth ended
    int rounds = 0;
};

// Grows shoots from the buds on the skeleton's branches (levels fromLevel and
// above) into the volume by competition for space: points scattered through
// it (from the seed's hash, point by point) each draw their nearest node
// within reach; every bud drawn by points grows a shoot toward them, a shoot's
// tip grows on toward those ahead of it, and any of its nodes drawn by others
// grows one side shoot, one level up; points
// within the kill distance of a node are used up. A new piece is refused where
// it would come within the kill distance of a shoot that is not its own
// neighbour, within kGroundClearance of the ground, or out of the volume from
// a node outside it. Ends when nothing grows, every added level
// holds as many pieces as there are points, or after kMaxRounds. The same
// settings give the same shoots.
CrownShoots GrowCrown(const SkeletonLevels& skeleton, const CrownVolume& volume, const CrownGrowthSettings& settings);

inline constexpr int kMaxCrownRounds = 400;

// The skeleton's pieces are sampled as nodes at most this many times a point
// of space, besides one node a piece.
inline constexpr double kSkeletonNodesPerPoint = 4.0;
// The memory a crown growth holds while it grows, per piece it may grow: the
// piece's node and, with a margin, its share of the points and the grids; and
// per piece of the skeleton, its node.
inline constexpr std::size_t kCrownBytesPerPiece = 2 * sizeof(CrownNode) + 96;
inline constexpr std::size_t kCrownBytesPerSkeletonPiece = sizeof(CrownNode);

// Appends the shoots as branches of the levels firstLevel .. firstLevel +
// levels - 1 (made when missing, kept when empty, so that leaf pages find the
// same levels however far the shoots grew), a shoot's pieces continuing one
// another; a shoot longer than kMaxBranchPieces pieces goes on as a further
// branch continuing its tip.
void AppendCrownShoots(SkeletonLevels& skeleton, const CrownShoots& shoots);

}  // namespace grovewright
