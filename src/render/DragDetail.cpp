#include "render/DragDetail.h"

#include <algorithm>

namespace grovewright {

void DragDetail::Measured(double milliseconds, std::size_t triangles) {
    if (triangles == 0 || milliseconds <= 0) return;
    const double cost = milliseconds / static_cast<double>(triangles);
    // Half the last frame, half those before: a busy moment passes, a slower
    // design (more leaves, a bigger window) is followed within a few frames.
    perTriangle_ = perTriangle_ == 0 ? cost : 0.5 * (perTriangle_ + cost);
}

double DragDetail::ShareFor(std::size_t triangles, double growthMilliseconds) const {
    if (perTriangle_ == 0) return 1.0;
    const double drawing = perTriangle_ * static_cast<double>(triangles);
    const double left = budget_ - growthMilliseconds;
    if (drawing <= left) return 1.0;
    return std::clamp(left / drawing, kLeastShare, 1.0);
}

}  // namespace grovewright
