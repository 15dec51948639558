#include "generators/TreeGeneratorModel.h"

#include "generators/TrunkFoot.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

void TreeGeneratorModel::WriteSetup(TGXMLFileWriter& writer) const {
    writer.WriteLine(std::string(kGeneratorIndent) + "<" + GetName() + ">");
    base_.Write(writer);
    WriteCustomSetup(writer);
    growth_.Write(writer);
    writer.WriteLine(std::string(kGeneratorIndent) + "</" + GetName() + ">");
}

bool TreeGeneratorModel::ReadSetup(TGXMLFileReader& reader) {
    const bool base = loadedBase_.Read(reader, GetName());
    return loadedGrowth_.Read(reader, GetName()) && base;
}

void TreeGeneratorModel::Rebuild(SkeletonLevels& skeleton) const {
    skeleton.Clear();
    SkeletonLevels::Level& trunk = skeleton.AppendLevel();
    AppendTrunk(trunk, base_, growth_);
    if (base_.Cut() && base_.ExtendTo() == 0) trunk.back().SetCut(true);
    GrowBranches(skeleton);
    AppendRoots(skeleton, base_, growth_, Index());
}

std::size_t SkeletonCounts::Total() const {
    std::size_t total = roots;
    for (std::size_t count : perLevel) total = CountSum(total, count);
    return total;
}

SkeletonCounts TreeGeneratorModel::CountSegments() const {
    SkeletonCounts counts;
    counts.perLevel.push_back(1);
    counts.cut = base_.Cut() && base_.ExtendTo() == 0 ? 1 : 0;
    CountBranches(counts);
    // Every branch above the trunk is drawn with the same number of pieces.
    counts.branchesPerLevel = counts.perLevel;
    for (std::size_t level = 1; level < counts.perLevel.size(); ++level)
        counts.perLevel[level] = CountProduct(counts.perLevel[level], static_cast<std::size_t>(growth_.Bend()));
    counts.perLevel[0] = static_cast<std::size_t>(TrunkPieces(growth_));
    if (GrowthSetup::AppliesTo(Index(), GrowthSetup::kCrownPoints) && growth_.CrownPoints() > 0) {
        // Crown growth adds its levels above the pages' and puts at most as many
        // pieces as there are points into each: a bound, not a count.
        const auto bound = static_cast<std::size_t>(growth_.CrownPoints());
        for (int level = 0; level < growth_.GetParameter(GrowthSetup::kCrownLevels); ++level) {
            counts.perLevel.push_back(bound);
            counts.branchesPerLevel.push_back(bound);
            counts.crownPieces += bound;
        }
        counts.exact = false;
    }
    counts.roots = static_cast<std::size_t>(growth_.Roots()) * kRootPieces;
    return counts;
}

}  // namespace grovewright
