#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ExportParsers.h"
#include "TestHelpers.h"
#include "generators/SimpleTreeModel.h"
#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

using namespace grovewright;
using namespace grovewright::test;

namespace {


// This program draws clockwise faces as front faces: the outward normal of a
// triangle a, b, c is (c - a) x (b - a).
Vector3D FrontNormal(const Vector3D& a, const Vector3D& b, const Vector3D& c) {
    return Cross(c - a, b - a);
}

// Keeps everything a build emits.
struct RecordingSink : MeshSink {
    struct Strip {
        std::vector<Vector3D> bottom, top;
        std::vector<float> normals;
    };
    struct Disc {
        Vector3D centre, normal;
        std::vector<Vector3D> top;
    };
    void BeginSides(std::size_t count, int) override { announcedSides = count; }
    void Side(const SegmentRings& r) override {
        strips.push_back({{r.bottom, r.bottom + r.division + 1},
                          {r.top, r.top + r.division + 1},
                          {r.normals, r.normals + 6 * (r.division + 1)}});
    }
    void BeginCaps(std::size_t count, int) override { announcedCaps = count; }
    void Cap(const Vector3D& c, const Vector3D* top, const Vector3D& normal, int n) override {
        caps.push_back({c, normal, {top, top + n + 1}});
    }
    std::size_t announcedSides = 0, announcedCaps = 0;
    std::vector<Strip> strips;
    std::vector<Disc> caps;
};

// One ring point exactly as the step-by-step construction describes it.
Vector3D ReferencePoint(const BranchSegment& s, double along, double radius, double angle, double oblique,
                        double orientation, const TreeViewParameters& view) {
    Vector3D p(along, radius * CosDeg(angle), radius * SinDeg(angle));
    p.RotateX(orientation).RotateZ(90 - oblique).RotateY(-orientation).Add(s.Start()).Scale(0.01f);
    return p.RotateZ(view.ObliqueAngle()).RotateY(view.OrientationAngle());
}

void ExpectNearPoint(const Vector3D& a, const Vector3D& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

struct Tree {
    SimpleTreeModel model;
    SkeletonLevels skeleton;
    LeafStore leaves;
    TreeViewParameters view;

    void Grow() {
        model.Rebuild(skeleton);
        view.Take(model.Base());
    }
    std::string ExportDXF(bool withLeaves = false) {
        TempFolder folder;
        TGDXFFileWriter writer;
        writer.SetFileName(folder.File("tree.dxf"));
        EXPECT_TRUE(writer.Open());
        MeshBuilder builder(skeleton, leaves, view);
        ExportDXFPass(writer, builder, withLeaves);
        EXPECT_TRUE(writer.Close());
        return ReadFileBytes(folder.File("tree.dxf"));
    }
    std::string ExportDirectX(bool withLeaves, bool caps) {
        TempFolder folder;
        TGDirectXFileWriter writer;
        writer.SetFileName(folder.File("tree.x"));
        EXPECT_TRUE(writer.Open());
        MeshBuilder builder(skeleton, leaves, view);
        ExportDirectXPass(writer, builder, withLeaves, caps);
        EXPECT_TRUE(writer.Close());
        return ReadFileBytes(folder.File("tree.x"));
    }
};

// A straight trunk of 3 m with the given division, capped.
void StraightTrunk(Tree& tree, int division) {
    tree.model.Base().SetHeight(300);
    tree.model.Base().SetDiameter(40);
    tree.model.Base().SetDivision(division);
    tree.model.Base().SetCut(true);
    tree.Grow();
}

}  // namespace

TEST(MeshBuilderRings, MatchTheStepByStepConstruction) {
    Tree tree;
    BaseSetup& base = tree.model.Base();
    base.SetIteration(4), base.SetHeight(250), base.SetHeightReduction(75), base.SetDiameter(30);
    base.SetDiameterReduction(70), base.SetDivision(5), base.SetObliqueAngle(20), base.SetOrientationAngle(130);
    tree.model.Custom().SetTwistAngle(70);
    tree.model.Custom().SetBalance(65);
    tree.Grow();
    RecordingSink sink;
    MeshBuilder builder(tree.skeleton, tree.leaves, tree.view);
    builder.BuildTree(sink, false);

    std::size_t strip = 0;
    for (const auto& level : tree.skeleton) {
        for (const BranchSegment& s : level) {
            if (s.Length() == 0) continue;
            ASSERT_LT(strip, sink.strips.size());
            const BranchSegment* p = s.Parent() ? s.Parent() : &s;
            for (int l = 0; l <= 5; ++l) {
                const double angle = l * 360.0 / 5;
                ExpectNearPoint(sink.strips[strip].top[l],
                                ReferencePoint(s, s.Length(), s.Diameter() * 0.5 * 0.7, angle, s.ObliqueAngle(),
                                               s.OrientationAngle(), tree.view),
                                1e-12);
                ExpectNearPoint(sink.strips[strip].bottom[l],
                                ReferencePoint(s, 0, s.Diameter() * 0.5, angle, p->ObliqueAngle(),
                                               p->OrientationAngle(), tree.view),
                                1e-12);
            }
            // Normals: the smooth formula, vertex by vertex, to the last bit.
            const auto& b = sink.strips[strip].bottom;
            const auto& t = sink.strips[strip].top;
            auto smooth = [](const Vector3D& p, const Vector3D& q, const Vector3D& r) {
                Vector3D first = p, second = q;
                first.CrossNormalize(q);
                second.CrossNormalize(r);
                return first.Add(second).Normalize();
            };
            for (int l = 0; l < 5; ++l) {
                const int next = (l + 1) % 5, previous = (l + 4) % 5;
                const Vector3D bottomNormal = smooth(b[next] - b[l], t[l] - b[l], b[previous] - b[l]);
                const Vector3D topNormal = smooth(t[previous] - t[l], b[l] - t[l], t[next] - t[l]);
                const float* stored = &sink.strips[strip].normals[6 * l];
                EXPECT_EQ(stored[0], static_cast<float>(bottomNormal.x));
                EXPECT_EQ(stored[2], static_cast<float>(bottomNormal.z));
                EXPECT_EQ(stored[4], static_cast<float>(topNormal.y));
                EXPECT_EQ(stored[5], static_cast<float>(topNormal.z));
            }
            ++strip;
        }
    }
    EXPECT_EQ(strip, sink.strips.size());
    EXPECT_EQ(sink.announcedSides, strip);
}

TEST(MeshBuilderRings, LinkedJointsCloseWhenTheRadiiAgree) {
    Tree tree;
    tree.model.Base().SetIteration(3);
    tree.model.Base().SetHeight(200);
    tree.model.Base().SetDiameter(20);
    tree.model.Base().SetDivision(8);
    tree.model.Custom().SetTwistAngle(45);
    tree.Grow();
    RecordingSink sink;
    MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildTree(sink, false);
    // Strip order is skeleton order: trunk, then level 1 (its children).
    const auto& trunk = sink.strips[0];
    for (std::size_t child = 1; child <= 2; ++child)
        for (int l = 0; l <= 8; ++l) ExpectNearPoint(sink.strips[child].bottom[l], trunk.top[l], 1e-12);
}

TEST(MeshBuilderRings, NormalsAreUnitAndPointOutward) {
    Tree tree;
    StraightTrunk(tree, 7);
    RecordingSink sink;
    MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildTree(sink, false);
    ASSERT_EQ(sink.strips.size(), 1u);
    const auto& strip = sink.strips[0];
    for (int l = 0; l <= 7; ++l) {
        for (int ring = 0; ring < 2; ++ring) {
            const float* n = &strip.normals[6 * l + 3 * ring];
            const Vector3D& point = ring == 0 ? strip.bottom[l] : strip.top[l];
            const Vector3D radial(point.x, 0, point.z);
            EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-6);
            EXPECT_GT(Dot({n[0], n[1], n[2]}, radial) / std::sqrt(Dot(radial, radial)), 0.999);
        }
    }
    for (int k = 0; k < 6; ++k) EXPECT_EQ(strip.normals[6 * 7 + k], strip.normals[k]);
}

