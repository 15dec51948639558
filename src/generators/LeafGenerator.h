#pragma once

#include <array>
#include <string>
#include <vector>

#include "generators/LeafSetup.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"

namespace grovewright {

// The leaf generator's model: twenty leaf pages and their loaded copies, the
// generation of leaf strips on the skeleton and the project-file section.
class LeafGeneratorModel {
public:
    static constexpr int kPageCount = 20;

    std::string GetName() const { return "LeafCreator"; }

    LeafSetup& Page(int index) { return pages_[index]; }
    const LeafSetup& Page(int index) const { return pages_[index]; }
    const LeafSetup& LoadedPage(int index) const { return loaded_[index]; }

    // Every page back to its initial values.
    void Reset() { pages_ = {}; }

    // The triangle strips and vertices Generate makes on a skeleton with these
    // branch counts per level (level 0 the trunk).
    struct Counts {
        std::size_t strips = 0;
        std::size_t vertices = 0;
        std::size_t Triangles() const { return vertices - 2 * strips; }
    };
    Counts CountLeaves(const std::vector<std::size_t>& branchesPerLevel) const;

    // Rebuilds the leaf store as one list: for every branch (its pieces count
    // as one), outermost level first, one leaf per enabled page that reaches
    // that level.
    void Generate(const SkeletonLevels& skeleton, LeafStore& leaves) const;

    // Where one strip of Generate's list sits: on the branch that ends with
    // branchEnd, of skeleton level level, at this fraction of its length.
    struct Place {
        const BranchSegment* branchEnd;
        int level;
        float fraction;
    };
    // The place of every strip Generate makes on the skeleton, in list order.
    std::vector<Place> Places(const SkeletonLevels& skeleton) const;

    // "   <LeafCreator>" with LeafSetup1 .. LeafSetup20.
    void WriteSetup(TGXMLFileWriter& writer) const;
    // Reads the pages present in the file into the loaded copies (which start
    // from the current values, so what is missing or out of range stays as it
    // is). Returns whether the section exists; unreadPages, when given, receives
    // the numbers (1 .. 20) of the pages that kept their values.
    bool ReadSetup(TGXMLFileReader& reader, std::vector<int>* unreadPages = nullptr);
    // Moves the loaded copies into the pages.
    void ApplySetup() { pages_ = loaded_; }

private:
    // The strips and vertices of the leaves on one branch of the level depth
    // (0: the outermost level).
    Counts BranchLeaves(int depth) const;

    std::array<LeafSetup, kPageCount> pages_;
    std::array<LeafSetup, kPageCount> loaded_;
};

}  // namespace grovewright
