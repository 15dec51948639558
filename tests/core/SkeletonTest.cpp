#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"

using namespace grovewright;

TEST(BranchSegment, DerivedAnglesComeFromTheEndPoints) {
    BranchSegment s({1, 1, 1}, {1, 1 + std::sqrt(3.0), 2}, 10, -20, 0.25, 4);
    EXPECT_NEAR(s.Length(), 2.0, 1e-12);
    EXPECT_NEAR(s.ObliqueAngle(), 30.0, 1e-9);
    EXPECT_NEAR(s.OrientationAngle(), 90.0, 1e-9);
    // The placement angles are stored, not derived.
    EXPECT_EQ(s.Twist(), 10);
    EXPECT_EQ(s.Spread(), -20);
    EXPECT_EQ(s.Share(), 0.25);
    EXPECT_EQ(s.Diameter(), 4);
    EXPECT_EQ(s.Parent(), nullptr);
    EXPECT_FALSE(s.IsCut());
    s.SetCut(true);
    EXPECT_TRUE(s.IsCut());
}

TEST(SkeletonLevels, ClearingEmptyOrFullSkeletonLeavesItUsable) {
    SkeletonLevels skeleton;
    skeleton.Clear();
    EXPECT_TRUE(skeleton.Empty());
    skeleton.AppendLevel().Append(Vector3D(), Vector3D(0, 300, 0), 0, 0, 1, 10);
    skeleton.AppendLevel();
    EXPECT_EQ(skeleton.LevelCount(), 2u);
    skeleton.Clear();
    EXPECT_EQ(skeleton.LevelCount(), 0u);
    EXPECT_EQ(skeleton.SegmentCount(), 0u);
    skeleton.AppendLevel().Append(Vector3D(), Vector3D(), 0, 0, 1, 1);
    EXPECT_EQ(skeleton.SegmentCount(), 1u);
    EXPECT_EQ(skeleton[0].back().Length(), 0.0);  // a zero-length segment stays
}

TEST(SkeletonLevels, ParentPointersSurviveGrowthOfEveryLevel) {
    // Segments must not move while later segments and levels are appended:
    // children keep raw pointers to their parents.
    SkeletonLevels skeleton;
    const BranchSegment& trunk = skeleton.AppendLevel().Append(Vector3D(), Vector3D(0, 1, 0), 0, 0, 1, 1);
    std::vector<const BranchSegment*> firstOfLevel;
    for (int level = 1; level < 6; ++level) {
        auto& segments = skeleton.AppendLevel();
        for (int i = 0; i < 20000; ++i)
            segments.Append(Vector3D(i, level, 0), Vector3D(i, level + 1, 0), 0, 0, 1, 1,
                            i == 0 ? &trunk : &skeleton[level - 1].back());
        firstOfLevel.push_back(&segments.front());
    }
    EXPECT_EQ(skeleton.SegmentCount(), 1u + 5 * 20000);
    EXPECT_EQ(&skeleton[0].front(), &trunk);
    for (int level = 1; level < 6; ++level) {
        const auto& segments = skeleton[level];
        EXPECT_EQ(&segments.front(), firstOfLevel[level - 1]);
        EXPECT_EQ(segments.front().Parent(), &trunk);
        // Iteration visits every segment once, in creation order.
        int index = 0;
        for (const BranchSegment& s : segments) {
            ASSERT_EQ(s.Start().x, index);
            ++index;
        }
        EXPECT_EQ(index, 20000);
        EXPECT_EQ(segments.back().Start().x, 19999);
    }
}

TEST(LeafStore, PolygonsWithoutVerticesDrawNothing) {
    LeafPolygon empty(0, kTriangleStrip);
    EXPECT_EQ(empty.VertexCount(), 0);
    EXPECT_EQ(empty.Vertices(), nullptr);
    LeafPolygon negative(-3, kTriangleStrip);
    EXPECT_EQ(negative.VertexCount(), 0);
    EXPECT_EQ(negative.Vertices(), nullptr);

    LeafPolygon quad(4, kTriangleStrip);
    EXPECT_EQ(quad.VertexCount(), 4);
    EXPECT_EQ(quad.PrimitiveMode(), 5);
    ASSERT_NE(quad.Vertices(), nullptr);
    quad[3] = LeafVertex{1, 2, 3, 0, 1, 0, 0.5f, 1};
    EXPECT_EQ(quad.Vertices()[3].v, 1.0f);

    LeafStore store;
    store.AppendList().push_back(std::move(quad));
    store.AppendList();
    EXPECT_EQ(store.ListCount(), 2u);
    EXPECT_EQ(store[0].front().VertexCount(), 4);
    store.Clear();
    EXPECT_TRUE(store.Empty());
}
