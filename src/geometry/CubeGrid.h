#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <vector>

#include "geometry/Vector3D.h"

namespace grovewright {

// The box around points added one by one; empty (low above high) at first.
struct PointBox {
    Vector3D low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                 std::numeric_limits<double>::infinity()};
    Vector3D high{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                  -std::numeric_limits<double>::infinity()};
    void Add(const Vector3D& p) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
};

// A box cut into cubes: the points within s cube edges of a point lie in the
// cubes up to s away from its cube. Points outside the box belong to its
// outermost cubes, where they are still found.
class CubeSpace {
public:
    // Cubes at least edge wide over the box from low to high; wider when the
    // box would need more than kMaxCubes of them.
    static constexpr double kMaxCubes = 1 << 15;
    CubeSpace(const Vector3D& low, const Vector3D& high, double edge) : low_(low) {
        const double extent[3] = {high.x - low.x, high.y - low.y, high.z - low.z};
        auto countFor = [&](double e) {
            double total = 1.0;
            for (int axis = 0; axis < 3; ++axis) total *= std::max(1.0, std::ceil(std::max(extent[axis], 0.0) / e));
            return total;
        };
        if (!(edge > 0.0)) edge = 1.0;
        while (countFor(edge) > kMaxCubes) edge *= 1.25;
        inverse_ = 1.0 / edge;
        for (int axis = 0; axis < 3; ++axis)
            count_[axis] = static_cast<int>(std::max(1.0, std::ceil(std::max(extent[axis], 0.0) / edge)));
    }

    std::size_t Size() const { return static_cast<std::size_t>(count_[0]) * count_[1] * count_[2]; }
    double Edge() const { return 1.0 / inverse_; }
    int Count(int axis) const { return count_[axis]; }
    void Locate(const Vector3D& p, int& x, int& y, int& z) const {
        x = Cube(p.x, low_.x, 0), y = Cube(p.y, low_.y, 1), z = Cube(p.z, low_.z, 2);
    }
    std::size_t Index(int x, int y, int z) const {
        return (static_cast<std::size_t>(x) * count_[1] + y) * count_[2] + z;
    }
    // The cube along axis (0 x, 1 y, 2 z) that holds the coordinate v.
    int CubeOf(double v, int axis) const { return Cube(v, axis == 0 ? low_.x : axis == 1 ? low_.y : low_.z, axis); }
    // Where cube c begins along axis.
    double CubeStart(int c, int axis) const { return (axis == 0 ? low_.x : axis == 1 ? low_.y : low_.z) + c / inverse_; }
    std::size_t IndexOf(const Vector3D& p) const {
        int x, y, z;
        Locate(p, x, y, z);
        return Index(x, y, z);
    }

private:
    int Cube(double v, double low, int axis) const {
        const double cube = std::floor((v - low) * inverse_);
        // NaN goes to the first cube too.
        return !(cube >= 0.0) ? 0 : cube >= count_[axis] ? count_[axis] - 1 : static_cast<int>(cube);
    }

    Vector3D low_;
    double inverse_ = 1.0;
    int count_[3] = {1, 1, 1};
};

// Entries added one by one, by cube: those within one cube's edge of a point
// are in the 27 cubes around it.
template <typename Entry>
class CubeGrid {
public:
    CubeGrid(const Vector3D& low, const Vector3D& high, double edge) : space_(low, high, edge), cubes_(space_.Size()) {}

    void Add(const Vector3D& p, const Entry& entry) { cubes_[space_.IndexOf(p)].push_back(entry); }
    // Calls f(entry) for every entry in the cubes around p's.
    template <typename F>
    void ForNear(const Vector3D& p, F&& f) const {
        int x, y, z;
        space_.Locate(p, x, y, z);
        for (int i = std::max(0, x - 1); i <= std::min(space_.Count(0) - 1, x + 1); ++i)
            for (int j = std::max(0, y - 1); j <= std::min(space_.Count(1) - 1, y + 1); ++j)
                for (int k = std::max(0, z - 1); k <= std::min(space_.Count(2) - 1, z + 1); ++k)
                    for (const Entry& entry : cubes_[space_.Index(i, j, k)]) f(entry);
    }

private:
    CubeSpace space_;
    std::vector<std::vector<Entry>> cubes_;
};

