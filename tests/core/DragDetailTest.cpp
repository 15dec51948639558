// How much of a design the view draws while a slider moves.
#include <gtest/gtest.h>

#include "render/DragDetail.h"

using grovewright::DragDetail;

TEST(DragDetail, DrawsTheShareThatFitsTheBudgetByWhatFramesCost) {
    DragDetail detail;
    // Nothing measured yet: everything.
    EXPECT_EQ(detail.ShareFor(5000000, 0), 1.0);
    // 80 ms for a million triangles, frames of one size: in proportion, about
    // two fifths of them fit 33 ms (aiming at 90 % of it), less when growing
    // the design takes part of the budget. 16 ms would keep less than a fifth.
    detail.Measured(80, 1000000, false);
    detail.Measured(80, 1000000, false);
    const double aim = DragDetail::kAim * DragDetail::kBudgetMilliseconds,
                 fluid = DragDetail::kAim * DragDetail::kFluidMilliseconds;
    EXPECT_DOUBLE_EQ(detail.ShareFor(1000000, 0), aim / 80);
    EXPECT_NEAR(detail.ShareFor(1000000, 13), (aim - 13) / 80.0, 1e-12);
    // A design of 400,000 (32 ms) would fit 33 ms nearly whole, but keeps more
    // than a fifth at 16 ms: sixty frames a second; one of 150,000 fits 16 ms whole.
    EXPECT_DOUBLE_EQ(detail.ShareFor(400000, 0), fluid / 32);
    EXPECT_NEAR(detail.ShareFor(400000, 4), (fluid - 4) / 32, 1e-12);
    EXPECT_EQ(detail.ShareFor(150000, 0), 1.0);
    // Where growing leaves too little of 16 ms for a fifth, the 33 ms aim
    // again: the whole of 200,000 (16 ms) when growing takes 12 ms, three
    // fifths of 400,000 when it takes 10.
    EXPECT_EQ(detail.ShareFor(200000, 12), 1.0);
    EXPECT_NEAR(detail.ShareFor(400000, 10), (aim - 10) / 32, 1e-12);
    // Growing alone beyond the budget: never nothing, but the least that shows
    // the tree: 20,000 triangles, or a hundredth of a larger design.
    EXPECT_DOUBLE_EQ(detail.ShareFor(1000000, 50), DragDetail::kLeastTriangles / 1e6);
    EXPECT_EQ(detail.ShareFor(100000000, 0), DragDetail::kLeastShare);
    EXPECT_EQ(detail.ShareFor(15000, 40), 1.0);
}

TEST(DragDetail, TellsWhatEveryFrameCostsFromWhatATriangleCosts) {
    // Lighter frames of 6 ms plus 30 ms a million triangles: a million
    // triangles leave 90 % of 33 - 6 - 7 (growth) ms for drawing. The whole
    // design's frames between them cost less than that line (nothing is
    // reduced for them) and do not bend it.
    DragDetail detail;
    for (double millions : {1.0, 0.4, 1.0, 0.3, 0.5}) {
        const bool lighter = millions < 1;
        detail.Measured((lighter ? 6 : 0) + 30 * millions, static_cast<std::size_t>(millions * 1e6), lighter);
    }
    EXPECT_NEAR(detail.ShareFor(1000000, 7), (DragDetail::kAim * 33 - 13) / 30.0, 1e-9);
    // Before any lighter frame, the whole design's frames make the line.
    DragDetail whole;
    whole.Measured(36, 1000000, false);
    whole.Measured(18, 400000, false);
    EXPECT_NEAR(whole.ShareFor(1000000, 10), (DragDetail::kAim * 33 - 16) / 30.0, 1e-9);
}

TEST(DragDetail, StaysAtSixtyFramesASecondWhenALineOfFewFramesSaysAFifthIsTooMuch) {
    // A design of 71,000 growing in 2.5 ms, its lighter frames 11 ms plus 0.13
    // a thousand triangles: in proportion 16 ms keeps about a third of it, so
    // the drag stays at sixty frames a second; the line asks for less than a
    // fifth, and a fifth is drawn rather than the whole design at 33 ms.
    DragDetail detail;
    detail.Measured(11 + 0.13 * 20, 20000, true);
    detail.Measured(11 + 0.13 * 40, 40000, true);
    EXPECT_DOUBLE_EQ(detail.ShareFor(71000, 2.5), DragDetail::kFluidLeastShare);
    // Without the fixed part the line gives what fits.
    DragDetail cheaper;
    cheaper.Measured(0.13 * 20, 20000, true);
    cheaper.Measured(0.13 * 40, 40000, true);
    EXPECT_NEAR(cheaper.ShareFor(200000, 2.5), (DragDetail::kAim * 16 - 2.5) / (0.13 * 200), 1e-9);
}

TEST(DragDetail, FollowsTheLastFramesSoAFasterMachineDrawsEverything) {
    DragDetail detail;
    detail.Measured(66, 1000000, false);
    EXPECT_LT(detail.ShareFor(1000000, 0), 1.0);
    // The slow frame is forgotten after as many frames as are kept.
    for (std::size_t frame = 0; frame < DragDetail::kFramesKept; ++frame) detail.Measured(5, 1000000, false);
    EXPECT_EQ(detail.ShareFor(2500000, 0), 1.0);
    // Frames that drew nothing or took no time tell nothing.
    detail.Measured(0, 1000000, false);
    detail.Measured(40, 0, true);
    EXPECT_EQ(detail.ShareFor(2500000, 0), 1.0);
    // Smaller budgets (a test's) lighten the same design.
    detail.SetBudgets(5, 5);
    EXPECT_LT(detail.ShareFor(3000000, 0), 0.5);
}
