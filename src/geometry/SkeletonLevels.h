#pragma once

#include <cstddef>
#include <deque>

#include "geometry/BranchSegment.h"
#include "geometry/StableList.h"

namespace grovewright {

// The skeleton: segments grouped by growth level. Level 0 holds the trunk after a
// rebuild; level k the segments created at growth depth k, in creation order.
// Neither levels nor segments move once appended, so references to a level and
// parent pointers stay valid while the skeleton grows, until Clear().
class SkeletonLevels {
public:
    using Level = StableList<BranchSegment>;

    SkeletonLevels() = default;
    SkeletonLevels(const SkeletonLevels&) = delete;
    SkeletonLevels& operator=(const SkeletonLevels&) = delete;

    // Removes every level and segment; the object is reused by the next rebuild.
    void Clear() { levels_.clear(); }
    // Appends a new empty level and returns it.
    Level& AppendLevel() { return levels_.emplace_back(); }

    std::size_t LevelCount() const { return levels_.size(); }
    bool Empty() const { return levels_.empty(); }
    Level& operator[](std::size_t level) { return levels_[level]; }
    const Level& operator[](std::size_t level) const { return levels_[level]; }
    std::size_t SegmentCount() const;
    // Whether any segment is cut (and so gets a cap).
    bool AnyCut() const;

    std::deque<Level>::const_iterator begin() const { return levels_.begin(); }
    std::deque<Level>::const_iterator end() const { return levels_.end(); }

private:
    std::deque<Level> levels_;
};

}  // namespace grovewright
