#include "generators/ShootGrowth.h"

#include <cmath>
#include <cstdlib>

namespace grovewright {

namespace {

// The turn of a shoot as long as the trunk at the strongest gravity, spread
// over its pieces.
constexpr double kStrongestBend = 120.0;

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

}  // namespace

ShootGrowth::ShootGrowth(const GrowthSetup& growth, int generator, double diameterReduction, double trunkLength)
    : seed_(SplitMix(static_cast<std::uint64_t>(growth.Seed()) * 4 + static_cast<std::uint64_t>(generator))),
      lengthVariation_(growth.LengthVariation() / 100.0),
      angleVariation_(growth.AngleVariation()),
      varies_(growth.LengthVariation() > 0 || growth.AngleVariation() > 0),
      bends_(growth.Gravity() != 0),
      pieces_(growth.Bend()),
      target_(growth.Gravity() > 0 ? 1.0 : -1.0),
      strengthPerLength_(trunkLength >= 1.0 ? kStrengthSteps / trunkLength : kStrengthSteps) {
    const double strongest = std::abs(growth.Gravity()) / 100.0 * kStrongestBend / pieces_;
    for (int s = 0; s <= (bends_ ? kStrengthSteps : 0); ++s) {
        const double step = strongest * s / kStrengthSteps;
        stepCos_[s] = CosDeg(step), stepSin_[s] = SinDeg(step);
        halfCos_[s] = CosDeg(step / 2), halfSin_[s] = SinDeg(step / 2);
    }
    taper_ = pieces_ == 1 ? diameterReduction : std::pow(diameterReduction, 1.0 / pieces_);
}

std::uint64_t ShootGrowth::Identity(std::uint64_t a, std::uint64_t b, std::uint64_t c) const {
    return SplitMix(SplitMix(SplitMix(seed_ ^ a) ^ b) ^ c);
}

BranchVariation ShootGrowth::Vary(std::uint64_t identity) const {
    constexpr double kTwentyOneBits = 2097152.0;
    BranchVariation variation;
    const double u = static_cast<double>(identity & 0x1fffff) / kTwentyOneBits;
    variation.lengthFactor = 1.0 + lengthVariation_ * (2.0 * u - 1.0);
    variation.leanStep = static_cast<int>((identity >> 21) % kAngleSteps);
    variation.turnStep = static_cast<int>((identity >> 27) % kAngleSteps);
    variation.turnFraction = static_cast<double>((identity >> 33) & 0x1fffff) / kTwentyOneBits;
    return variation;
}

double ShootGrowth::AngleOffset(int step) const {
    return angleVariation_ * ((step + 0.5) / (kAngleSteps / 2) - 1.0);
}

int ShootGrowth::Strength(double length) const {
    const double strength = length * strengthPerLength_ + 0.5;
    return strength >= kStrengthSteps ? kStrengthSteps : static_cast<int>(strength);
}

void ShootGrowth::Bend(Vector3D& direction, int strength, bool firstPiece) const {
    const double cosine = firstPiece ? halfCos_[strength] : stepCos_[strength];
    const double sine = firstPiece ? halfSin_[strength] : stepSin_[strength];
    // The cosine of the angle to the vertical the shoot turns to.
    const double toTarget = direction.y * target_;
    if (toTarget >= cosine) {
        direction = Vector3D(0, target_, 0);
        return;
    }
    const double away = 1.0 - toTarget * toTarget;
    if (away < 1e-24) return;
    // direction cos + (unit vector toward the target, across direction) sin
    const double across = sine / std::sqrt(away);
    Vector3D turned = direction;
    turned.Scale(cosine - toTarget * across);
    turned.y += target_ * across;
    direction = turned;
}

BranchSegment& ShootGrowth::AppendShoot(SkeletonLevels::Level& level, const Vector3D& start, Vector3D& direction,
                                        double length, const ShootShape& shape) const {
    const double pieceLength = length / pieces_;
    const int strength = bends_ ? Strength(length) : 0;
    Vector3D from = start;
    double diameter = shape.diameter;
    const BranchSegment* parent = shape.parent;
    for (int i = 0;; ++i) {
        if (bends_) Bend(direction, strength, i == 0);
        Vector3D to = direction;
        to.Scale(pieceLength).Add(from);
        BranchSegment& piece = level.Append(from, to, shape.twist, shape.spread, shape.share, diameter, parent);
        piece.SetPiece(i, pieces_);
        if (i + 1 == pieces_) {
            if (shape.cut) piece.SetCut(true);
            return piece;
        }
        parent = &piece;
        from = to;
        diameter *= taper_;
    }
}

}  // namespace grovewright
