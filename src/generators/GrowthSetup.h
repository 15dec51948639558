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
    enum Index {
        kSeed,
        kLengthVariation,
        kAngleVariation,
        kGravity,
        kBend,
        kStiffness,
        kPruning,
        kCrownShape,
        kCrownBase,
        kCrownWidth,
        kFlareWidth,
        kFlareHeight,
        kRoots,
        kRootLength,
        kRootDepth,
        kRootRise,
        kCrownPoints,
        kCrownReach,
        kCrownStep,
        kCrownKill,
        kCrownLight,
        kCrownFrom,
        kCrownLevels,
        kPipeRule,
        kPipeExponent,
        kSmoothBends,
        kCount
    };
    // The crown's envelopes, by CrownShape.
    enum Crown {
        kCylindrical,
        kConical,
        kSpherical,
        kHemispherical,
        kTaperedCylindrical,
        kFlame,
        kInverseConical,
        kTendFlame,
        kUmbrella,
        kCrownCount
    };
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
        {"Pruning", "Pruning %: ", ValueFormat::Integer, {0, 90}, 0, kStaleSkeleton,
         "Share of the branches above the trunk left out, with all they carry, in percent (0 to 90); the Seed "
         "picks which, so every seed grows another structure. Each branching leaves out this share, so the losses "
         "add up: at 10 about half the outermost twigs of a tree branched six times over remain."},
        {"CrownShape", "Crown shape: ", ValueFormat::Integer, {0, kCrownCount - 1}, 0, kStaleSkeleton,
         "Scales the trunk's branches by their height on it (0 to 8): 0 cylindrical (all alike), 1 conical, 2 "
         "spherical, 3 hemispherical, 4 tapered cylindrical, 5 flame, 6 inverse conical, 7 tend-flame, 8 umbrella "
         "(widest at the top; with Crown width nothing grows above the trunk's top, so the crown is flat). "
         "Regular and complex generators."},
        {"CrownBase", "Crown base %: ", ValueFormat::Integer, {0, 95}, 0, kStaleSkeleton,
         "Where the crown's shape begins, as a share of the trunk's height (0 to 95): below it branches are as "
         "long as at the crown's foot."},
        {"CrownWidth", "Crown width %: ", ValueFormat::Integer, {0, 200}, 0, kStaleSkeleton,
         "Prunes every branch to the crown's shape (0 to 200): its widest radius as a share of the trunk's "
         "height; branches that would reach beyond it are shortened. 0: no pruning to the shape."},
        {"FlareWidth", "Flare %: ", ValueFormat::Integer, {0, 300}, 0, kStaleSkeleton,
         "How much wider the trunk is at the ground, in percent of its diameter (0 to 300): the flare of an old "
         "trunk's foot."},
        {"FlareHeight", "Flare height %: ", ValueFormat::Integer, {1, 100}, 20, kStaleSkeleton,
         "How high the flare reaches, as a share of the trunk's height (1 to 100)."},
        {"Roots", "Roots: ", ValueFormat::Integer, {0, 32}, 0, kStaleSkeleton,
         "How many roots leave the trunk's foot (0 to 32), spread around it and running down into the ground."},
        {"RootLength", "Root length: ", ValueFormat::Metres, {10, 2000}, 300, kStaleSkeleton,
         "How far the roots reach out from the trunk, in metres (0.10 to 20.00 m); the Seed varies each one."},
        {"RootDepth", "Root depth: ", ValueFormat::Metres, {0, 500}, 60, kStaleSkeleton,
         "How deep below the ground the roots' tips go, in metres (0 to 5.00 m)."},
        {"RootRise", "Buttress: ", ValueFormat::Metres, {0, 300}, 30, kStaleSkeleton,
         "How high the roots' tops rise above the ground where they leave the trunk, in metres (0 to 3.00 m): "
         "high values make buttresses."},
        {"CrownPoints", "Crown points: ", ValueFormat::Integer, {0, 20000}, 0, kStaleSkeleton,
         "Crown growth: how many points of space are scattered through the crown (0 to 20000) for fine shoots to "
         "grow into, each drawing the nearest bud toward it until a shoot comes near; more points fill the crown "
         "more densely. 0: no crown growth. Regular and complex generators."},
        {"CrownReach", "Reach: ", ValueFormat::Metres, {10, 1000}, 150, kStaleSkeleton,
         "Crown growth: how far a point of space draws a bud, in metres (0.10 to 10.00 m)."},
        {"CrownStep", "Step: ", ValueFormat::Metres, {5, 200}, 30, kStaleSkeleton,
         "Crown growth: how far a shoot grows at each step toward its points, in metres (0.05 to 2.00 m); every "
         "step is one piece of the shoot."},
        {"CrownKill", "Kill distance: ", ValueFormat::Metres, {5, 500}, 50, kStaleSkeleton,
         "Crown growth: a point of space this close to a shoot is used up, in metres (0.05 to 5.00 m); shoots of "
         "different branches never grow closer to one another than this."},
        {"CrownLight", "Light: ", ValueFormat::Integer, {-100, 100}, 20, kStaleSkeleton,
         "Crown growth: how strongly the shoots turn toward the light (above 0, up to 100) or sag with gravity "
         "(below 0, down to -100) as they grow."},
        {"CrownFrom", "From level: ", ValueFormat::Integer, {0, 20}, 1, kStaleSkeleton,
         "Crown growth: buds sit on the branches of this level and above (0 the trunk, 1 its branches, up to 20)."},
        {"CrownLevels", "Levels added: ", ValueFormat::Integer, {1, 8}, 3, kStaleSkeleton,
         "Crown growth: how many levels of shoots the growth adds above the pages' levels (1 to 8): shoots from "
         "the buds, their side shoots, and so on. Each added level holds at most as many pieces as there are "
         "crown points."},
        {"PipeRule", "Pipe rule: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Thickness by the pipe rule: every branch's cross-section is the sum of what it carries, from the twig "
         "tips down, so limbs thin at every fork and the trunk is as thick as its crown. Off: the designed "
         "diameters and their taper."},
        {"PipeExponent", "Pipe exponent: ", ValueFormat::Hundredths, {200, 300}, 250, kStaleSkeleton,
         "The pipe rule's exponent (2.00 to 3.00): a branch's diameter to this power is the sum of its children's; "
         "2 keeps the area, 3 gives stouter limbs. Also sets the thickness of the crown growth's shoots."},
        {"SmoothBends", "Smooth bends: ", ValueFormat::None, kFlagRange, 0, kStaleSkeleton,
         "Bent branches (Bend above 1) curve without kinks: at every joint the ring lies across the mean of "
         "the two pieces' directions, so the bend is shared by both. Off: each piece's ring is square to the "
         "piece before it. The crown growth's shoots are always smooth."},
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
    int Pruning() const { return GetParameter(kPruning); }
    int CrownShape() const { return GetParameter(kCrownShape); }
    int CrownBase() const { return GetParameter(kCrownBase); }
    int CrownWidth() const { return GetParameter(kCrownWidth); }
    int FlareWidth() const { return GetParameter(kFlareWidth); }
    int FlareHeight() const { return GetParameter(kFlareHeight); }
    int Roots() const { return GetParameter(kRoots); }
    int RootLength() const { return GetParameter(kRootLength); }
    int RootDepth() const { return GetParameter(kRootDepth); }
    int RootRise() const { return GetParameter(kRootRise); }
    int CrownPoints() const { return GetParameter(kCrownPoints); }
    bool PipeRule() const { return GetParameter(kPipeRule) != 0; }
    // Whether the generator (0 simple, 1 regular, 2 complex) grows by the value:
    // the simple generator's forks have no trunk branches to shape or fill a
    // crown with, nor carriers for the pipe rule.
    static bool AppliesTo(int generator, int index) {
        return generator != 0 || ((index < kCrownShape || index > kCrownWidth) &&
                                  (index < kCrownPoints || index > kPipeExponent));
    }
    // The crown's relative width (0 to 1) at depth (0 at the crown's top, 1 at
    // its base) for a Crown shape.
    static double CrownEnvelope(int shape, double depth);
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
