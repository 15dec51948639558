#include "generators/DesignSize.h"

#include "geometry/BranchSegment.h"
#include "geometry/LeafPolygon.h"

namespace grovewright {

namespace {

// A display list keeps three vertices a triangle, each with position, normal
// and texture coordinate in single precision.
constexpr std::size_t kListBytesPerTriangle = 3 * 8 * sizeof(float);
constexpr std::size_t kBytesPerLeafStrip = 16;

}  // namespace

DesignSize MeasureDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves) {
    DesignSize size;
    size.skeleton = tree.CountSegments();
    size.leaves = leaves.CountLeaves(size.skeleton.perLevel);
    // Two triangles per ring step of every segment, a fan over every cut one.
    const std::size_t division = static_cast<std::size_t>(tree.Base().Division());
    size.treeTriangles = 2 * division * size.skeleton.Total() + division * size.skeleton.cut;
    size.memoryBytes = size.skeleton.Total() * sizeof(BranchSegment) + size.leaves.vertices * sizeof(LeafVertex) +
                       size.leaves.strips * kBytesPerLeafStrip + size.Triangles() * kListBytesPerTriangle;
    return size;
}

}  // namespace grovewright
