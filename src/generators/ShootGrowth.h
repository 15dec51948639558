#pragma once

#include <cstdint>

#include "generators/GrowthSetup.h"
#include "geometry/Rotation3.h"
#include "geometry/SkeletonLevels.h"

namespace grovewright {

// What a branch's own random numbers make of it.
struct BranchVariation {
    double lengthFactor = 1.0;  // in [1 - v, 1 + v]
    int leanStep = 0;           // which of the angle steps its lean moves by
    int turnStep = 0;           // and its turn
    double turnFraction = 0.0;  // in [0, 1): the side a trunk piece leans to
};

// How a piece of trunk or branch is placed, besides where it runs.
struct ShootShape {
    double twist, spread, share, diameter;
    const BranchSegment* parent;  // the first piece's parent; each further piece continues the one before
    bool cut;                     // the last piece is cut
};

// A turn by its Cayley vector w = axis tan(angle / 2): no trigonometry and no
// square root, which keeps gravity cheap on a million branches.
// R v = v + f (w x v + w x (w x v)), f = 2 / (1 + w . w).
struct CayleyTurn {
    Vector3D w;
    double f = 0.0;

    // The turn about w's direction by 2 atan |w|; no turn at all by default.
    explicit CayleyTurn(const Vector3D& vector = {}) : w(vector), f(2.0 / (1.0 + Dot(vector, vector))) {}
    // The shortest turn from the unit vector from to the unit vector to (none
    // when they are opposite).
    static CayleyTurn Between(const Vector3D& from, const Vector3D& to) {
        const double c = 1.0 + Dot(from, to);
        if (c < 1e-12) return CayleyTurn();
        Vector3D w = Cross(from, to);
        return CayleyTurn(w.Scale(1.0 / c));
    }
    bool IsNone() const { return w.x == 0.0 && w.y == 0.0 && w.z == 0.0; }
    Vector3D Apply(const Vector3D& v) const {
        const Vector3D once = Cross(w, v);
        Vector3D turned = Cross(w, once);
        turned.Add(once).Scale(f).Add(v);
        return turned;
    }
    // The turn applied after the rotation m, given the turned middle column
    // (which the caller has): the first column turned, the last their cross product.
    Rotation3 ApplyAfter(const Rotation3& m, const Vector3D& turnedMiddle) const {
        const Vector3D first = Apply(m.Column(0));
        const Vector3D last = Cross(first, turnedMiddle);
        return {{{first.x, turnedMiddle.x, last.x},
                 {first.y, turnedMiddle.y, last.y},
                 {first.z, turnedMiddle.z, last.z}}};
    }
};

// A generator's growth values turned into what growth needs: stable per-branch
// random numbers (a hash of the seed and the branch's identity, never a running
// stream, so that an edit changes only the branches it concerns, and the same
// on every machine), and shoots drawn in pieces that gravity turns toward the
// vertical step by step.
class ShootGrowth {
public:
    // An angle variation moves a lean or turn by one of this many steps
    // spread evenly over (-v, v): growth can turn by tables built once.
    static constexpr int kAngleSteps = 64;

    // Gravity bends a shoot by its slenderness (length over diameter): fully
    // from this slenderness on (five times it at the greatest stiffness), less
    // the stouter it is, in this many steps.
    static constexpr double kFullBendSlenderness = 50.0;
    static constexpr int kStrengthSteps = 64;

    // generator: 0 simple, 1 regular, 2 complex, so that the generators vary apart.
    ShootGrowth(const GrowthSetup& growth, int generator, double diameterReduction);

    // Any value differs from its default.
    bool Active() const { return varies_ || bends_ || pieces_ > 1; }
    // Lengths or angles vary per branch.
    bool Varies() const { return varies_; }

    // The identity of a branch: the generator's seed mixed with what tells
    // the branch apart from every other (its level, its parent, its page).
    std::uint64_t Identity(std::uint64_t a, std::uint64_t b, std::uint64_t c = 0) const {
        return Mix(seed_ + a * 0xd1b54a32d192ed03ull + b * 0xaf251af3b0f025b5ull + c * 0xb564ef22ec7aece5ull);
    }
    // The identity of a page's further laterals on one parent: the first is the
    // parent's own branch identity, so that one lateral grows as it always did.
    static std::uint64_t LateralIdentity(std::uint64_t first, int lateral) {
        return lateral == 0 ? first : Mix(first + static_cast<std::uint64_t>(lateral) * 0x9fb21c651e98df25ull);
    }
    // Pruning leaves this branch out (with all it carries): drawn from its
    // identity apart from its variation.
    bool LeftOut(std::uint64_t identity) const {
        return pruneBelow_ != 0 && Mix(identity ^ 0x5851f42d4c957f2dull) < pruneBelow_;
    }
    bool Prunes() const { return pruneBelow_ != 0; }
    // The share of branches pruning keeps, on average.
    double KeptShare() const { return 1.0 - static_cast<double>(pruneBelow_) / 18446744073709551616.0; }
    BranchVariation Vary(std::uint64_t identity) const {
        constexpr double kTwentyOneBits = 2097152.0;
        BranchVariation variation;
        const double u = static_cast<double>(identity & 0x1fffff) / kTwentyOneBits;
        variation.lengthFactor = 1.0 + lengthVariation_ * (2.0 * u - 1.0);
        variation.leanStep = static_cast<int>((identity >> 21) % kAngleSteps);
        variation.turnStep = static_cast<int>((identity >> 27) % kAngleSteps);
        variation.turnFraction = static_cast<double>((identity >> 33) & 0x1fffff) / kTwentyOneBits;
        return variation;
    }
    // The degrees an angle step moves a lean or a turn by.
    double AngleOffset(int step) const { return angleVariation_ * ((step + 0.5) / (kAngleSteps / 2) - 1.0); }

