#include "generators/DesignSize.h"

#include <algorithm>
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

namespace {

// bytes in the unit of scale (the largest of 1000^n not above it) with the given decimals.
std::string FormatInUnit(std::size_t bytes, std::size_t scale, int decimals) {
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB"};
    int unit = 0;
    double value = static_cast<double>(bytes), divisor = 1;
    while (static_cast<double>(scale) / divisor >= 1000 && unit < 4) divisor *= 1000, ++unit;
    if (unit == 0) decimals = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value / divisor, units[unit]);
    return text;
}

int DefaultDecimals(std::size_t bytes) {
    double value = static_cast<double>(bytes);
    while (value >= 1000) value /= 1000;
    return value < 10 ? 1 : 0;
}

}  // namespace

std::string FormatBytes(std::size_t bytes) { return FormatInUnit(bytes, bytes, DefaultDecimals(bytes)); }

std::pair<std::string, std::string> FormatBytesApart(std::size_t a, std::size_t b) {
    const std::size_t larger = std::max(a, b);
    for (int decimals = DefaultDecimals(larger);; ++decimals) {
        std::pair<std::string, std::string> texts{FormatInUnit(a, larger, decimals), FormatInUnit(b, larger, decimals)};
        if (texts.first != texts.second || a == b || decimals == 6) return texts;
    }
}

DesignSize MeasureDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves) {
    DesignSize size;
    size.skeleton = tree.CountSegments();
    size.leaves = leaves.CountLeaves(size.skeleton.branchesPerLevel);
    // Two triangles per ring step of every segment, a fan over every cut one.
    const std::size_t division = static_cast<std::size_t>(tree.Base().Division());
    size.treeTriangles = 2 * division * size.skeleton.Total() + division * size.skeleton.cut;
    size.memoryBytes = size.skeleton.Total() * sizeof(BranchSegment) + size.leaves.vertices * sizeof(LeafVertex) +
                       size.leaves.strips * kBytesPerLeafStrip + size.Triangles() * kListBytesPerTriangle;
    return size;
}

}  // namespace grovewright
