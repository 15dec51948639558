#include "render/DragDetail.h"

#include <algorithm>

namespace grovewright {

void DragDetail::Measured(double milliseconds, std::size_t triangles) {
    if (triangles == 0 || milliseconds <= 0) return;
    frames_[next_] = {static_cast<double>(triangles), milliseconds};
    next_ = (next_ + 1) % kFramesKept;
    count_ = std::min(count_ + 1, kFramesKept);
}

void DragDetail::Cost(double& fixed, double& perTriangle) const {
    double sumN = 0, sumT = 0, least = frames_[0].triangles, most = least;
    for (std::size_t i = 0; i < count_; ++i) {
        sumN += frames_[i].triangles;
        sumT += frames_[i].milliseconds;
        least = std::min(least, frames_[i].triangles);
        most = std::max(most, frames_[i].triangles);
    }
    const double n = static_cast<double>(count_), meanN = sumN / n, meanT = sumT / n;
    fixed = 0;
    perTriangle = meanT / meanN;
    // Frames of nearly one size cannot tell the fixed part from the rest.
    if (most < 1.5 * least) return;
    double covariance = 0, variance = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        covariance += (frames_[i].triangles - meanN) * (frames_[i].milliseconds - meanT);
        variance += (frames_[i].triangles - meanN) * (frames_[i].triangles - meanN);
    }
    const double slope = covariance / variance, intercept = meanT - slope * meanN;
    // A line that says triangles cost nothing, or that frames cost less than
    // nothing, comes from noise: the proportion then.
    if (slope <= 0 || intercept < 0) return;
    fixed = intercept;
    perTriangle = slope;
}

double DragDetail::ShareFor(std::size_t triangles, double growthMilliseconds) const {
    if (count_ == 0) return 1.0;
    double fixed = 0, perTriangle = 0;
    Cost(fixed, perTriangle);
    const double drawing = perTriangle * static_cast<double>(triangles);
    // Frames scatter about what the cost says: aiming a little below the budget
    // keeps most of them within it.
    constexpr double kAim = 0.95;
    const double left = kAim * budget_ - growthMilliseconds - fixed;
    if (drawing <= left) return 1.0;
    const double least = std::min(1.0, std::max(kLeastShare, kLeastTriangles / static_cast<double>(triangles)));
    return std::clamp(left / drawing, least, 1.0);
}

}  // namespace grovewright