TEST(MeshBuilderRings, RingsShrunkToAPointStillHaveUnitNormals) {
    // A trunk and a leaning, capped branch of no thickness: rings collapsed to
    // points, where no surface gives a normal.
    Tree tree;
    StraightTrunk(tree, 5);
    BranchSegment& trunk = tree.skeleton[0].front();
    tree.skeleton.AppendLevel().Append(BranchSegment(trunk.End(), trunk.End() + Vector3D(100, 100, 0), 0, 0, 1, 0.0, &trunk))
        .SetCut(true);
    RecordingSink sink;
    MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildTree(sink, false);
    ASSERT_EQ(sink.strips.size(), 2u);
    const auto& thin = sink.strips[1];
    ASSERT_TRUE(thin.top[0].x == thin.top[1].x && thin.top[0].y == thin.top[1].y && thin.top[0].z == thin.top[1].z);
    const Vector3D axis = thin.top[0] - (trunk.End() * 0.01);
    for (std::size_t i = 0; i < thin.normals.size(); i += 3) {
        const Vector3D n(thin.normals[i], thin.normals[i + 1], thin.normals[i + 2]);
        EXPECT_NEAR(std::sqrt(Dot(n, n)), 1.0, 1e-6);
        // Across the ring's own axis: the bottom ring lies as its parent's top
        // ring (so the joint closes), the top ring across the branch.
        const bool top = (i / 3) % 2 == 1;
        EXPECT_NEAR(Dot(n, top ? axis * (1 / std::sqrt(Dot(axis, axis))) : Vector3D(0, 1, 0)), 0.0, 1e-6) << i / 3;
    }
    // The collapsed cap faces along its branch, away from the trunk.
    ASSERT_EQ(sink.caps.size(), 2u);
    const Vector3D& capNormal = sink.caps[1].normal;
    EXPECT_NEAR(std::sqrt(Dot(capNormal, capNormal)), 1.0, 1e-6);
    EXPECT_NEAR(Dot(capNormal, axis) / std::sqrt(Dot(axis, axis)), 1.0, 1e-6);
}

