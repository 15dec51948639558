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
    LeafStore store;
    LeafList& list = store.AppendList();
    EXPECT_EQ(list.Append(0, kTriangleStrip).VertexCount(), 0);
    EXPECT_EQ(list.Append(0, kTriangleStrip).Vertices(), nullptr);
    EXPECT_EQ(list.Append(-3, kTriangleStrip).VertexCount(), 0);

    LeafPolygon quad = list.Append(4, kTriangleStrip);
    EXPECT_EQ(quad.VertexCount(), 4);
    EXPECT_EQ(quad.PrimitiveMode(), 5);
    ASSERT_NE(quad.Vertices(), nullptr);
    quad[3] = LeafVertex{1, 2, 3, 0, 1, 0, 0.5f, 1};
    // Later polygons share the buffer; earlier ones keep their vertices.
    for (int i = 0; i < 1000; ++i) list.Append(6, kTriangleStrip);
    EXPECT_EQ(list.size(), 1004u);
    EXPECT_EQ(list[4].VertexCount(), 6);
    EXPECT_EQ(list[3][3].v, 1.0f);
    EXPECT_EQ(list[3][3].z, 3.0f);
    EXPECT_EQ(list.VertexTotal(), 4u + 6000u);
    std::size_t visited = 0;
    for (const LeafPolygon& polygon : list) visited += static_cast<std::size_t>(polygon.VertexCount());
    EXPECT_EQ(visited, 6004u);

    store.AppendList();
    EXPECT_EQ(store.ListCount(), 2u);
    store.Clear();
    EXPECT_TRUE(store.Empty());
}
