#pragma once

#include "geometry/SkeletonLevels.h"

namespace grovewright {

inline constexpr double kMaxPipeScale = 4.0;

// Sets every branch's thickness by the pipe rule, from the twig tips down: a
// branch's diameter to the exponent at any point is the sum of the same for
// everything it carries beyond that point (its side branches, and its own tip
// as thin as its thinnest side branch, or as designed when it carries none).
// A branch is carried by the piece of another whose axis its start lies on
// (or whose tip it continues); a branch on none (the trunk) carries the rest.
// The flared trunk keeps its shape, scaled. Then every diameter is scaled
// alike toward the trunk's designed foot, by 1 to kMaxPipeScale: a grown tree
// carries far fewer twigs than a real one; a piece near the ground only as far
// as its height lets its ring stay above it. diameterReduction is the tip's
// share of a piece's diameter where the piece sets none, as the mesh draws it.
void ApplyPipeRule(SkeletonLevels& skeleton, double exponent, double diameterReduction);

}  // namespace grovewright