TEST(MeshBuilderCaps, ZeroHeightTrunkGetsAFlatDiscAtTheOrigin) {
    Tree tree;
    tree.model.Base().SetCut(true);
    tree.model.Base().SetDiameter(50);
    tree.Grow();
    RecordingSink sink;
    const int triangles = MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildTree(sink, false);
    EXPECT_TRUE(sink.strips.empty());  // zero length: no side faces
    ASSERT_EQ(sink.caps.size(), 1u);
    EXPECT_EQ(triangles, 3);  // n per cap
    const auto& cap = sink.caps[0];
    for (const Vector3D& p : cap.top) {
        EXPECT_NEAR(p.y, 0, 1e-15);
        EXPECT_NEAR(std::hypot(p.x, p.z), 0.25 * 0.01f / 0.01, 1e-9);
    }
    EXPECT_NEAR(std::fabs(cap.normal.y), 1.0, 1e-6);
}

TEST(MeshBuilderCaps, OddDivisionUsesTheChordMidpoint) {
    Tree tree;
    StraightTrunk(tree, 3);
    RecordingSink sink;
    MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildTree(sink, false);
    ASSERT_EQ(sink.caps.size(), 1u);
    const auto& cap = sink.caps[0];
    Vector3D middle = cap.top[1] - cap.top[0];
    middle.Scale(0.5).Add(cap.top[0]);
    ExpectNearPoint(cap.centre, middle, 1e-15);
    Vector3D normal = cap.top[1] - cap.centre;
    normal.CrossNormalize(cap.top[2] - cap.centre);
    ExpectNearPoint(cap.normal, normal, 1e-15);

    // With four or more vertices the ring centre is found and top[0], top[1] give the normal.
    Tree square;
    StraightTrunk(square, 4);
    RecordingSink squareSink;
    MeshBuilder(square.skeleton, square.leaves, square.view).BuildTree(squareSink, false);
    ExpectNearPoint(squareSink.caps[0].centre, {0, 3.0 * 0.01f / 0.01, 0}, 1e-12);
}

TEST(MeshBuilderCounts, TwoTrianglesPerRingStepAndSkippedZeroLengths) {
    Tree tree;
    tree.model.Base().SetIteration(2);
    tree.model.Base().SetHeight(100);
    tree.model.Base().SetDivision(6);
    tree.model.Custom().SetBalance(100);  // every first child has length 0
    tree.model.Custom().SetCut(true);
    tree.Grow();
    CountingSink counts;
    MeshBuilder builder(tree.skeleton, tree.leaves, tree.view);
    const int triangles = builder.BuildTree(counts, false);
    // Level 1: one zero and one full child; level 2: the zero child's two
    // children are zero too, the full one's first child is zero: 1 + 1 + 1 sides.
    EXPECT_EQ(counts.sides, 3u);
    EXPECT_EQ(counts.caps, 4u);  // every level-2 segment is cut, zero length or not
    EXPECT_EQ(triangles, 2 * 6 * 3 + 6 * 4);
    EXPECT_EQ(builder.LeafTriangles(), 0);
}

TEST(MeshBuilderLines, SkeletonLinesAreRotatedThenScaled) {
    Tree tree;
    tree.model.Base().SetHeight(200);
    tree.model.Base().SetObliqueAngle(90);
    tree.Grow();
    std::vector<std::pair<Vector3D, Vector3D>> lines;
    MeshBuilder(tree.skeleton, tree.leaves, tree.view).BuildSkeletonLines([&](const Vector3D& a, const Vector3D& b) {
        lines.emplace_back(a, b);
    });
    ASSERT_EQ(lines.size(), 1u);
    ExpectNearPoint(lines[0].first, {0, 0, 0}, 1e-15);
    ExpectNearPoint(lines[0].second, {-2, 0, 0}, 1e-12);  // tilted 90 degrees towards -x
}

