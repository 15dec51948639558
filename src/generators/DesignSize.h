#pragma once

#include <cstddef>

#include "generators/LeafGenerator.h"
#include "generators/TreeGeneratorModel.h"

namespace grovewright {

// How big a design is, known from its parameters before anything is grown:
// exact segment and leaf counts, the tree's triangles (at most: segments of
// zero length draw nothing), and estimates of the memory it takes and the
// bytes its exports write.
struct DesignSize {
    SkeletonCounts skeleton;
    LeafGeneratorModel::Counts leaves;
    std::size_t treeTriangles = 0;
    // Skeleton, leaves and the view's display lists.
    std::size_t memoryBytes = 0;
    // With leaves; about 160 and 150 bytes a triangle, measured on the examples.
    std::size_t dxfBytes = 0;
    std::size_t directXBytes = 0;

    std::size_t Triangles() const { return treeTriangles + leaves.Triangles(); }
};

DesignSize MeasureDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves);

}  // namespace grovewright
