#include "generators/DesignSize.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "generators/CrownGrowth.h"
#include "geometry/BranchSegment.h"
#include "geometry/LeafPolygon.h"
#include "render/LevelsOfDetail.h"

namespace grovewright {

namespace {

// A display list keeps three vertices a triangle, each with position, normal
// and texture coordinate in single precision.
constexpr std::size_t kListBytesPerTriangle = 3 * 8 * sizeof(float);
constexpr std::size_t kBytesPerLeafStrip = 24;

// A model's vertex: position, normal, texture coordinate; its wind weights.
constexpr std::size_t kModelVertexBytes = 8 * sizeof(float), kWindVertexBytes = 4 * sizeof(float);
constexpr std::size_t kModelTriangleBytes = 3 * sizeof(std::uint32_t);
// Peaks measured against the model's size (simple trees of 2 and 4 million
// triangles, a leafy one of 260,000): wind weights are made beside the model,
// levels of detail keep three levels with their reordering, and the level the
// impostor's pictures are drawn from is meshed again and handed to the
// off-screen GL, which keeps copies of it.
constexpr double kModelPeak = 1.15, kWindPeak = 1.35, kLevelsPeak = 2.7, kAtlasPeak = 7;
// The process itself, and the off-screen GL stack that draws an impostor's
// pictures (lit, its shader code compiled at times takes some 40 MB more).
constexpr std::size_t kProcessBytes = std::size_t{16} << 20, kPictureBytes = std::size_t{136} << 20;

}  // namespace

std::size_t DesignSize::ExportBytes(const ExportNeeds& needs) const {
    const std::size_t vertices = treeVertices + (needs.withLeaves ? leaves.vertices : 0);
    const double model = static_cast<double>(vertices * (kModelVertexBytes + (needs.wind ? kWindVertexBytes : 0)) +
                                             Triangles(needs.withLeaves) * kModelTriangleBytes);
    if (!needs.levelsOfDetail)
        return static_cast<std::size_t>(model * (needs.wind ? kWindPeak : kModelPeak)) + kProcessBytes;
    double atlasShare = LevelsOfDetail::kShares[0];
    for (const double share : LevelsOfDetail::kShares)
        if ((atlasShare = share) * static_cast<double>(Triangles(needs.withLeaves)) <= kAtlasTriangles) break;
    return static_cast<std::size_t>(model * (kLevelsPeak + kAtlasPeak * atlasShare)) + kProcessBytes + kPictureBytes;
}

std::uint64_t DesignSize::GlbBytes(const ExportNeeds& needs) const {
    const std::uint64_t vertices = treeVertices + (needs.withLeaves ? leaves.vertices : 0);
    return vertices * (kModelVertexBytes + (needs.wind ? kWindVertexBytes : 0)) +
           std::uint64_t{Triangles(needs.withLeaves)} * kModelTriangleBytes;
}

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

std::size_t MemoryBudgetWithin(std::size_t physical, std::size_t addressSpace, std::size_t group) {
    std::size_t least = physical > 0 ? physical : std::size_t{8} << 30;
    for (const std::size_t limit : {addressSpace, group})
        if (limit > 0) least = std::min(least, limit);
    return least / 2;
}

namespace {

std::string ReadSmallFile(const std::string& path) {
    std::ifstream file(path);
    std::string text;
    std::getline(file, text);
    return text;
}

// A limit file's number; 0 for "max", an unset (huge) limit or no file.
std::size_t LimitIn(const std::string& path) {
    const std::string text = ReadSmallFile(path);
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() && value < (std::size_t{1} << 60) ? value : 0;
}

}  // namespace

std::size_t ControlGroupMemoryLimit(const std::string& selfCgroup, const std::string& root) {
    // The least limit of the group and the groups above it: each of them holds.
    // A container sees its own group as the root, so the walk ends there too.
    auto least = [&](std::string group, const std::string& folder, const char* file) {
        std::size_t found = 0;
        for (;; group = group.substr(0, group.find_last_of('/'))) {
            const std::size_t limit = LimitIn(root + folder + group + "/" + file);
            if (limit > 0 && (found == 0 || limit < found)) found = limit;
            if (group.empty()) return found;
        }
    };
    // Lines "id:controllers:path": "0::/path" for version 2, "N:memory:/path" for version 1.
    std::istringstream lines(selfCgroup);
    for (std::string line; std::getline(lines, line);) {
        const auto first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string group = line.substr(second + 1);
        if (group.find("..") != std::string::npos) continue;
        if (group == "/") group.clear();
        std::size_t limit = 0;
        if (controllers.empty())
            limit = least(group, "", "memory.max");
        else if (("," + controllers + ",").find(",memory,") != std::string::npos)
            limit = least(group, "/memory", "memory.limit_in_bytes");
        if (limit > 0) return limit;
    }
    return 0;
}

std::size_t ProcessMemoryBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    const std::size_t physical =
        pages > 0 && pageSize > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) : 0;
    rlimit addressSpace{};
    const std::size_t addressLimit = getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY
                                         ? static_cast<std::size_t>(addressSpace.rlim_cur)
                                         : 0;
    std::ifstream self("/proc/self/cgroup");
    const std::string groups((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
    return MemoryBudgetWithin(physical, addressLimit, ControlGroupMemoryLimit(groups, "/sys/fs/cgroup"));
}

DesignSize MeasureDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leaves) {
    DesignSize size;
    size.skeleton = tree.CountSegments();
    size.leaves = leaves.CountLeaves(size.skeleton.branchesPerLevel);
    // Two triangles per ring step of every segment, a fan over every cut one.
    const std::size_t division = static_cast<std::size_t>(tree.Base().Division());
    // Counts are at most kCountCeiling, 2^36: these products stay far within 64 bits.
    size.treeTriangles = 2 * division * size.skeleton.Total() + division * size.skeleton.cut;
    size.treeVertices = (division + 1) * (2 * size.skeleton.Total() + size.skeleton.cut);
    // A crown growth holds its nodes, points and grids while it grows.
    size.grownBytes = size.skeleton.Total() * sizeof(BranchSegment) + size.leaves.vertices * sizeof(LeafVertex) +
                      size.leaves.strips * kBytesPerLeafStrip +
                      (size.skeleton.crownPieces == 0 ? 0
                                                      : size.skeleton.crownPieces * kCrownBytesPerPiece +
                                                            size.skeleton.Total() * kCrownBytesPerSkeletonPiece);
    size.memoryBytes = size.grownBytes + size.Triangles() * kListBytesPerTriangle;
    return size;
}

}  // namespace grovewright
