#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "generators/BranchSetup.h"
#include "generators/TreeGeneratorModel.h"

namespace grovewright {

// The regular and complex generators: twenty branch levels above the trunk.
// Every enabled page adds exactly one branch to every segment of the levels it
// covers (its parents); see GrowBranches.
class BranchTreeModel : public TreeGeneratorModel {
public:
    static constexpr int kLevelCount = 20;

    BranchSetup& Page(int index) { return pages_[index]; }
    const BranchSetup& Page(int index) const { return pages_[index]; }
    const BranchSetup& LoadedPage(int index) const { return loaded_[index]; }
    bool IsComplex() const { return complex_; }

    void Reset() override;
    // The BaseSetup, then BranchSetup1 .. BranchSetup20 into the loaded values.
    // False at once when a level's element is missing; false (reading on) when
    // a value is refused.
    bool ReadSetup(TGXMLFileReader& reader) override;
    void ApplySetup() override;

    // A page that grows at least this many branches grows them on several
    // threads (the same branches in the same order); below, starting threads
    // costs more than it saves. Tests lower it to compare the two ways.
    static constexpr std::size_t kParallelBranches = 4096;
    static void SetParallelBranches(std::size_t branches) { parallelBranches_ = branches; }

protected:
    explicit BranchTreeModel(bool complex);
    void WriteCustomSetup(TGXMLFileWriter& writer) const override;
    void GrowBranches(SkeletonLevels& skeleton) const override;
    // Follows GrowBranches with counts instead of segments.
    void CountBranches(SkeletonCounts& counts) const override;

private:
    // Fills the crown with shoots grown by competition for space, when the
    // growth values ask for it: after the pages, from their branches' buds.
    void GrowCrownShoots(SkeletonLevels& skeleton, double trunkTop) const;
    std::uint64_t CrownSeed() const;

    static std::size_t parallelBranches_;
    bool complex_;
    std::array<BranchSetup, kLevelCount> pages_;
    std::array<BranchSetup, kLevelCount> loaded_;
};

class RegularTreeModel : public BranchTreeModel {
public:
    RegularTreeModel() : BranchTreeModel(false) {}
    std::string GetName() const override { return "RegularGrovewright"; }
    int Index() const override { return 1; }
};

class ComplexTreeModel : public BranchTreeModel {
public:
    ComplexTreeModel() : BranchTreeModel(true) {}
    std::string GetName() const override { return "ComplexGrovewright"; }
    int Index() const override { return 2; }
};

}  // namespace grovewright
