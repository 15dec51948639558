#include "geometry/SkeletonLevels.h"

namespace grovewright {

std::size_t SkeletonLevels::SegmentCount() const {
    std::size_t total = 0;
    for (const Level& level : levels_) total += level.size();
    return total;
}

bool SkeletonLevels::AnyCut() const {
    for (const Level& level : levels_)
        for (const BranchSegment& segment : level)
            if (segment.IsCut()) return true;
    return false;
}

}  // namespace grovewright