TEST(DXFExport, EmptySkeletonGivesTheTenLineFile) {
    Tree tree;
    EXPECT_EQ(SplitLines(tree.ExportDXF()).size(), 10u);
}

TEST(DXFExport, FacesInOrderSidesLeavesCapsWithConsistentOutwardWinding) {
    Tree tree;
    StraightTrunk(tree, 6);
    LeafPolygon leaf = tree.leaves.AppendList().Append(4, kTriangleStrip);
    // A strip whose first triangle is clockwise seen from +z, the side its normals face.
    leaf[0] = {0, 100, 50, 0, 0, 1, 0, 0};
    leaf[1] = {0, 110, 50, 0, 0, 1, 0, 1};
    leaf[2] = {10, 100, 50, 0, 0, 1, 1, 0};
    leaf[3] = {10, 110, 50, 0, 0, 1, 1, 1};

    const ParsedDXF dxf = ParseDXF(tree.ExportDXF(true));
    ASSERT_EQ(dxf.error, "");
    ASSERT_EQ(dxf.faces.size(), 12u + 2 + 6);
    for (std::size_t i = 0; i < dxf.faces.size(); ++i) {
        const DXFFace& f = dxf.faces[i];
        const int layer = i < 12 ? 1 : i < 14 ? 3 : 2;
        ASSERT_EQ(f.layer, layer) << i;
        EXPECT_EQ(f.corners[3].x, f.corners[2].x);  // triangles repeat their third corner
        const Vector3D normal = FrontNormal(f.corners[0], f.corners[1], f.corners[2]);
        if (layer == 1) {
            const Vector3D centre((f.corners[0].x + f.corners[1].x + f.corners[2].x) / 3, 0,
                                  (f.corners[0].z + f.corners[1].z + f.corners[2].z) / 3);
            EXPECT_GT(Dot(normal, centre), 0) << "side face " << i << " faces inward";
        } else if (layer == 2) {
            EXPECT_GT(normal.y, 0) << "cap face " << i << " faces down";
        } else {
            EXPECT_GT(normal.z, 0) << "leaf face " << i;  // both leaf triangles face +z, like its normals
        }
    }
}

TEST(DirectXExport, OneTrunkSegmentMesh) {
    for (int n : {3, 8}) {
        Tree tree;
        StraightTrunk(tree, n);
        const ParsedDirectX x = ParseDirectX(tree.ExportDirectX(false, false));
        ASSERT_EQ(x.error, "");
        ASSERT_EQ(x.meshes.size(), 1u);  // no cap mesh without a stump list
        const DirectXMesh& mesh = x.meshes[0];
        EXPECT_EQ(mesh.name, "Mesh_0");
        EXPECT_EQ(mesh.positions.size(), 2u * (n + 1));
        EXPECT_EQ(mesh.faces.size(), 2u * n);
        EXPECT_EQ(mesh.normals.size(), mesh.positions.size());
        EXPECT_EQ(mesh.normalFaces, mesh.faces);
        ASSERT_EQ(mesh.textureCoords.size(), mesh.positions.size());
        for (int l = 0; l <= n; ++l) {
            EXPECT_NEAR(mesh.textureCoords[2 * l][0], static_cast<double>(l) / n, 1e-6);
            EXPECT_EQ(mesh.textureCoords[2 * l][1], 0);
            EXPECT_NEAR(mesh.textureCoords[2 * l + 1][0], static_cast<double>(l) / n, 1e-6);
            EXPECT_EQ(mesh.textureCoords[2 * l + 1][1], 1);
        }
    }
}

