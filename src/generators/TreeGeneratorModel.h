#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "generators/BaseSetup.h"
#include "generators/GrowthSetup.h"
#include "generators/SaturatingCount.h"

namespace grovewright {

class SkeletonLevels;

// Pruning is counted draw by draw, as growth draws it, up to this many draws in
// all; beyond, a level's branches are its parents' laterals times the share
// pruning keeps. So counting takes a bounded time, however many branches a
// design would grow: a design that large is refused or grown for minutes.
constexpr std::size_t kExactPruningDraws = std::size_t{1} << 22;

// What Rebuild will make, known from the parameters alone: the segments of
// every level, the branches they draw (a bent branch is several segments) and
// how many of them are cut. Each count is at most kCountCeiling.
struct SkeletonCounts {
    std::vector<std::size_t> perLevel;
    std::vector<std::size_t> branchesPerLevel;
    std::size_t cut = 0;
    std::size_t roots = 0;  // segments of the roots, which no level holds
    // False when pruning was counted by its expectation for some levels, or a
    // crown growth's levels by their bound.
    bool exact = true;
    // The most pieces a crown growth may grow, in all its levels.
    std::size_t crownPieces = 0;
    // Every segment, the roots' too.
    std::size_t Total() const;
};

// The model behind a tree generator page: the BaseSetup values and their loaded
// copy, the project-file section and the rebuild. The window classes wrap one of
// these and add the controls; everything that can be decided without a window
// lives here.
class TreeGeneratorModel {
public:
    TreeGeneratorModel() = default;
    TreeGeneratorModel(const TreeGeneratorModel&) = delete;
    TreeGeneratorModel& operator=(const TreeGeneratorModel&) = delete;
    virtual ~TreeGeneratorModel() = default;

    // The element name of the generator's section, e.g. "SimpleGrovewright".
    virtual std::string GetName() const = 0;
    // 0 simple, 1 regular, 2 complex: growth's numbers differ between them.
    virtual int Index() const = 0;

    BaseSetup& Base() { return base_; }
    const BaseSetup& Base() const { return base_; }
    const BaseSetup& LoadedBase() const { return loadedBase_; }
    GrowthSetup& Growth() { return growth_; }
    const GrowthSetup& Growth() const { return growth_; }

    // Back to the defaults of every parameter.
    virtual void Reset() {
        base_ = BaseSetup();
        growth_ = GrowthSetup();
    }

    // The whole section: "   <Name>", the BaseSetup block, the generator's own
    // CustomSetup block, the GrowthSetup block when it is not the default, "   </Name>".
    void WriteSetup(TGXMLFileWriter& writer) const;
    // Reads the section into the loaded values; false when the BaseSetup block
    // (or the generator's own block) is missing or invalid, or the GrowthSetup
    // block holds a value out of range.
    virtual bool ReadSetup(TGXMLFileReader& reader);
    // Moves the loaded values into the current ones.
    virtual void ApplySetup() {
        base_ = loadedBase_;
        growth_ = loadedGrowth_;
    }

    // Clears the skeleton, places the trunk as level 0 from (0, 0, 0) to
    // (0, Height, 0) (in pieces when it is flared), capped when Cut is set and
    // ExtendTo is 0, grows the branches, then the roots.
    void Rebuild(SkeletonLevels& skeleton) const;
    // The counts Rebuild would give, without growing anything.
    SkeletonCounts CountSegments() const;

protected:
    virtual void WriteCustomSetup(TGXMLFileWriter& writer) const = 0;
    // Appends the levels above the trunk.
    virtual void GrowBranches(SkeletonLevels& skeleton) const = 0;
    // Adds the branches GrowBranches would append to the trunk's counts, one
    // count per branch however many pieces it is drawn with.
    virtual void CountBranches(SkeletonCounts& counts) const = 0;

private:
    BaseSetup base_;
    BaseSetup loadedBase_;
    GrowthSetup growth_;
    GrowthSetup loadedGrowth_;
};

}  // namespace grovewright
