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
    static constexpr double kBudgetMilliseconds = 33;
    // A lighter level keeps at least this share of a design, and at least this
    // many triangles (all of a smaller one): fewer would no longer show its shape.
    static constexpr double kLeastShare = 0.01;
    static constexpr double kLeastTriangles = 20000;
    // The frames the cost is worked out from.
    static constexpr std::size_t kFramesKept = 8;

    // A frame that drew triangles took milliseconds, from the edit's regrown
    // design to the finished picture (building the meshes, drawing, swapping).
    void Measured(double milliseconds, std::size_t triangles);
    // The share (at least the least above, at most 1) of a design of triangles to draw during a
    // drag when regrowing it took growthMilliseconds: 1 when all of it fits the
    // budget, and before any frame was measured.
    double ShareFor(std::size_t triangles, double growthMilliseconds) const;
    // The frame's budget; tests set a smaller one.
    void SetBudget(double milliseconds) { budget_ = milliseconds; }

private:
    struct Frame {
        double triangles, milliseconds;
    };
    // What a frame costs: a part every frame pays (sky, ground, swap) and a part
    // a triangle. From a straight line through the frames kept when they drew
    // amounts far enough apart (whole and lighter frames), else in proportion.
    void Cost(double& fixed, double& perTriangle) const;

    double budget_ = kBudgetMilliseconds;
    std::array<Frame, kFramesKept> frames_{};
    std::size_t count_ = 0, next_ = 0;
};

}  // namespace grovewright
