#pragma once

#include <cstdint>

#include "generators/GrowthSetup.h"
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

    // Gravity bends a shoot by the share of this length it has, at most all of it.
    static constexpr int kStrengthSteps = 64;

    // generator: 0 simple, 1 regular, 2 complex, so that the generators vary
    // apart; trunkLength: a shoot this long or longer feels gravity fully,
    // shorter ones by their share of it.
    ShootGrowth(const GrowthSetup& growth, int generator, double diameterReduction, double trunkLength);

    // Any value differs from its default.
    bool Active() const { return varies_ || bends_ || pieces_ > 1; }
    // Lengths or angles vary per branch.
    bool Varies() const { return varies_; }
    // Gravity turns shoots.
    bool Bends() const { return bends_; }
    int Pieces() const { return pieces_; }

    // The identity of a branch: the generator's seed mixed with what tells
    // the branch apart from every other (its level, its parent, its page).
    std::uint64_t Identity(std::uint64_t a, std::uint64_t b, std::uint64_t c = 0) const;
    BranchVariation Vary(std::uint64_t identity) const;
    // The degrees an angle step moves a lean or a turn by.
    double AngleOffset(int step) const;

    // How strongly gravity bends a shoot of this length (0 .. kStrengthSteps).
    int Strength(double length) const;
    // Turns a unit direction toward the vertical by one gravity step of that
    // strength (half a step for a shoot's first piece), never beyond the
    // vertical. A shoot exactly against the vertical is balanced and stays.
    void Bend(Vector3D& direction, int strength, bool firstPiece) const;
    // Appends one shoot of Pieces() equal pieces to level, from start along the
    // unit direction, length long in all, each piece bent by gravity. The
    // pieces taper so that their rings meet. Returns the last piece; direction
    // becomes the tip's.
    BranchSegment& AppendShoot(SkeletonLevels::Level& level, const Vector3D& start, Vector3D& direction,
                               double length, const ShootShape& shape) const;

private:
    std::uint64_t seed_;
    double lengthVariation_;
    double angleVariation_;
    bool varies_;
    bool bends_;
    int pieces_;
    double target_;  // +1 up, -1 down
    double strengthPerLength_;
    // The turn of one piece (and of half a piece) at every strength.
    double stepCos_[kStrengthSteps + 1], stepSin_[kStrengthSteps + 1];
    double halfCos_[kStrengthSteps + 1], halfSin_[kStrengthSteps + 1];
    double taper_;  // the diameter reduction of one piece
};

}  // namespace grovewright
