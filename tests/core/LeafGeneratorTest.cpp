#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "TestHelpers.h"
#include "generators/LeafGenerator.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::SplitLines;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;
using V = LeafSetup::Value;

namespace {

// A skeleton of one level per entry, each level holding that many vertical
// segments of the given length side by side.
void Skeleton(SkeletonLevels& skeleton, std::initializer_list<int> counts, double length = 50) {
    skeleton.Clear();
    double y = 0;
    for (int count : counts) {
        auto& level = skeleton.AppendLevel();
        for (int i = 0; i < count; ++i) level.Append(Vector3D(i * 10, y, 0), Vector3D(i * 10, y + length, 0), 0, 0, 1, 5);
        y += length;
    }
}

std::size_t Strips(const LeafStore& leaves) { return leaves.Empty() ? 0 : leaves[0].size(); }

Vector3D Position(const LeafVertex& v) { return {v.x, v.y, v.z}; }

// One leaf's grid exactly as described, rotation by rotation, with normals on
// the turned grid; the generator caches and composes, and must agree.
std::vector<Vector3D> ReferenceGrid(const LeafSetup& page, const BranchSegment& s, std::vector<Vector3D>& normals) {
    const int rows = page.Get(V::kLeafSplit), n = page.Get(V::kSegmentCount);
    const int h = page.Get(V::kHeight) >= 1 ? page.Get(V::kHeight) : static_cast<int>(s.Length());
    const int w = page.Get(V::kWidth) >= 1 ? page.Get(V::kWidth) : static_cast<int>(s.Length());
    const double step = static_cast<double>(h) / n;
    std::vector<Vector3D> grid;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c <= n; ++c) {
            Vector3D p(0, 0, -w / 2.0 + static_cast<double>(w) * r / (rows - 1));
            for (int j = 0; j <= c; ++j) {
                if (j > 0) p.x += step;
                if (j == 0 && rows > 2) p.RotateX(p.z < 0 ? page.Get(V::kSpreadAngle) : -page.Get(V::kSpreadAngle));
                p.RotateZ(page.Get(V::kSplitAngle));
            }
            p.RotateZ(-page.Get(V::kSplitAngle)).RotateX(page.Get(V::kTwistAngle)).RotateZ(page.Get(V::kAddAngle));
            p.RotateX(page.Get(V::kOriAngle));
            p.RotateZ(page.AddHorizontal() ? 90 : 90 - s.ObliqueAngle()).RotateY(-s.OrientationAngle());
            grid.push_back(p);
        }
    }
    const int columns = n + 1;
    normals.clear();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const Vector3D& v = grid[r * columns + c];
            int rr[4] = {r - 1, r, r + 1, r}, cc[4] = {c, c - 1, c, c + 1};
            Vector3D sum;
            int pairs = 0;
            for (int k = 0; k < 4; ++k) {
                const int m = (k + 1) % 4;
                auto inside = [&](int i) { return rr[i] >= 0 && rr[i] < rows && cc[i] >= 0 && cc[i] < columns; };
                if (!inside(k) || !inside(m)) continue;
                Vector3D a = grid[rr[k] * columns + cc[k]], b = grid[rr[m] * columns + cc[m]];
                a.Subtract(v);
                b.Subtract(v);
                sum.Add(a.CrossNormalize(b));
                ++pairs;
            }
            if (pairs > 1) sum.Normalize();
            normals.push_back(sum);
        }
    }
    return grid;
}

std::string Saved(const LeafGeneratorModel& model) {
    return grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { model.WriteSetup(writer); });
}

bool Load(LeafGeneratorModel& model, const std::string& text) {
    const bool read =
        grovewright::test::ReadProject(text, [&](TGXMLFileReader& reader) { return model.ReadSetup(reader); });
    model.ApplySetup();
    return read;
}

}  // namespace

TEST(LeafGeneration, NoEnabledPageGivesOneEmptyList) {
    LeafGeneratorModel model;
    SkeletonLevels skeleton;
    LeafStore leaves;
    leaves.AppendList().Append(4, kTriangleStrip);
    leaves.AppendList();
    model.Generate(skeleton, leaves);  // no levels at all
    ASSERT_EQ(leaves.ListCount(), 1u);
    EXPECT_TRUE(leaves[0].empty());
    Skeleton(skeleton, {1, 2, 4});
    model.Generate(skeleton, leaves);
    ASSERT_EQ(leaves.ListCount(), 1u);
    EXPECT_TRUE(leaves[0].empty());
}

