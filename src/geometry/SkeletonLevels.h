#pragma once

#include <cstddef>
#include <deque>

#include "geometry/BranchSegment.h"
#include "geometry/StableList.h"

namespace grovewright {

// The skeleton: segments grouped by growth level. Level 0 holds the trunk after a
// rebuild; level k the segments created at growth depth k, in creation order.
// The roots are kept apart: they bear neither branches nor leaves, but are
// drawn, exported and swayed (not at all) like the rest.
// Neither levels nor segments move once appended, so references to a level and
// parent pointers stay valid while the skeleton grows, until Clear().
class SkeletonLevels {
public:
    using Level = StableList<BranchSegment>;

    SkeletonLevels() = default;
    SkeletonLevels(const SkeletonLevels&) = delete;
    SkeletonLevels& operator=(const SkeletonLevels&) = delete;

    // Removes every level and segment; the object is reused by the next rebuild.
    void Clear() {
        levels_.clear();
        roots_.clear();
    }
    // Appends a new empty level and returns it.
    Level& AppendLevel() { return levels_.emplace_back(); }

    std::size_t LevelCount() const { return levels_.size(); }
    bool Empty() const { return levels_.empty(); }
    Level& operator[](std::size_t level) { return levels_[level]; }
    const Level& operator[](std::size_t level) const { return levels_[level]; }
    Level& Roots() { return roots_; }
    const Level& Roots() const { return roots_; }
    // Every segment of every level, then the roots.
    template <typename F>
    void ForEachSegment(F&& f) const {
        for (const Level& level : levels_)
            for (const BranchSegment& segment : level) f(segment);
        for (const BranchSegment& segment : roots_) f(segment);
    }
    // Of the levels and the roots.
    std::size_t SegmentCount() const;
    // Whether any segment is cut (and so gets a cap).
    bool AnyCut() const;

    std::deque<Level>::const_iterator begin() const { return levels_.begin(); }
    std::deque<Level>::const_iterator end() const { return levels_.end(); }

private:
    std::deque<Level> levels_;
    Level roots_;
};

}  // namespace grovewright