    // A 64-bit mix in which every input bit moves every output bit (splitmix64's finaliser).
    static std::uint64_t Mix(std::uint64_t x) {
        x += 0x9e3779b97f4a7c15ull;
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
        return x ^ (x >> 31);
    }

    // Appends one shoot of Pieces() equal pieces to level, from start along the
    // unit direction, length long in all. Gravity turns each piece from the one
    // before toward the vertical (the first by half a step): a horizontal piece
    // by a whole step, a slanted one less (the pull grows with the piece's
    // reach across, as a weight's moment does), and slender shoots by the most,
    // stout limbs hardly; never beyond the vertical, and never into the ground
    // (y below 0): a piece gravity would take there runs level instead. The
    // pieces taper so that their rings meet. Returns the last piece; direction
    // becomes the tip's, and tipTurn, when given, the turn from the start's
    // direction to it (left alone when gravity did not turn the shoot).
    BranchSegment& AppendShoot(SkeletonLevels::Level& level, const Vector3D& start, Vector3D& direction,
                               double length, const ShootShape& shape, CayleyTurn* tipTurn = nullptr) const;

private:
    std::uint64_t seed_;
    double lengthVariation_;
    double angleVariation_;
    bool varies_;
    bool bends_;
    int pieces_;
    bool smooth_;  // the pieces' joints follow the bend
    double pieceShare_;  // 1 / pieces
    double target_;  // +1 up, -1 down
    // tan(step / 2) and tan(step / 4) of a horizontal piece's turn, by strength.
    double stepTan_[kStrengthSteps + 1] = {}, halfStepTan_[kStrengthSteps + 1] = {};
    double taper_;  // the diameter reduction of one piece
    // The strength step a unit of slenderness gives: fewer for stiffer shoots.
    double strengthPerSlenderness_;
    // A branch whose pruning draw is below this is left out: Pruning's share of 2^64.
    std::uint64_t pruneBelow_;
};

inline BranchSegment& ShootGrowth::AppendShoot(SkeletonLevels::Level& level, const Vector3D& start,
                                               Vector3D& direction, double length, const ShootShape& shape,
                                               CayleyTurn* tipTurn) const {
    const double pieceLength = length * pieceShare_;
    int row = 0;
    if (bends_) {
        // A shoot of no thickness (or no length and thickness) bends fully.
        const double strength = length * strengthPerSlenderness_ / shape.diameter + 0.5;
        row = strength < kStrengthSteps ? static_cast<int>(strength) : kStrengthSteps;
    }
    // A shoot too stout to feel gravity's smallest step is not turned at all.
    const bool bends = row > 0;
    const Vector3D initial = direction;
    // The turn of a straight shoot that does not reach the vertical is its tip's.
    bool turnKnown = pieces_ == 1;
    Vector3D from = start;
    double diameter = shape.diameter;
    const BranchSegment* parent = shape.parent;
    for (int i = 0;; ++i) {
        if (bends) {
            // Cayley vector of the turn: (direction x vertical) tan(step / 2), whose
            // length tan(step / 2) |sin| gives the slanted piece its smaller turn.
            const double tangent = i == 0 ? halfStepTan_[row] : stepTan_[row];
            const double toTarget = direction.y * target_;
            if (tangent * (1.0 + toTarget) >= 1.0) {
                // The turn would pass the vertical: it stops there.
                direction = Vector3D(0, target_, 0);
                turnKnown = false;
            } else {
                const CayleyTurn turn(
                    Vector3D(-target_ * direction.z * tangent, 0.0, target_ * direction.x * tangent));
                direction = turn.Apply(direction);
                if (turnKnown && tipTurn) *tipTurn = turn;
            }
        }
        Vector3D to = direction;
        to.Scale(pieceLength).Add(from);
        if (bends && to.y < 0.0 && direction.y < 0.0) {
            // Gravity never pulls a shoot into the ground: it runs along it.
            const Vector3D across(direction.x, 0.0, direction.z);
            if (Dot(across, across) > 1e-24) {
                direction = across;
                direction.Normalize();
                turnKnown = false;
                to = direction;
                to.Scale(pieceLength).Add(from);
            }
        }
        BranchSegment& piece = level.Append(from, to, shape.twist, shape.spread, shape.share, diameter, parent);
        piece.SetPiece(i, pieces_);
        piece.SetSmooth(smooth_);
        if (i + 1 == pieces_) {
            if (shape.cut) piece.SetCut(true);
            if (bends && tipTurn && !turnKnown) *tipTurn = CayleyTurn::Between(initial, direction);
            return piece;
        }
        parent = &piece;
        from = to;
        diameter *= taper_;
    }
}

}  // namespace grovewright
