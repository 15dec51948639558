#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "generators/LeafGenerator.h"
#include "generators/TreeGeneratorModel.h"

namespace grovewright {

// How big a design is, known from its parameters before anything is grown:
// exact segment and leaf counts, the tree's triangles (at most: segments of
// zero length draw nothing), and estimates of the memory it takes and the
// bytes its exports write.
struct DesignSize {
    // What an export asks for beyond the tree's mesh.
    struct ExportNeeds {
        bool withLeaves = true;
        bool wind = false;
        bool levelsOfDetail = false;
    };

    SkeletonCounts skeleton;
    LeafGeneratorModel::Counts leaves;
    std::size_t treeTriangles = 0;
    std::size_t treeVertices = 0;  // of the tree's model: every ring of every side, every cap
    // Skeleton and leaves as grown.
    std::size_t grownBytes = 0;
    // The grown design and the view's display lists.
    std::size_t memoryBytes = 0;

    std::size_t Triangles(bool withLeaves = true) const {
        return treeTriangles + (withLeaves ? leaves.Triangles() : 0);
    }
    // The triangles whose growth takes as long as this design's: its own, and
    // for a crown growth as many again for each piece it may grow (a piece's
    // search for its points costs about as much as kCrownPieceWork triangles).
    static constexpr std::size_t kCrownPieceWork = 125;
    std::size_t GrowthWork() const {
        return CountSum(Triangles(), CountProduct(skeleton.crownPieces, kCrownPieceWork));
    }
    // The bytes of an export: about 160 (DXF) and 150 (DirectX) a triangle,
    // measured on the examples.
    std::size_t DXFBytes(bool withLeaves) const { return Triangles(withLeaves) * 160; }
    std::size_t DirectXBytes(bool withLeaves) const { return Triangles(withLeaves) * 150; }
    // The memory an export takes at its peak beyond the grown design: the
    // model's arrays (with wind weights when asked), the reduced levels and the
    // impostor's pictures of levels of detail with the off-screen drawing they
    // need. Measured on large trees, with a margin.
    std::size_t ExportBytes(const ExportNeeds& needs) const;
    // The bytes of a GLB of the model, from the counts: every vertex's
    // position, normal and texture coordinate in single precision (and its
    // wind weights), three 32-bit indices a triangle. Its textures come on top.
    std::uint64_t GlbBytes(const ExportNeeds& needs) const;
};

// "12 MB", "3.4 GB".
std::string FormatBytes(std::size_t bytes);
// Two sizes in one unit, with as many decimals as it takes for different sizes
// to read differently: "13.4 GB" and "13.1 GB", never "13 GB" and "13 GB".
std::pair<std::string, std::string> FormatBytesApart(std::size_t a, std::size_t b);

// The memory a design may take: half of the least of the computer's memory,
// the process's address-space limit (ulimit -v) and its control group's memory
// limit, so that a process under a limit refuses what it could not hold.
std::size_t ProcessMemoryBudget();
// The same from given limits (0: no limit of that kind).
std::size_t MemoryBudgetWithin(std::size_t physical, std::size_t addressSpace, std::size_t group);
// The memory limit of the control group that /proc/self/cgroup's text names
// under the cgroup file systems at root ("memory.max" of version 2, else
// "memory.limit_in_bytes" of version 1); 0 when there is none.
std::size_t ControlGroupMemoryLimit(const std::string& selfCgroup, const std::string& root);

DesignSize MeasureDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves);

}  // namespace grovewright
