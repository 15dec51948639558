#include "generators/DesignSize.h"

#include <cstdio>

#include "geometry/BranchSegment.h"
#include "geometry/LeafPolygon.h"

namespace grovewright {

namespace {

// A display list keeps three vertices a triangle, each with position, normal
// and texture coordinate in single precision.
constexpr std::size_t kListBytesPerTriangle = 3 * 8 * sizeof(float);
constexpr std::size_t kBytesPerLeafStrip = 16;

}  // namespace

std::string FormatBytes(std::size_t bytes) {
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000 && unit < 4) value /= 1000, ++unit;
    char text[32];
    std::snprintf(text, sizeof text, value < 10 && unit > 0 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

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
