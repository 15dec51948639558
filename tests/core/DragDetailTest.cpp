// How much of a design the view draws while a slider moves.
#include <gtest/gtest.h>

#include "render/DragDetail.h"

using grovewright::DragDetail;

TEST(DragDetail, DrawsTheShareThatFitsTheBudgetByTheMeasuredCostOfATriangle) {
    DragDetail detail;
    // Nothing measured yet: everything.
    EXPECT_EQ(detail.ShareFor(5000000, 0), 1.0);
    // 66 ms for a million triangles: half of them fit 33 ms, less when growing
    // the design takes part of the budget; a design of 400,000 fits whole.
    detail.Measured(66, 1000000);
    EXPECT_DOUBLE_EQ(detail.ShareFor(1000000, 0), 0.5);
    EXPECT_NEAR(detail.ShareFor(1000000, 13), 20.0 / 66.0, 1e-12);
    EXPECT_EQ(detail.ShareFor(400000, 0), 1.0);
    // Growing alone beyond the budget: the least share, never nothing.
    EXPECT_EQ(detail.ShareFor(1000000, 50), DragDetail::kLeastShare);
    EXPECT_EQ(detail.ShareFor(100000000, 0), DragDetail::kLeastShare);
}

TEST(DragDetail, FollowsTheLastFramesSoAFasterMachineDrawsEverything) {
    DragDetail detail;
    detail.Measured(66, 1000000);
    detail.Measured(22, 1000000);  // half of each: 44 ms a million
    EXPECT_NEAR(detail.ShareFor(1000000, 0), 0.75, 1e-12);
    for (int frame = 0; frame < 10; ++frame) detail.Measured(5, 1000000);
    EXPECT_EQ(detail.ShareFor(3000000, 0), 1.0);
    // Frames that drew nothing or took no time tell nothing.
    detail.Measured(0, 1000000);
    detail.Measured(40, 0);
    EXPECT_EQ(detail.ShareFor(3000000, 0), 1.0);
    // A smaller budget (a test's) lightens the same design.
    detail.SetBudget(5);
    EXPECT_LT(detail.ShareFor(3000000, 0), 0.5);
}
