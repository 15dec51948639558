#include "generators/ShootGrowth.h"

#include <cmath>
#include <cstdlib>

namespace grovewright {

namespace {

// The turn of a fully slender shoot at the strongest gravity, spread over its pieces.
constexpr double kStrongestBend = 120.0;

}  // namespace

ShootGrowth::ShootGrowth(const GrowthSetup& growth, int generator, double diameterReduction)
    : seed_(Mix(static_cast<std::uint64_t>(growth.Seed()) * 4 + static_cast<std::uint64_t>(generator))),
      lengthVariation_(growth.LengthVariation() / 100.0),
      angleVariation_(growth.AngleVariation()),
      varies_(growth.LengthVariation() > 0 || growth.AngleVariation() > 0),
      bends_(growth.Gravity() != 0),
      pieces_(growth.Bend()),
      smooth_(growth.GetParameter(GrowthSetup::kSmoothBends) != 0),
      pieceShare_(1.0 / pieces_),
      target_(growth.Gravity() > 0 ? 1.0 : -1.0),
      strengthPerSlenderness_(kStrengthSteps / (kFullBendSlenderness * (1.0 + 4.0 * growth.Stiffness() / 100.0))),
      pruneBelow_(static_cast<std::uint64_t>(growth.Pruning() / 100.0 * 18446744073709551616.0)) {
    const double strongest = std::abs(growth.Gravity()) / 100.0 * kStrongestBend / pieces_;
    for (int strength = 0; bends_ && strength <= kStrengthSteps; ++strength) {
        const double step = strongest * strength / kStrengthSteps;
        stepTan_[strength] = SinDeg(step / 2) / CosDeg(step / 2);
        halfStepTan_[strength] = SinDeg(step / 4) / CosDeg(step / 4);
    }
    taper_ = pieces_ == 1 ? diameterReduction : std::pow(diameterReduction, 1.0 / pieces_);
}

}  // namespace grovewright