TEST(LeafGeneration, PagesCoverTheOutermostLevelsFirst) {
    LeafGeneratorModel model;
    SkeletonLevels skeleton;
    LeafStore leaves;
    Skeleton(skeleton, {1, 2, 4});
    model.Page(0).SetUseLeaf(true);
    model.Generate(skeleton, leaves);
    ASSERT_EQ(Strips(leaves), 4u);
    for (const LeafPolygon& strip : leaves[0]) {
        EXPECT_EQ(strip.VertexCount(), 4);
        EXPECT_EQ(strip.PrimitiveMode(), 5);
    }
    // The first leaf sits on the first outermost segment, at its tip.
    EXPECT_NEAR(leaves[0][0][0].y, 150, 1e-4);
    model.Page(0).Set(V::kRelativAddDownTo, 1);
    model.Generate(skeleton, leaves);
    EXPECT_EQ(Strips(leaves), 6u);
    model.Page(0).Set(V::kRelativAddDownTo, 20);
    model.Generate(skeleton, leaves);
    EXPECT_EQ(Strips(leaves), 7u);  // the trunk too
    EXPECT_NEAR(leaves[0][6][0].y, 50, 1e-4);

    // Two enabled pages: two leaves per segment, in page order.
    model.Page(3).SetUseLeaf(true);
    model.Page(3).Set(V::kLeafSplit, 3);
    model.Generate(skeleton, leaves);
    EXPECT_EQ(Strips(leaves), 7u + 4 * 2);
    EXPECT_EQ(leaves[0][1].VertexCount(), 4);  // page 4's two strips follow page 1's strip
}

TEST(LeafGeneration, SpreadAngleFoldsOnlyThreeRowLeaves) {
    SkeletonLevels skeleton;
    Skeleton(skeleton, {1});
    LeafStore flat, folded;
    LeafGeneratorModel model;
    model.Page(0).SetUseLeaf(true);
    model.Page(0).Set(V::kSegmentCount, 3);
    model.Generate(skeleton, flat);
    model.Page(0).Set(V::kSpreadAngle, 40);
    model.Generate(skeleton, folded);
    ASSERT_EQ(Strips(flat), 1u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(flat[0][0][i].x, folded[0][0][i].x);

    model.Page(0).Set(V::kLeafSplit, 3);
    model.Page(0).Set(V::kSpreadAngle, 0);
    model.Generate(skeleton, flat);
    model.Page(0).Set(V::kSpreadAngle, 40);
    model.Generate(skeleton, folded);
    ASSERT_EQ(Strips(flat), 2u);
    bool moved = false;
    for (int i = 0; i < 8; ++i) moved = moved || std::fabs(flat[0][0][i].x - folded[0][0][i].x) > 1;
    EXPECT_TRUE(moved);
}

TEST(LeafGeneration, SizeAttachmentAndTextureCoordinates) {
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(0, 0, 0), Vector3D(0, 37.9, 0), 0, 0, 1, 5);
    LeafGeneratorModel model;
    LeafSetup& page = model.Page(0);
    page.SetUseLeaf(true);
    LeafStore leaves;
    model.Generate(skeleton, leaves);
    const LeafPolygon& strip = leaves[0][0];
    // Vertex order: (row 1, column 0), (row 0, column 0), (row 1, column 1), (row 0, column 1).
    EXPECT_NEAR(Distance(Position(strip[0]), Position(strip[2])), 37, 1e-4);  // length truncated
    EXPECT_NEAR(Distance(Position(strip[0]), Position(strip[1])), 37, 1e-4);  // width too
    EXPECT_NEAR(strip[1].y, 37.9, 1e-4);                                      // attached at the end
    EXPECT_EQ(strip[0].u, 1.0f);
    EXPECT_EQ(strip[1].u, 0.0f);
    EXPECT_EQ(strip[0].v, 0.0f);
    EXPECT_EQ(strip[3].v, 1.0f);

    page.Set(V::kRelAdd, 0);
    page.Set(V::kHeight, 20);
    page.Set(V::kWidth, 10);
    page.Set(V::kSegmentCount, 4);
    model.Generate(skeleton, leaves);
    const LeafPolygon& at = leaves[0][0];
    EXPECT_NEAR(at[1].y, 0, 1e-4);  // attached at the start
    EXPECT_NEAR(Distance(Position(at[0]), Position(at[1])), 10, 1e-4);
    EXPECT_NEAR(Distance(Position(at[1]), Position(at[9])), 20, 1e-4);
    float minV = 1, maxV = 0;
    for (int i = 0; i < at.VertexCount(); ++i) {
        minV = std::min(minV, at[i].v);
        maxV = std::max(maxV, at[i].v);
    }
    EXPECT_EQ(minV, 0.0f);
    EXPECT_NEAR(maxV, 1.0f, 1e-6);
}

