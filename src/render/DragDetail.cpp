#include "render/DragDetail.h"

#include <algorithm>
#include <cstddef>

namespace grovewright {

void DragDetail::Measured(double milliseconds, std::size_t triangles, bool lighter) {
    if (triangles == 0 || milliseconds <= 0) return;
    frames_[next_] = {static_cast<double>(triangles), milliseconds, lighter};
    next_ = (next_ + 1) % kFramesKept;
    count_ = std::min(count_ + 1, kFramesKept);
}

DragDetail::FrameCost DragDetail::Cost() const {
    // A lighter level is made from the whole design and so costs more to make
    // than its share of it: a line through whole and lighter frames together
    // misjudges both. Lighter frames are judged among themselves when there are any.
    const bool anyLighter = std::any_of(frames_.begin(), frames_.begin() + static_cast<std::ptrdiff_t>(count_),
                                        [](const Frame& frame) { return frame.lighter; });
    std::array<Frame, kFramesKept> used{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < count_; ++i)
        if (frames_[i].lighter || !anyLighter) used[count++] = frames_[i];
    double sumN = 0, sumT = 0, least = used[0].triangles, most = least;
    for (std::size_t i = 0; i < count; ++i) {
        sumN += used[i].triangles;
        sumT += used[i].milliseconds;
        least = std::min(least, used[i].triangles);
        most = std::max(most, used[i].triangles);
    }
    const double n = static_cast<double>(count), meanN = sumN / n, meanT = sumT / n;
    FrameCost cost{0, meanT / meanN, meanT / meanN};
    // Frames of nearly one size cannot tell the fixed part from the rest.
    if (most < 1.5 * least) return cost;
    double covariance = 0, variance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        covariance += (used[i].triangles - meanN) * (used[i].milliseconds - meanT);
        variance += (used[i].triangles - meanN) * (used[i].triangles - meanN);
    }
    const double slope = covariance / variance, intercept = meanT - slope * meanN;
    // A line that says triangles cost nothing, or that frames cost less than
    // nothing, comes from noise: the proportion then.
    if (slope <= 0 || intercept < 0) return cost;
    cost.fixed = intercept;
    cost.perTriangle = slope;
    return cost;
}

double DragDetail::ShareFor(std::size_t triangles, double growthMilliseconds) const {
    if (count_ == 0 || triangles == 0) return 1.0;
    const FrameCost cost = Cost();
    // The share whose drawing fits a budget, by a cost a triangle and a fixed part.
    auto within = [&](double budget, double fixed, double perTriangle) {
        return (kAim * budget - growthMilliseconds - fixed) / (perTriangle * static_cast<double>(triangles));
    };
    // Whether the fluid budget is aimed at is judged in proportion, which a few
    // noisy frames do not tip from one budget to the other in mid-drag; how much
    // to draw then by the line, never below its least share.
    if (within(fluid_, 0, cost.proportion) >= kFluidLeastShare)
        return std::clamp(within(fluid_, cost.fixed, cost.perTriangle), kFluidLeastShare, 1.0);
    const double least = std::min(1.0, std::max(kLeastShare, kLeastTriangles / static_cast<double>(triangles)));
    return std::clamp(within(budget_, cost.fixed, cost.perTriangle), least, 1.0);
}

}  // namespace grovewright
