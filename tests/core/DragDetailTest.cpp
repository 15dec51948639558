// How much of a design the view draws while a slider moves.
#include <gtest/gtest.h>

#include "render/DragDetail.h"

using grovewright::DragDetail;

TEST(DragDetail, DrawsTheShareThatFitsTheBudgetByWhatFramesCost) {
    DragDetail detail;
    // Nothing measured yet: everything.
    EXPECT_EQ(detail.ShareFor(5000000, 0), 1.0);
    // 66 ms for a million triangles, frames of one size: in proportion, about
    // half of them fit 33 ms (aiming at 95 % of it), less when growing the
    // design takes part of the budget; a design of 400,000 fits whole.
    detail.Measured(66, 1000000);
    detail.Measured(66, 1000000);
    const double aim = 0.95 * DragDetail::kBudgetMilliseconds;
    EXPECT_DOUBLE_EQ(detail.ShareFor(1000000, 0), aim / 66);
    EXPECT_NEAR(detail.ShareFor(1000000, 13), (aim - 13) / 66.0, 1e-12);
    EXPECT_EQ(detail.ShareFor(400000, 0), 1.0);
    // Growing alone beyond the budget: never nothing, but the least that shows
    // the tree: 20,000 triangles, or a hundredth of a larger design.
    EXPECT_DOUBLE_EQ(detail.ShareFor(1000000, 50), DragDetail::kLeastTriangles / 1e6);
    EXPECT_EQ(detail.ShareFor(100000000, 0), DragDetail::kLeastShare);
    EXPECT_EQ(detail.ShareFor(15000, 40), 1.0);
}

TEST(DragDetail, TellsWhatEveryFrameCostsFromWhatATriangleCosts) {
    // Frames of 6 ms plus 30 ms a million triangles, whole and lighter: a
    // million triangles leave 0.95 x 33 - 6 - 7 (growth) ms for drawing.
    DragDetail detail;
    for (double millions : {1.0, 0.4, 1.0, 0.3, 0.5})
        detail.Measured(6 + 30 * millions, static_cast<std::size_t>(millions * 1e6));
    EXPECT_NEAR(detail.ShareFor(1000000, 7), (0.95 * 33 - 13) / 30.0, 1e-9);
}

TEST(DragDetail, FollowsTheLastFramesSoAFasterMachineDrawsEverything) {
    DragDetail detail;
    detail.Measured(66, 1000000);
    EXPECT_LT(detail.ShareFor(1000000, 0), 1.0);
    // The slow frame is forgotten after as many frames as are kept.
    for (std::size_t frame = 0; frame < DragDetail::kFramesKept; ++frame) detail.Measured(5, 1000000);
    EXPECT_EQ(detail.ShareFor(3000000, 0), 1.0);
    // Frames that drew nothing or took no time tell nothing.
    detail.Measured(0, 1000000);
    detail.Measured(40, 0);
    EXPECT_EQ(detail.ShareFor(3000000, 0), 1.0);
    // A smaller budget (a test's) lightens the same design.
    detail.SetBudget(5);
    EXPECT_LT(detail.ShareFor(3000000, 0), 0.5);
}