TEST(LeafGeneration, AddHorizontalIgnoresTheSegmentsTilt) {
    SkeletonLevels skeleton;
    auto& level = skeleton.AppendLevel();
    level.Append(Vector3D(0, 0, 0), Vector3D(0, 30, 0), 0, 0, 1, 5);
    level.Append(Vector3D(0, 0, 0), Vector3D(30, 30, 0), 0, 0, 1, 5);  // tilted 45 degrees
    LeafGeneratorModel model;
    LeafSetup& page = model.Page(0);
    page.SetUseLeaf(true);
    page.Set(V::kHeight, 10);
    page.SetAddHorizontal(true);
    LeafStore leaves;
    model.Generate(skeleton, leaves);
    ASSERT_EQ(Strips(leaves), 2u);
    // The spine (column 0 to 1 of a row) points up for both: turned by 90 degrees about z.
    for (int s = 0; s < 2; ++s) {
        const LeafPolygon& strip = leaves[0][s];
        EXPECT_NEAR(strip[2].y - strip[0].y, 10, 1e-4);
        EXPECT_NEAR(strip[2].x - strip[0].x, 0, 1e-4);
    }
}

TEST(LeafGeneration, MatchesTheRotationByRotationConstruction) {
    std::mt19937 random(5);
    SkeletonLevels skeleton;
    auto& level = skeleton.AppendLevel();
    for (int i = 0; i < 6; ++i)
        level.Append(Vector3D(i, 2 * i, -i), Vector3D(i + 20.0 * std::sin(i), 30 + i, 15.0 * std::cos(3 * i)), 0, 0, 1, 4);
    for (int trial = 0; trial < 20; ++trial) {
        LeafGeneratorModel model;
        LeafSetup& page = model.Page(trial % 20);
        page.SetUseLeaf(true);
        for (int v = 0; v < LeafSetup::kValueCount; ++v) {
            const auto range = LeafSetup::kParameters[v].range;
            page.Set(static_cast<V>(v), range.min + static_cast<int>(random() % (range.max - range.min + 1)));
        }
        page.SetAddHorizontal(random() % 2);
        LeafStore leaves;
        model.Generate(skeleton, leaves);
        const int rows = page.Get(V::kLeafSplit), columns = page.Get(V::kSegmentCount) + 1;
        ASSERT_EQ(Strips(leaves), static_cast<std::size_t>(6 * (rows - 1)));
        std::size_t strip = 0;
        for (const BranchSegment& s : level) {
            std::vector<Vector3D> normals;
            const std::vector<Vector3D> grid = ReferenceGrid(page, s, normals);
            Vector3D anchor = s.End();
            anchor.Subtract(s.Start()).Scale(page.Get(V::kRelAdd) / 100.0).Add(s.Start());
            for (int r = 0; r + 1 < rows; ++r, ++strip) {
                const LeafPolygon& polygon = leaves[0][strip];
                for (int c = 0; c < columns; ++c) {
                    for (int k = 0; k < 2; ++k) {
                        const int row = r + 1 - k;
                        const LeafVertex& v = polygon[2 * c + k];
                        const Vector3D& g = grid[row * columns + c];
                        EXPECT_NEAR(v.x, g.x + anchor.x, 1e-3);
                        EXPECT_NEAR(v.y, g.y + anchor.y, 1e-3);
                        EXPECT_NEAR(v.z, g.z + anchor.z, 1e-3);
                        const Vector3D& n = normals[row * columns + c];
                        EXPECT_NEAR(v.nx, n.x, 1e-5);
                        EXPECT_NEAR(v.ny, n.y, 1e-5);
                        EXPECT_NEAR(v.nz, n.z, 1e-5);
                    }
                }
            }
        }
    }
}

