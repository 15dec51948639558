#pragma once

#include <array>
#include <cstddef>

namespace grovewright {

// How much of a design the view draws while a slider moves, so that each frame
// fits a budget: worked out from what the last frames cost, not from a table,
// so that on a machine with a real graphics card it rarely draws less than
// everything.
class DragDetail {
public:
    // A drag aims at the fluid budget (sixty frames a second) when a lighter
    // level that keeps at least kFluidLeastShare of the design reaches it (the
    // share of the smallest level of detail engines are given); a design that
    // would have to lose more for it aims at the budget instead.
    static constexpr double kFluidMilliseconds = 16;
    static constexpr double kBudgetMilliseconds = 33;
    static constexpr double kFluidLeastShare = 0.2;
    // Frames scatter about what the cost says (by a tenth on a busy machine):
    // aiming this much below a budget keeps most of them within it.
    static constexpr double kAim = 0.9;
    // Aiming at the budget, a lighter level keeps at least this share of a design,
    // and at least this many triangles (all of a smaller one): fewer would no
    // longer show its shape.
    static constexpr double kLeastShare = 0.01;
    static constexpr double kLeastTriangles = 20000;
    // The frames the cost is worked out from.
    static constexpr std::size_t kFramesKept = 8;

    // A frame that drew triangles (a lighter level's, or the whole design's)
    // took milliseconds, from the edit's regrown design to the finished picture
    // (building the meshes, drawing, swapping).
    void Measured(double milliseconds, std::size_t triangles, bool lighter);
    // The share (at most 1) of a design of triangles to draw during a drag when
    // regrowing it took growthMilliseconds: what fits the fluid budget, at least
    // kFluidLeastShare, when that much reaches it; else what fits the budget, at
    // least the least above. 1 before any frame was measured.
    double ShareFor(std::size_t triangles, double growthMilliseconds) const;
    // The frame's two budgets; tests set others.
    void SetBudgets(double fluidMilliseconds, double milliseconds) {
        fluid_ = fluidMilliseconds;
        budget_ = milliseconds;
    }

private:
    struct Frame {
        double triangles, milliseconds;
        bool lighter;
    };
    // What a frame costs: a part every frame pays (sky, ground, swap) and a part
    // a triangle. From a straight line through the frames kept when they drew
    // amounts far enough apart, else in proportion (fixed 0); and the
    // proportion (milliseconds a triangle) either way.
    struct FrameCost {
        double fixed, perTriangle, proportion;
    };
    FrameCost Cost() const;

    double fluid_ = kFluidMilliseconds, budget_ = kBudgetMilliseconds;
    std::array<Frame, kFramesKept> frames_{};
    std::size_t count_ = 0, next_ = 0;
};

}  // namespace grovewright
