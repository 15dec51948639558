#include "geometry/SkeletonLevels.h"

namespace grovewright {

std::size_t SkeletonLevels::SegmentCount() const {
    std::size_t total = 0;
    for (const Level& level : levels_) total += level.size();
    return total + roots_.size();
}

bool SkeletonLevels::AnyCut() const {
    bool any = false;
    ForEachSegment([&](const BranchSegment& segment) { any = any || segment.IsCut(); });
    return any;
}

}  // namespace grovewright