TEST(LeafGeneration, ZeroSizedLeavesHaveFiniteNormals) {
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(1, 2, 3), Vector3D(1, 2, 3), 0, 0, 1, 5);
    LeafGeneratorModel model;
    model.Page(0).SetUseLeaf(true);
    model.Page(0).Set(V::kLeafSplit, 3);
    LeafStore leaves;
    model.Generate(skeleton, leaves);
    ASSERT_EQ(Strips(leaves), 2u);
    for (const LeafPolygon& strip : leaves[0])
        for (int i = 0; i < strip.VertexCount(); ++i) {
            EXPECT_TRUE(std::isfinite(strip[i].nx) && std::isfinite(strip[i].ny) && std::isfinite(strip[i].nz));
            EXPECT_EQ(strip[i].x, 1.0f);
        }
}

TEST(LeafSection, UntouchedPagesWriteTheirInitialValues) {
    LeafGeneratorModel model;
    const auto lines = SplitLines(Saved(model));
    ASSERT_EQ(lines.size(), 3u + 2 + 20 * 15 + 1);
    EXPECT_EQ(lines[3], "   <LeafCreator>");
    EXPECT_EQ(lines[4], "      <LeafSetup1>");
    const std::vector<std::string> values = {
        "         <Height>0</Height>",         "         <Width>0</Width>",
        "         <AddAngle>0</AddAngle>",     "         <SplitAngle>0</SplitAngle>",
        "         <SpreadAngle>0</SpreadAngle>", "         <TwistAngle>0</TwistAngle>",
        "         <OriAngle>0</OriAngle>",     "         <RelativAddDownTo>0</RelativAddDownTo>",
        "         <RelAdd>100</RelAdd>",       "         <LeafSplit>2</LeafSplit>",
        "         <SegmentCount>1</SegmentCount>", "         <AddHorizontal>0</AddHorizontal>",
        "         <UseLeaf>0</UseLeaf>"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.begin() + 18), values);
    EXPECT_EQ(lines[18], "      </LeafSetup1>");
    EXPECT_EQ(lines[19], "      <LeafSetup2>");
    EXPECT_EQ(lines[lines.size() - 3], "      </LeafSetup20>");
    EXPECT_EQ(lines[lines.size() - 2], "   </LeafCreator>");
}

TEST(LeafSection, AllTwentyPagesRoundTrip) {
    LeafGeneratorModel saved;
    for (int i = 0; i < 20; ++i) {
        LeafSetup& page = saved.Page(i);
        for (int v = 0; v < LeafSetup::kValueCount; ++v) {
            const auto range = LeafSetup::kParameters[v].range;
            page.Set(static_cast<V>(v), i % 2 ? range.max - i % 3 : range.min + i % 2);
        }
        page.SetUseLeaf(i % 3 == 0);
        page.SetAddHorizontal(i % 4 == 1);
    }
    LeafGeneratorModel loaded;
    ASSERT_TRUE(Load(loaded, Saved(saved)));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(loaded.Page(i), saved.Page(i)) << "page " << i + 1;
}