// A set of entries indexed at once by their point, in one array in cube
// order (each entry with its point and whatever it carries, so a query reads
// memory in order): the cubes of a row along z are one run of it. Built again
// when the set changes; a query may drop entries for good. Entry has a
// Vector3D point and an int id, -1 once dropped.
template <typename Entry>
class CubeIndex {
public:
    CubeIndex(const Vector3D& low, const Vector3D& high, double edge)
        : space_(low, high, edge), begin_(space_.Size() + 1, 0) {}

    // Indexes the entries not dropped, in their order within a cube.
    void Build(const std::vector<Entry>& entries) {
        std::fill(begin_.begin(), begin_.end(), 0);
        cubeOf_.clear();
        for (const Entry& entry : entries)
            if (entry.id >= 0) ++begin_[cubeOf_.emplace_back(space_.IndexOf(entry.point)) + 1];
        for (std::size_t c = 1; c < begin_.size(); ++c) begin_[c] += begin_[c - 1];
        sorted_.resize(cubeOf_.size());
        next_.assign(begin_.begin(), begin_.end() - 1);
        std::size_t i = 0;
        for (const Entry& entry : entries)
            if (entry.id >= 0) sorted_[static_cast<std::size_t>(next_[cubeOf_[i++]]++)] = entry;
    }

    const CubeSpace& Space() const { return space_; }
    // Every entry indexed, dropped ones too, in cube order.
    std::vector<Entry>& Entries() { return sorted_; }
    // Calls f(entry) for every entry not dropped in the cubes that reach
    // within radius of p (and some beyond), provided every point indexed lies
    // inside the box; f may change the entry, or drop it by setting its id to -1.
    template <typename F>
    void ForWithin(const Vector3D& p, double radius, F&& f) {
        const double r2 = radius * radius, edge = space_.Edge();
        // How far p lies outside cube c along an axis, 0 inside it.
        auto gap = [&](double v, int c, int axis) {
            const double start = space_.CubeStart(c, axis);
            return v < start ? start - v : v > start + edge ? v - start - edge : 0.0;
        };
        const int lastZ = space_.Count(2) - 1;
        for (int i = space_.CubeOf(p.x - radius, 0); i <= space_.CubeOf(p.x + radius, 0); ++i) {
            const double gx = gap(p.x, i, 0);
            for (int j = space_.CubeOf(p.y - radius, 1); j <= space_.CubeOf(p.y + radius, 1); ++j) {
                const double gy = gap(p.y, j, 1), across = gx * gx + gy * gy;
                if (across > r2) continue;
                // The row's cubes within the circle the sphere cuts from it.
                const double half = std::sqrt(r2 - across);
                const int from = std::max(0, space_.CubeOf(p.z - half, 2));
                const int to = std::min(lastZ, space_.CubeOf(p.z + half, 2));
                const int end = begin_[space_.Index(i, j, to) + 1];
                for (int at = begin_[space_.Index(i, j, from)]; at < end; ++at) {
                    Entry& entry = sorted_[static_cast<std::size_t>(at)];
                    if (entry.id >= 0) f(entry);
                }
            }
        }
    }

private:
    CubeSpace space_;
    std::vector<int> begin_;  // where each cube's entries start in sorted_, then the end
    std::vector<Entry> sorted_;
    std::vector<std::size_t> cubeOf_;
    std::vector<int> next_;
};

// The squared distance between two points: for comparisons, without a root.
inline double SquaredDistance(const Vector3D& a, const Vector3D& b) {
    const double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return x * x + y * y + z * z;
}

}  // namespace grovewright
