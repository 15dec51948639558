#pragma once

#include <string>

#include "generators/BaseSetup.h"
#include "geometry/BranchSegment.h"

namespace grovewright {

// How a tree generator varies and bends its branches: a seed, per-branch
// variation of length and angles, gravity and the pieces a branch is drawn
// with. At the defaults every generator grows exactly its regular tree.
class GrowthSetup {
public:
    enum Index { kSeed, kLengthVariation, kAngleVariation, kGravity, kBend, kStiffness, kCount };
    // In file order; every edit regrows the tree.
    static constexpr Parameter kParameters[kCount] = {
        {"Seed", "Seed: ", ValueFormat::Integer, {0, 9999}, 0, kStaleSkeleton,
         "Which of the many variations of this design grows (0 to 9999). Only matters when a variation is above 0."},
        {"LengthVariation", "Length var. %: ", ValueFormat::Integer, {0, 100}, 0, kStaleSkeleton,
         "How much each branch's length differs from the design, in percent (0 to 100): 30 makes every branch "
         "between 0.70 and 1.30 times as long."},
        {"AngleVariation", "Angle var.: ", ValueFormat::Integer, {0, 90}, 0, kStaleSkeleton,
         "How far each branch's lean and turn differ from the design, in degrees (0 to 90)."},
        {"Gravity", "Gravity: ", ValueFormat::Integer, {-100, 100}, 0, kStaleSkeleton,
         "Bends every shoot along its length (-100 to 100): below 0 down, so long shoots arch and weeping tips "
         "hang; above 0 up toward the light. Slender shoots bend most (up to 120 degrees at -100 or 100), stout "
         "limbs hardly, and none into the ground."},
        {"Bend", "Bend: ", ValueFormat::Integer, {1, kMaxBranchPieces}, 1, kStaleSkeleton,
         "How many straight pieces every branch is drawn with (1 to 8): 1 keeps branches straight, more let "
         "gravity curve them. The tree's segments grow by the same factor."},
        {"Stiffness", "Stiffness: ", ValueFormat::Integer, {0, 100}, 0, kStaleSkeleton,
         "How much slender shoots resist gravity (0 to 100): at 0 the thinnest hang straight down; at 100 a shoot "
         "must be five times as slender to bend as far, so thin side shoots arch instead of hanging."},
    };
    static constexpr ParameterRange Range(Index i) { return kParameters[i].range; }

    int GetParameter(int i) const { return values_.Get(i); }
    bool SetParameter(int i, long v) { return values_.Set(i, v); }

    int Seed() const { return GetParameter(kSeed); }
    int LengthVariation() const { return GetParameter(kLengthVariation); }
    int AngleVariation() const { return GetParameter(kAngleVariation); }
    int Gravity() const { return GetParameter(kGravity); }
    int Bend() const { return GetParameter(kBend); }
    int Stiffness() const { return GetParameter(kStiffness); }
    // Every value at its default: the tree grows as it would without them.
    bool IsDefault() const { return *this == GrowthSetup(); }

    // The "      <GrowthSetup>" block after a generator's CustomSetup, written
    // only when a value differs from its default.
    void Write(TGXMLFileWriter& writer) const;
    // Reads the block inside the element generatorName. A section without the
    // block gives the defaults; a value missing from the block keeps its
    // default. False, changing nothing, when a value is out of range. Rewinds
    // the reader.
    bool Read(TGXMLFileReader& reader, const std::string& generatorName);

    bool operator==(const GrowthSetup& o) const { return values_ == o.values_; }
    bool operator!=(const GrowthSetup& o) const { return !(*this == o); }

private:
    ParameterValues<kCount> values_{kParameters};
};

}  // namespace grovewright
