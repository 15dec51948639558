#pragma once

#include "generators/BaseSetup.h"
#include "generators/GrowthSetup.h"
#include "geometry/SkeletonLevels.h"

namespace grovewright {

// The trunk's foot: the flare that widens it toward the ground and the roots
// that leave it, from a generator's growth values.

// A flared trunk is drawn with this many pieces over the flare, and one above
// it unless the flare reaches the top.
inline constexpr int kFlarePieces = 6;
// Every root is drawn with this many pieces.
inline constexpr int kRootPieces = 8;

// The pieces the trunk is drawn with: 1 without a flare.
int TrunkPieces(const GrowthSetup& growth);

// Appends the trunk to level: from (0, 0, 0) to (0, Height, 0), Diameter at the
// foot narrowing to Diameter times the reduction at the top, widened by the
// flare; in pieces whose rings meet, the last one the trunk's end.
void AppendTrunk(SkeletonLevels::Level& level, const BaseSetup& base, const GrowthSetup& growth);

// Appends the roots to the skeleton's roots: spread around the foot (turned and
// lengthened a little each by the seed), their tops leaving the trunk at the
// buttress height, coming down to run half above the ground, then sinking ever
// faster and thinning to the depth at their tips. generator: 0 simple, 1 regular, 2 complex (their roots differ).
void AppendRoots(SkeletonLevels& skeleton, const BaseSetup& base, const GrowthSetup& growth, int generator);

}  // namespace grovewright
