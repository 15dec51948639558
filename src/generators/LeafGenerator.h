#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "generators/LeafSetup.h"
#include "generators/SaturatingCount.h"
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
        // A saturated count (see kCountCeiling) stays saturated.
        std::size_t Triangles() const { return vertices >= kCountCeiling ? kCountCeiling : vertices - 2 * strips; }
    };
    Counts CountLeaves(const std::vector<std::size_t>& branchesPerLevel) const;

    // The seed of the leaves' own random numbers (size, angles and colour of
    // each leaf) from the shown generator's growth seed.
    static std::uint64_t Seed(int growthSeed, int generator);
    // Some page that grows leaves varies their colour.
    bool Tinted() const;

    // Rebuilds the leaf store as one list: for every branch (its pieces count
    // as one), outermost level first, the leaves of every enabled page that
    // reaches that level, page by page, each page's leaves along the shoot in order.
    void Generate(const SkeletonLevels& skeleton, LeafStore& leaves, std::uint64_t seed = 0) const;
    // Whether a change of this LeafSetup value keeps every page's leaves in
    // number and size (their places in the list).
    static bool KeepsPlaces(int leafValue);
    // After a change of such a value on one page, rewrites that page's leaves
    // in place (the skeleton is the one the store's leaves grew on) and lists
    // the polygons written, in order. Returns false, writing nothing, when the
    // store does not hold this design's leaves in their places.
    bool RegeneratePage(const SkeletonLevels& skeleton, LeafStore& leaves, int page,
                        std::vector<std::uint32_t>& written, std::uint64_t seed = 0) const;

    // Where one strip of Generate's list sits: on the branch that ends with
    // branchEnd, of skeleton level level, at this fraction of its length.
    struct Place {
        const BranchSegment* branchEnd;
        int level;
        float fraction;
    };
    // The place of every strip Generate makes on the skeleton, in list order.
    std::vector<Place> Places(const SkeletonLevels& skeleton) const;

    // One level's branches in the list's order and the leaves of each.
    struct LevelRun;

    // "   <LeafCreator>" with LeafSetup1 .. LeafSetup20.
    void WriteSetup(TGXMLFileWriter& writer) const;
    // Reads the pages present in the file into the loaded copies (which start
    // from the current values, so what is missing or out of range stays as it
    // is). Returns whether the section exists; unreadPages, when given, receives
    // the numbers (1 .. 20) of the pages that kept their values.
    bool ReadSetup(TGXMLFileReader& reader, std::vector<int>* unreadPages = nullptr);
    // What kept page (1 .. 20) from being read: its first refused value (see
    // LeafSetup::RefusedValue). Rewinds the reader.
    std::string RefusedValue(TGXMLFileReader& reader, int page) const;
    // Moves the loaded copies into the pages.
    void ApplySetup() { pages_ = loaded_; }

private:
    // The strips and vertices of the leaves on one branch of the level depth
    // (0: the outermost level).
    Counts BranchLeaves(int depth) const;
    // Lays the list out as Generate writes it and runs
    // write(runs, first branch, last branch, half) over the branches in one
    // half or, for many leaves, two at once. fresh: the (empty) list is sized
    // for the layout; otherwise its size must be the layout's, or nothing is
    // written and the result is false.
    bool WriteInHalves(const SkeletonLevels& skeleton, LeafList& list, bool fresh,
                       const std::function<void(const std::vector<LevelRun>&, std::size_t, std::size_t, int)>& write)
        const;

    std::array<LeafSetup, kPageCount> pages_;
    std::array<LeafSetup, kPageCount> loaded_;
};

}  // namespace grovewright