TEST(LeafSection, MissingSectionsPagesAndValuesKeepWhatIsThere) {
    LeafGeneratorModel model;
    model.Page(0).Set(V::kHeight, 42);
    model.Page(4).SetUseLeaf(true);
    EXPECT_FALSE(Load(model, "<Grovewright_Setup><SimpleGrovewright></SimpleGrovewright></Grovewright_Setup>"));
    EXPECT_EQ(model.Page(0).Get(V::kHeight), 42);
    EXPECT_TRUE(model.Page(4).UseLeaf());

    // Only page 2, with one value out of range and one missing.
    ASSERT_TRUE(Load(model,
                     "<LeafCreator><LeafSetup2><Height>120</Height><Width>999</Width><LeafSplit>3</LeafSplit>"
                     "<UseLeaf>1</UseLeaf></LeafSetup2></LeafCreator>"));
    EXPECT_EQ(model.Page(0).Get(V::kHeight), 42);
    EXPECT_EQ(model.Page(1).Get(V::kHeight), 120);
    EXPECT_EQ(model.Page(1).Get(V::kWidth), 0);   // 999 is refused: the value stays
    EXPECT_EQ(model.Page(1).Get(V::kRelAdd), 100);  // missing reads -1: refused
    EXPECT_EQ(model.Page(1).Get(V::kLeafSplit), 3);
    EXPECT_TRUE(model.Page(1).UseLeaf());
    EXPECT_FALSE(model.Page(1).AddHorizontal());
    // A missing angle reads -1, which its range accepts.
    EXPECT_EQ(model.Page(1).Get(V::kAddAngle), -1);
}

namespace {

// The list's vertices as bytes, and each polygon's place: equal lists are equal here.
std::string ListBytes(const LeafList& list) {
    std::string bytes;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const LeafPolygon polygon = list[i];
        bytes.append(reinterpret_cast<const char*>(polygon.Vertices()), sizeof(LeafVertex) * polygon.VertexCount());
        bytes += '|';
    }
    return bytes;
}

}  // namespace

// A value that moves leaves without changing their number rewrites only its
// page's leaves in place, on one thread or two, exactly as a new generation.
TEST(LeafGeneration, APageRegeneratedInPlaceEqualsANewGeneration) {
    for (int branches : {3, 900}) {  // few leaves on one thread, many on two
        SCOPED_TRACE(branches);
        SkeletonLevels skeleton;
        Skeleton(skeleton, {1, 4, branches});
        LeafGeneratorModel model;
        for (int page : {0, 2, 5}) {
            model.Page(page).SetUseLeaf(true);
            model.Page(page).Set(V::kRelativAddDownTo, page == 2 ? 0 : 2);  // page 2 on the outermost level only
            model.Page(page).Set(V::kLeafSplit, page == 5 ? 3 : 2);
            model.Page(page).Set(V::kSegmentCount, 2 + page);
        }
        LeafStore kept;
        model.Generate(skeleton, kept);
        std::vector<std::uint32_t> written;
        for (int page : {2, 5, 0}) {
            model.Page(page).Set(V::kAddAngle, 40 + page);
            model.Page(page).Set(V::kTwistAngle, 10 * page + 5);
            ASSERT_TRUE(LeafGeneratorModel::KeepsPlaces(V::kAddAngle));
            ASSERT_TRUE(model.RegeneratePage(skeleton, kept, page, written));
            LeafStore fresh;
            model.Generate(skeleton, fresh);
            EXPECT_EQ(ListBytes(kept[0]), ListBytes(fresh[0])) << "page " << page;
            // Written: that page's strips, each once, in list order.
            const std::size_t strips = static_cast<std::size_t>(model.Page(page).Get(V::kLeafSplit) - 1);
            const std::size_t reached = page == 2 ? branches : branches + 4 + 1;
            EXPECT_EQ(written.size(), strips * reached);
            EXPECT_TRUE(std::is_sorted(written.begin(), written.end()));
            EXPECT_TRUE(std::adjacent_find(written.begin(), written.end()) == written.end());
        }
        // A page without leaves has nothing to write.
        EXPECT_TRUE(model.RegeneratePage(skeleton, kept, 7, written));
        EXPECT_TRUE(written.empty());
        // Values that change the leaves' number never go this way, and a store
        // that does not hold the design's leaves in their places is left alone.
        for (int value :
             {int{V::kLeafSplit}, int{V::kSegmentCount}, int{V::kRelativAddDownTo}, int{LeafSetup::kUseLeaf}})
            EXPECT_FALSE(LeafGeneratorModel::KeepsPlaces(value));
        model.Page(0).Set(V::kSegmentCount, 9);
        const std::string before = ListBytes(kept[0]);
        EXPECT_FALSE(model.RegeneratePage(skeleton, kept, 0, written));
        EXPECT_EQ(ListBytes(kept[0]), before);
        LeafStore empty;
        EXPECT_FALSE(model.RegeneratePage(skeleton, empty, 0, written));
    }
}