TEST(DirectXExport, EveryTriangleFacesLikeItsNormals) {
    Tree tree;
    StraightTrunk(tree, 6);
    LeafPolygon leaf = tree.leaves.AppendList().Append(5, kTriangleStrip);
    for (int i = 0; i < 5; ++i) leaf[i] = {float(10 * ((i + 1) % 2)), float(100 + 10 * (i / 2)), 30, 0, 0, 1, 0, 0};
    const ParsedDirectX x = ParseDirectX(tree.ExportDirectX(true, true));
    ASSERT_EQ(x.error, "");
    ASSERT_EQ(x.meshes.size(), 3u);  // tree, leaves, caps
    EXPECT_EQ(x.meshes[1].name, "Mesh_1");
    EXPECT_EQ(x.meshes[1].positions.size(), 5u);
    EXPECT_EQ(x.meshes[1].faces.size(), 3u);
    EXPECT_EQ(x.meshes[2].positions.size(), 6u + 2);
    EXPECT_EQ(x.meshes[2].faces.size(), 6u);
    EXPECT_EQ(x.meshes[2].textureCoords[0], (std::array<double, 2>{0.5, 0.5}));
    for (const DirectXMesh& mesh : x.meshes) {
        for (const auto& face : mesh.faces) {
            const Vector3D normal =
                FrontNormal(mesh.positions[face[0]], mesh.positions[face[1]], mesh.positions[face[2]]);
            Vector3D vertexNormals;
            for (int corner : face) vertexNormals.Add(mesh.normals[corner]);
            EXPECT_GT(Dot(normal, vertexNormals), 0) << mesh.name << " face " << face[0] << " " << face[1];
        }
    }
}

TEST(MeshBuilderProgress, RisesToOneAndAStopLeavesThePreviousFile) {
    SimpleTreeModel tree;
    tree.Base().SetIteration(14), tree.Base().SetHeight(300), tree.Base().SetHeightReduction(80);
    tree.Base().SetDiameter(20), tree.Custom().SetCut(true);
    const GrownDesign grown(tree, LeafGeneratorModel());
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    std::vector<double> reports;
    builder.SetProgress([&](double done) {
        reports.push_back(done);
        return true;
    });
    CountingSink counts;
    builder.BuildTree(counts, false);
    EXPECT_FALSE(builder.Cancelled());
    ASSERT_GE(reports.size(), 3u);  // 32,767 segments: reported every 4,096
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_GT(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);

    // Stopped half way: the writer drops its temporary file, the old export stays.
    TempFolder folder;
    WriteFileBytes(folder.File("tree.dxf"), "old export\n");
    TGDXFFileWriter writer;
    writer.SetFileName(folder.File("tree.dxf"));
    ASSERT_TRUE(writer.Open());
    builder.SetProgress([](double done) { return done < 0.5; });
    ExportDXFPass(writer, builder, false);
    EXPECT_TRUE(builder.Cancelled());
    writer.Abort();
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(ReadFileBytes(folder.File("tree.dxf")), "old export\n");
    EXPECT_EQ(ListFolder(folder.Path()).size(), 1u);
    // The next build starts afresh.
    builder.SetProgress(nullptr);
    builder.BuildTree(counts, false);
    EXPECT_FALSE(builder.Cancelled());
}

TEST(MeshBuilderRings, SmoothPiecesShareAJointRingAcrossTheirMeanDirection) {
    // A shoot of three pieces turning by 30 degrees at each joint, smooth or not.
    for (const bool smooth : {false, true}) {
        SkeletonLevels skeleton;
        SkeletonLevels::Level& level = skeleton.AppendLevel();
        const Vector3D points[4] = {{0, 0, 0}, {0, 100, 0}, {50, 186.6, 0}, {136.6, 236.6, 0}};
        const BranchSegment* parent = nullptr;
        for (int i = 0; i < 3; ++i) {
            BranchSegment& piece = level.Append(points[i], points[i + 1], 0.0, 0.0, 1.0, 20.0, parent);
            piece.SetPiece(i, 3);
            piece.SetTipScale(1.0f);
            piece.SetSmooth(smooth);
            parent = &piece;
        }
        LeafStore leaves;
        TreeViewParameters view;
        view.SetDivision(8);
        RecordingSink sink;
        MeshBuilder(skeleton, leaves, view).BuildTree(sink, false);
        ASSERT_EQ(sink.strips.size(), 3u);
        for (int joint = 0; joint < 2; ++joint) {
            SCOPED_TRACE((smooth ? "smooth, joint " : "kinked, joint ") + std::to_string(joint));
            const auto& before = sink.strips[joint].top;
            const auto& after = sink.strips[joint + 1].bottom;
            // The rings meet, vertex by vertex, either way.
            for (std::size_t l = 0; l < before.size(); ++l) ExpectNearPoint(before[l], after[l], 1e-9);
            // The ring's plane is square to the mean of the two pieces' directions
            // when smooth, to the first piece's when not.
            Vector3D first = points[joint + 1] - points[joint], second = points[joint + 2] - points[joint + 1];
            first.Normalize(), second.Normalize();
            const Vector3D axis = smooth ? first + second : first;
            for (std::size_t l = 1; l < before.size(); ++l) {
                Vector3D across = before[l] - before[0];
                EXPECT_NEAR(Dot(across, axis) / std::sqrt(Dot(across, across) * Dot(axis, axis)), 0.0, 1e-6) << l;
            }
        }
    }
}
