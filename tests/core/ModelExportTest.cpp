#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <sstream>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "ExportParsers.h"
#include "TestHelpers.h"
#include "generators/SimpleTreeModel.h"
#include "io/ImageFiles.h"
#include "io/ModelFiles.h"
#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/ModelSink.h"
#include "render/ProceduralTextures.h"

using namespace grovewright;
using grovewright::test::GrownDesign;
using grovewright::test::ParseGlb;
using grovewright::test::ParsedGlb;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;

namespace {

// A cut simple tree with one leaf page in use.
struct LeafyTree {
    LeafyTree() {
        tree.Base().SetIteration(4), tree.Base().SetHeight(300), tree.Base().SetHeightReduction(80);
        tree.Base().SetDiameter(20), tree.Base().SetDivision(6), tree.Custom().SetCut(true);
        leafPages.Page(0).SetUseLeaf(true);
    }
    SimpleTreeModel tree;
    LeafGeneratorModel leafPages;
};

TreeModel BuildModel(const GrownDesign& grown, bool withLeaves) {
    TreeModel model;
    ModelSink sink(model);
    MeshBuilder(grown.skeleton, grown.leaves, grown.view).BuildTree(sink, withLeaves);
    return model;
}

std::string Export(ModelFormat format, const std::string& path, const GrownDesign& grown, bool withLeaves) {
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    std::string error;
    EXPECT_EQ(ExportModel(format, path, builder, withLeaves, BuiltinModelTextures(), error), ExportResult::Written)
        << error;
    return ReadFileBytes(path);
}

// The primitive of the named mesh, by its position in the file's meshes.
const nlohmann::json& Primitive(const ParsedGlb& glb, const char* mesh, int primitive) {
    for (const auto& m : glb.json["meshes"])
        if (m["name"] == mesh) return m["primitives"][primitive];
    ADD_FAILURE() << "no mesh " << mesh;
    static const nlohmann::json none;
    return none;
}

}  // namespace

TEST(ModelSink, TrianglesWindCounterClockwiseAroundTheirNormals) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    const TreeModel model = BuildModel(grown, true);
    ASSERT_FALSE(model.bark.Empty());
    ASSERT_FALSE(model.caps.Empty());
    ASSERT_FALSE(model.leaves.Empty());
    for (const MeshPart* part : {&model.bark, &model.caps, &model.leaves}) {
        auto at = [&](const ModelArray<float>& values, std::uint32_t i) {
            return Vector3D(values[3 * i], values[3 * i + 1], values[3 * i + 2]);
        };
        int facing = 0, degenerate = 0;
        for (std::size_t t = 0; t < part->indices.size(); t += 3) {
            const std::uint32_t a = part->indices[t], b = part->indices[t + 1], c = part->indices[t + 2];
            const Vector3D face = Cross(at(part->positions, b) - at(part->positions, a),
                                        at(part->positions, c) - at(part->positions, a));
            if (Dot(face, face) < 1e-24) {
                ++degenerate;
                continue;
            }
            facing += Dot(face, at(part->normals, a) + at(part->normals, b) + at(part->normals, c)) > 0;
        }
        EXPECT_EQ(facing + degenerate, static_cast<int>(part->TriangleCount()));
        for (std::size_t v = 0; v < part->VertexCount(); ++v) {
            const Vector3D n = at(part->normals, v);
            EXPECT_NEAR(Dot(n, n), 1.0, 2e-6);
        }
    }
}

// A leaf page's edit that keeps every leaf's place rewrites the view's leaf
// mesh where that page's leaves are: the same mesh as one made anew.
TEST(ModelSink, RewrittenLeavesEqualLeavesMeshedAnew) {
    for (int iteration : {4, 12}) {  // one thread, then two halves
        SCOPED_TRACE(iteration);
        LeafyTree design;
        design.tree.Base().SetIteration(iteration);
        design.leafPages.Page(3).SetUseLeaf(true);
        design.leafPages.Page(3).Set(LeafSetup::kSegmentCount, 4);
        GrownDesign grown(design.tree, design.leafPages);
        const ViewTransform transform(grown.view);
        TreeModel kept;
        ModelSink(kept, ModelSink::Order::kView).Leaves(grown.leaves[0], transform);

        design.leafPages.Page(3).Set(LeafSetup::kAddAngle, 70);
        std::vector<std::uint32_t> changed;
        ASSERT_TRUE(design.leafPages.RegeneratePage(grown.skeleton, grown.leaves, 3, changed));
        ASSERT_FALSE(changed.empty());
        ASSERT_TRUE(ModelSink(kept, ModelSink::Order::kView).RewriteLeaves(grown.leaves[0], transform, changed));
        TreeModel fresh;
        ModelSink(fresh, ModelSink::Order::kView).Leaves(grown.leaves[0], transform);
        EXPECT_EQ(kept.leaves.positions, fresh.leaves.positions);
        EXPECT_EQ(kept.leaves.normals, fresh.leaves.normals);
        EXPECT_EQ(kept.leaves.uvs, fresh.leaves.uvs);
        EXPECT_EQ(kept.leaves.indices, fresh.leaves.indices);
        EXPECT_TRUE(std::equal(kept.leaves.minimum, kept.leaves.minimum + 3, fresh.leaves.minimum));
        EXPECT_TRUE(std::equal(kept.leaves.maximum, kept.leaves.maximum + 3, fresh.leaves.maximum));

        // Leaves of another list are not rewritten.
        design.leafPages.Page(3).Set(LeafSetup::kSegmentCount, 6);
        const GrownDesign other(design.tree, design.leafPages);
        const auto before = kept.leaves.positions;
        EXPECT_FALSE(ModelSink(kept, ModelSink::Order::kView).RewriteLeaves(other.leaves[0], transform, changed));
        EXPECT_EQ(kept.leaves.positions, before);
    }
}

// The view draws the model's triangles as GL takes them from the strips and
// fans: each triangle wound the other way, GL's v, the builder's own
// normals; many leaves are meshed in two halves at once, in the store's order.
TEST(ModelSink, TheViewsOrderIsTheModelsTrianglesAsGLTakesThem) {
    LeafyTree design;
    design.tree.Base().SetIteration(12);
    const GrownDesign grown(design.tree, design.leafPages);
    ASSERT_GT(grown.leaves[0].size(), 2048u);  // enough for both halves
    const TreeModel model = BuildModel(grown, true);
    TreeModel view;
    ModelSink viewSink(view, ModelSink::Order::kView);
    MeshBuilder(grown.skeleton, grown.leaves, grown.view).BuildTree(viewSink, true);
    for (auto part : {&TreeModel::bark, &TreeModel::caps, &TreeModel::leaves}) {
        const MeshPart &m = model.*part, &v = view.*part;
        ASSERT_EQ(v.positions, m.positions);
        ASSERT_EQ(v.indices.size(), m.indices.size());
        for (std::size_t t = 0; t < v.indices.size(); t += 3) {
            // The same corners, wound the other way.
            const std::uint32_t* a = &v.indices[t];
            const std::uint32_t* b = &m.indices[t];
            const bool reversed = (a[0] == b[0] && a[1] == b[2] && a[2] == b[1]) ||
                                  (a[0] == b[1] && a[1] == b[0] && a[2] == b[2]) ||
                                  (a[0] == b[2] && a[1] == b[1] && a[2] == b[0]);
            ASSERT_TRUE(reversed) << t;
        }
        for (std::size_t i = 0; i < v.VertexCount(); ++i) {
            EXPECT_EQ(v.uvs[2 * i], m.uvs[2 * i]);
            EXPECT_NEAR(v.uvs[2 * i + 1], 1 - m.uvs[2 * i + 1], 1e-6);
            const Vector3D normal(v.normals[3 * i], v.normals[3 * i + 1], v.normals[3 * i + 2]);
            const double length = std::sqrt(Dot(normal, normal));
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(v.normals[3 * i + c] / length, m.normals[3 * i + c], 1e-6);
        }
    }
    // The leaves' vertices in the order of the store's polygons.
    const ViewTransform transform(grown.view);
    std::size_t at = 0;
    for (const LeafPolygon& polygon : grown.leaves[0])
        for (int k = 0; k < polygon.VertexCount(); ++k, ++at) {
            const Vector3D p = transform.LeafPoint(polygon[k]);
            ASSERT_EQ(view.leaves.positions[3 * at], static_cast<float>(p.x));
            ASSERT_EQ(view.leaves.positions[3 * at + 2], static_cast<float>(p.z));
        }
    EXPECT_EQ(at, view.leaves.VertexCount());
}

TEST(GlbExport, PositionsAndTrianglesAreTheDirectXExports) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    TempFolder folder;
    const ParsedGlb glb = ParseGlb(Export(ModelFormat::GLB, folder.File("tree.glb"), grown, true));
    ASSERT_EQ(glb.error, "");
    const auto x = grovewright::test::ParseDirectX(grovewright::test::ExportWithLeaves(grown).directX);
    ASSERT_EQ(x.error, "");
    ASSERT_EQ(x.meshes.size(), 3u);  // tree, leaves, caps
    const std::pair<const char*, int> parts[3] = {{"Tree", 0}, {"Leaves", 0}, {"Tree", 1}};
    for (int m = 0; m < 3; ++m) {
        const auto& primitive = Primitive(glb, parts[m].first, parts[m].second);
        const std::vector<float> positions = glb.Floats(primitive["attributes"]["POSITION"]);
        const auto& expected = x.meshes[m].positions;
        ASSERT_EQ(positions.size(), 3 * expected.size()) << m;
        for (std::size_t v = 0; v < expected.size(); ++v) {
            ASSERT_NEAR(positions[3 * v], expected[v].x, 1e-6) << m << " " << v;
            ASSERT_NEAR(positions[3 * v + 1], expected[v].y, 1e-6) << m << " " << v;
            ASSERT_NEAR(positions[3 * v + 2], expected[v].z, 1e-6) << m << " " << v;
        }
        // The texture coordinates, v measured from the image's top row as glTF does.
        const std::vector<float> uvs = glb.Floats(primitive["attributes"]["TEXCOORD_0"]);
        ASSERT_EQ(uvs.size(), 2 * expected.size()) << m;
        for (std::size_t v = 0; v < expected.size(); ++v) {
            ASSERT_NEAR(uvs[2 * v], x.meshes[m].textureCoords[v][0], 1e-6) << m << " " << v;
            ASSERT_NEAR(uvs[2 * v + 1], 1 - x.meshes[m].textureCoords[v][1], 1e-6) << m << " " << v;
        }
        // The same triangles, turned round (compared from their smallest corner on).
        const std::vector<std::uint32_t> indices = glb.Indices(primitive["indices"]);
        ASSERT_EQ(indices.size(), 3 * x.meshes[m].faces.size()) << m;
        auto canonical = [](std::array<int, 3> t) {
            std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
            return t;
        };
        for (std::size_t f = 0; f < x.meshes[m].faces.size(); ++f) {
            const auto& face = x.meshes[m].faces[f];
            EXPECT_EQ(canonical({int(indices[3 * f]), int(indices[3 * f + 1]), int(indices[3 * f + 2])}),
                      canonical({face[1], face[0], face[2]}))
                << m << " " << f;
        }
        // The box the positions fill.
        const auto& accessor = glb.json["accessors"][primitive["attributes"]["POSITION"].get<int>()];
        for (int c = 0; c < 3; ++c) {
            float low = positions[c], high = positions[c];
            for (std::size_t v = c; v < positions.size(); v += 3)
                low = std::min(low, positions[v]), high = std::max(high, positions[v]);
            EXPECT_EQ(accessor["min"][c].get<float>(), low);
            EXPECT_EQ(accessor["max"][c].get<float>(), high);
        }
    }
    EXPECT_EQ(glb.json["asset"]["generator"], "Grovewright v2.3.2");
    const auto& leaves = glb.json["materials"][Primitive(glb, "Leaves", 0)["material"].get<int>()];
    EXPECT_EQ(leaves["alphaMode"], "MASK");
    EXPECT_EQ(leaves["alphaCutoff"], 0.7);
    EXPECT_EQ(leaves["doubleSided"], true);
    // The leaf texture inside is the built-in one, alpha and all.
    const int texture = leaves["pbrMetallicRoughness"]["baseColorTexture"]["index"];
    const auto& image = glb.json["images"][glb.json["textures"][texture]["source"].get<int>()];
    EXPECT_EQ(image["mimeType"], "image/png");
    EXPECT_TRUE(glb.View(image["bufferView"]) == EncodePng(BuiltinModelTextures().leaves));

    // Materials and images carry the tree's file name, so that engines that keep
    // them by name keep each tree's own; any byte a reader could split at becomes "_".
    EXPECT_EQ(leaves["name"], "tree_Leaves");
    for (const auto& image : glb.json["images"]) EXPECT_EQ(image["name"].get<std::string>().rfind("tree_", 0), 0u);
    const ParsedGlb other = ParseGlb(Export(ModelFormat::GLB, folder.File("my oak.2.glb"), grown, true));
    EXPECT_EQ(other.json["materials"][0]["name"], "my_oak_2_Bark");
    EXPECT_EQ(other.json["images"][0]["name"], "my_oak_2_Bark");

    // The same design gives the same bytes; without leaves there is no Leaves node.
    const test::TempFolder again;
    EXPECT_TRUE(Export(ModelFormat::GLB, again.File("tree.glb"), grown, true) ==
                ReadFileBytes(folder.File("tree.glb")));
    const ParsedGlb bare = ParseGlb(Export(ModelFormat::GLB, folder.File("bare.glb"), grown, false));
    ASSERT_EQ(bare.json["nodes"].size(), 1u);
    EXPECT_EQ(bare.json["nodes"][0]["name"], "Tree");
}

// Leaves of their own colours and a painted bark: the GLB's COLOR_0 is each
// leaf's colour at every one of its vertices, the DirectX file lists the same
// colours, and the bark's normal map comes with unit tangents along the surface.
TEST(GlbExport, LeafColoursAndBarkReliefReachTheFiles) {
    LeafyTree design;
    design.leafPages.Page(0).Set(LeafSetup::kLightnessVariation, 40);
    design.leafPages.Page(0).Set(LeafSetup::kHueVariation, 30);
    const GrownDesign grown(design.tree, design.leafPages);
    const LeafList& leaves = grown.leaves[0];
    ASSERT_TRUE(leaves.Tinted());
    TempFolder folder;
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    std::string error;
    ASSERT_EQ(ExportModel(ModelFormat::GLB, folder.File("tree.glb"), builder, true,
                          BuiltinModelTextures({ProceduralTextures::Choice::kDrawnBarks, 0}), error),
              ExportResult::Written)
        << error;
    const ParsedGlb glb = ParseGlb(ReadFileBytes(folder.File("tree.glb")));
    ASSERT_EQ(glb.error, "");

    const auto& leafPrimitive = Primitive(glb, "Leaves", 0);
    const auto& colour = glb.json["accessors"][leafPrimitive["attributes"]["COLOR_0"].get<int>()];
    EXPECT_EQ(colour["componentType"], 5121);
    EXPECT_EQ(colour["normalized"], true);
    ASSERT_EQ(colour["count"].get<std::size_t>(), leaves.VertexTotal());
    const std::string bytes = glb.View(colour["bufferView"]);
    std::size_t vertex = 0;
    std::set<std::uint32_t> distinct;
    for (const LeafPolygon& polygon : leaves) {
        distinct.insert(polygon.Colour());
        for (int k = 0; k < polygon.VertexCount(); ++k, ++vertex)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(static_cast<unsigned char>(bytes[4 * vertex + c]), (polygon.Colour() >> (8 * c)) & 0xff);
    }
    EXPECT_GT(distinct.size(), 4u);
    // The tree's parts carry no colours.
    EXPECT_FALSE(Primitive(glb, "Tree", 0)["attributes"].contains("COLOR_0"));

    const auto& bark = Primitive(glb, "Tree", 0);
    const auto& material = glb.json["materials"][bark["material"].get<int>()];
    ASSERT_TRUE(material.contains("normalTexture"));
    const std::vector<float> tangents = glb.Floats(bark["attributes"]["TANGENT"]);
    const std::vector<float> normals = glb.Floats(bark["attributes"]["NORMAL"]);
    ASSERT_EQ(tangents.size() / 4, normals.size() / 3);
    for (std::size_t v = 0; v < normals.size() / 3; ++v) {
        const float* t = &tangents[4 * v];
        const float* n = &normals[3 * v];
        ASSERT_NEAR(t[0] * t[0] + t[1] * t[1] + t[2] * t[2], 1.0, 1e-4) << v;
        ASSERT_NEAR(t[0] * n[0] + t[1] * n[1] + t[2] * n[2], 0.0, 1e-4) << v;
        ASSERT_TRUE(t[3] == 1.0f || t[3] == -1.0f) << v;
    }

    // The DirectX file: one colour per leaf vertex, the last entry closing the list.
    const std::string x = grovewright::test::ExportWithLeaves(grown).directX;
    const auto block = x.find("MeshVertexColors {\n");
    ASSERT_NE(block, std::string::npos);
    std::istringstream in(x.substr(block));
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    ASSERT_EQ(line, std::to_string(leaves.VertexTotal()) + ";");
    for (std::size_t v = 0; v < leaves.VertexTotal(); ++v) {
        std::getline(in, line);
        ASSERT_EQ(line.rfind(std::to_string(v) + "; ", 0), 0u) << line;
        ASSERT_EQ(line.substr(line.size() - 2), v + 1 == leaves.VertexTotal() ? ";;" : ";,") << line;
    }
}

TEST(GlbExport, IndicesAreSixteenBitsUpTo65535VerticesAndNeverWrap) {
    for (std::size_t vertices : {65535u, 65536u, 70000u}) {
        TreeModel model;
        MeshPart& bark = model.bark;
        for (std::size_t v = 0; v < vertices; ++v) {
            bark.positions.insert(bark.positions.end(), {float(v), 0, float(v % 7)});
            bark.normals.insert(bark.normals.end(), {0, 1, 0});
            bark.uvs.insert(bark.uvs.end(), {0, 0});
        }
        bark.maximum[0] = float(vertices - 1), bark.maximum[2] = 6;
        bark.indices = {0, static_cast<std::uint32_t>(vertices - 1), static_cast<std::uint32_t>(vertices / 2)};
        TempFolder folder;
        std::string error;
        ASSERT_TRUE(WriteModel(ModelFormat::GLB, folder.File("big.glb"), model, BuiltinModelTextures(), error));
        const ParsedGlb glb = ParseGlb(ReadFileBytes(folder.File("big.glb")));
        const auto& primitive = Primitive(glb, "Tree", 0);
        EXPECT_EQ(glb.json["accessors"][primitive["indices"].get<int>()]["componentType"],
                  vertices <= 65535 ? 5123 : 5125);
        EXPECT_EQ(glb.Indices(primitive["indices"]), std::vector<std::uint32_t>(bark.indices.begin(), bark.indices.end()));
    }
}

TEST(GltfAndObjExport, WriteTheirFilesBesideTheModel) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    const TreeModel model = BuildModel(grown, true);
    TempFolder folder;
    // The side files' names are relative URIs.
    const auto gltf = nlohmann::json::parse(Export(ModelFormat::GLTF, folder.File("my tree.gltf"), grown, true));
    EXPECT_EQ(gltf["buffers"][0]["uri"], "my%20tree.bin");
    EXPECT_EQ(gltf["buffers"][0]["byteLength"], ReadFileBytes(folder.File("my tree.bin")).size());
    EXPECT_EQ(gltf["images"][0]["uri"], "my%20tree_bark.png");

    std::istringstream obj(Export(ModelFormat::OBJ, folder.File("tree.obj"), grown, true));
    std::size_t v = 0, vt = 0, vn = 0, f = 0, maxIndex = 0;
    std::vector<std::string> groups, materials, textureCoords;
    for (std::string line; std::getline(obj, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        v += kind == "v", vt += kind == "vt", vn += kind == "vn";
        if (kind == "g") groups.push_back(line.substr(2));
        if (kind == "usemtl") materials.push_back(line.substr(7));
        if (kind == "vt") textureCoords.push_back(line.substr(3));
        if (kind != "f") continue;
        ++f;
        for (std::string corner; words >> corner;) maxIndex = std::max<std::size_t>(maxIndex, std::stoul(corner));
    }
    const std::size_t vertices = model.bark.VertexCount() + model.caps.VertexCount() + model.leaves.VertexCount();
    EXPECT_EQ(v, vertices);
    EXPECT_EQ(vt, vertices);
    EXPECT_EQ(vn, vertices);
    EXPECT_EQ(f, model.bark.TriangleCount() + model.caps.TriangleCount() + model.leaves.TriangleCount());
    EXPECT_EQ(maxIndex, vertices);
    EXPECT_EQ(groups, (std::vector<std::string>{"Tree", "Leaves"}));
    // As GL takes them: the first ring vertex has v 0 at the bottom, 1 at the top.
    ASSERT_GE(textureCoords.size(), 2u);
    EXPECT_EQ(textureCoords[0], "0 0");
    EXPECT_EQ(textureCoords[1], "0 1");
    EXPECT_EQ(materials, (std::vector<std::string>{"tree_Bark", "tree_Stump", "tree_Leaves"}));
    const std::string mtl = ReadFileBytes(folder.File("tree.mtl"));
    EXPECT_NE(mtl.find("map_d tree_leaves.png"), std::string::npos) << mtl;
    for (const char* png : {"tree_bark.png", "tree_stump.png", "tree_leaves.png"})
        EXPECT_EQ(ReadFileBytes(folder.File(png)).substr(1, 3), "PNG") << png;
}

TEST(ModelExport, AFileThatCannotBeWrittenSaysWhichAndKeepsThePreviousOne) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    TempFolder folder;
    grovewright::test::WriteFileBytes(folder.File("tree.glb"), "previous");
    ASSERT_EQ(mkdir(folder.File("tree.obj").c_str(), 0755), 0);
    for (const auto& [format, path] : {std::pair{ModelFormat::GLB, folder.File("no/tree.glb")},
                                       std::pair{ModelFormat::OBJ, folder.File("tree.obj")}}) {
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        std::string error;
        EXPECT_EQ(ExportModel(format, path, builder, true, BuiltinModelTextures(), error), ExportResult::Failed);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(ReadFileBytes(folder.File("tree.glb")) == "previous");
    // A cancelled pass writes nothing at all (progress is told every 4,096 segments).
    SimpleTreeModel large;
    large.Base().SetIteration(13), large.Base().SetHeight(300);
    const GrownDesign big(large, LeafGeneratorModel());
    MeshBuilder builder(big.skeleton, big.leaves, big.view);
    builder.SetProgress([](double) { return false; });
    std::string error;
    EXPECT_EQ(ExportModel(ModelFormat::GLB, folder.File("tree.glb"), builder, true, BuiltinModelTextures(), error),
              ExportResult::Cancelled);
    EXPECT_TRUE(ReadFileBytes(folder.File("tree.glb")) == "previous");
}

TEST(ModelExport, AnExportThatRunsOutOfMemoryKeepsThePreviousFileInEveryFormat) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    SimpleTreeModel large;
    large.Base().SetIteration(13), large.Base().SetHeight(300);
    const GrownDesign big(large, LeafGeneratorModel());
    TempFolder folder;
    // Memory runs out in the middle of the pass (small tree: at its end; large: between runs of strips).
    auto failing = [](const GrownDesign& tree) {
        auto builder = std::make_unique<MeshBuilder>(tree.skeleton, tree.leaves, tree.view);
        builder->SetProgress([](double) -> bool { throw std::bad_alloc(); });
        return builder;
    };
    TGDXFFileWriter dxf;
    TGDirectXFileWriter directX;
    for (const GrownDesign* tree : {&grown, &big}) {
        for (const char* name : {"tree.dxf", "tree.x", "tree.glb", "tree.obj"})
            grovewright::test::WriteFileBytes(folder.File(name), "previous");
        dxf.SetFileName(folder.File("tree.dxf"));
        EXPECT_THROW(ExportFile(dxf, *failing(*tree), true), std::bad_alloc);
        directX.SetFileName(folder.File("tree.x"));
        EXPECT_THROW(ExportFile(directX, *failing(*tree), true), std::bad_alloc);
        for (const auto& [format, name] : {std::pair{ModelFormat::GLB, "tree.glb"}, std::pair{ModelFormat::OBJ, "tree.obj"}}) {
            std::string error;
            EXPECT_THROW(ExportModel(format, folder.File(name), *failing(*tree), true, BuiltinModelTextures(), error),
                         std::bad_alloc);
        }
        for (const char* name : {"tree.dxf", "tree.x", "tree.glb", "tree.obj"})
            EXPECT_TRUE(ReadFileBytes(folder.File(name)) == "previous") << name;
    }
    // No temporary file is left, and the same writers write the next export whole.
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 4u);
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    EXPECT_EQ(ExportFile(dxf, builder, true), ExportResult::Written);
    EXPECT_EQ(ReadFileBytes(folder.File("tree.dxf")).rfind("EOF"), ReadFileBytes(folder.File("tree.dxf")).size() - 4);
}

// The same sink fed one strip at a time, in order, on one thread.
class OneThreadModelSink : public ModelSink {
public:
    using ModelSink::ModelSink;
    bool TakesSidesInParallel() const override { return false; }
};

TEST(ModelSink, ALargeTreeMeshedOnSeveralThreadsIsTheOneThreadModel) {
    // 2^16 - 1 strips: enough for the builder to spread them over the processors.
    SimpleTreeModel tree;
    tree.Base().SetIteration(15), tree.Base().SetHeight(300), tree.Base().SetHeightReduction(85);
    tree.Base().SetDiameter(30), tree.Base().SetDivision(5), tree.Custom().SetTwistAngle(70);
    const GrownDesign grown(tree, LeafGeneratorModel());
    TreeModel parallel, sequential;
    std::vector<double> reported;
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    builder.SetProgress([&](double done) {
        reported.push_back(done);
        return true;
    });
    ModelSink parallelSink(parallel);
    OneThreadModelSink sequentialSink(sequential);
    const int triangles = builder.BuildTree(parallelSink, false);
    EXPECT_EQ(MeshBuilder(grown.skeleton, grown.leaves, grown.view).BuildTree(sequentialSink, false), triangles);
    EXPECT_EQ(parallel.bark.TriangleCount(), 65535u * 10);
    EXPECT_TRUE(parallel.bark.positions == sequential.bark.positions);
    EXPECT_TRUE(parallel.bark.normals == sequential.bark.normals);
    EXPECT_TRUE(parallel.bark.uvs == sequential.bark.uvs);
    EXPECT_TRUE(parallel.bark.indices == sequential.bark.indices);
    EXPECT_TRUE(std::equal(parallel.bark.minimum, parallel.bark.minimum + 3, sequential.bark.minimum));
    EXPECT_TRUE(std::equal(parallel.bark.maximum, parallel.bark.maximum + 3, sequential.bark.maximum));
    // Progress still rises to the end, told on this thread only (the callback is not thread-safe).
    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(reported.back(), 1.0);
}

TEST(ModelSink, StoppingALargeParallelBuildStopsEveryThread) {
    SimpleTreeModel tree;
    tree.Base().SetIteration(15), tree.Base().SetHeight(300), tree.Base().SetDivision(5);
    const GrownDesign grown(tree, LeafGeneratorModel());
    MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
    int calls = 0;
    builder.SetProgress([&](double) { return ++calls < 2; });
    TreeModel model;
    ModelSink sink(model);
    EXPECT_EQ(builder.BuildTree(sink, false), 0);
    EXPECT_TRUE(builder.Cancelled());
    EXPECT_EQ(calls, 2);
    // And the builder is whole again for the next pass.
    builder.SetProgress(nullptr);
    TreeModel again;
    ModelSink second(again);
    EXPECT_GT(builder.BuildTree(second, false), 0);
    EXPECT_FALSE(builder.Cancelled());
}

namespace {

// A bark of 65,535 strips of 18 vertices: about 14 MB of positions, so the GLB
// is written while the tree is built.
struct LargeTree {
    LargeTree() {
        tree.Base().SetIteration(15), tree.Base().SetHeight(300), tree.Base().SetHeightReduction(85);
        tree.Base().SetDiameter(30), tree.Base().SetDivision(8), tree.Custom().SetCut(true);
    }
    SimpleTreeModel tree;
};

}  // namespace

TEST(ModelExport, ALargeGlbWrittenWhileBuiltHoldsTheBytesOfTheWholeModel) {
    const LargeTree design;
    const GrownDesign grown(design.tree, LeafGeneratorModel());
    // One name in three folders: the materials carry the file's name.
    TempFolder folder, again, whole;
    const std::string streamed = Export(ModelFormat::GLB, folder.File("tree.glb"), grown, false);
    EXPECT_TRUE(Export(ModelFormat::GLB, again.File("tree.glb"), grown, false) == streamed);
    std::string error;
    ASSERT_TRUE(WriteModel(ModelFormat::GLB, whole.File("tree.glb"), BuildModel(grown, false),
                           BuiltinModelTextures(), error))
        << error;
    const std::string wholeBytes = ReadFileBytes(whole.File("tree.glb"));

    // The same document and binary chunk; only the JSON chunk is padded to its room.
    const ParsedGlb a = ParseGlb(streamed), b = ParseGlb(wholeBytes);
    ASSERT_TRUE(a.error.empty()) << a.error;
    ASSERT_TRUE(b.error.empty()) << b.error;
    EXPECT_EQ(a.json, b.json);
    EXPECT_TRUE(a.bin == b.bin);
    EXPECT_GT(a.bin.size(), 30u << 20);
    // The binary chunk starts one page in: its header (length, "BIN") ends at 4096.
    EXPECT_EQ(streamed.size(), 4096 + a.bin.size());
    EXPECT_EQ(streamed.substr(4088, 8), wholeBytes.substr(wholeBytes.size() - b.bin.size() - 8, 8));
    EXPECT_EQ(streamed[4087], ' ');
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 1u);  // no temporary file left
}

TEST(ModelExport, ALargeGlbThatCannotBeWrittenOrIsCancelledLeavesThePreviousFile) {
    const LargeTree design;
    const GrownDesign grown(design.tree, LeafGeneratorModel());
    TempFolder folder;
    const std::string path = folder.File("tree.glb");
    grovewright::test::WriteFileBytes(path, "previous");
    {
        // Files above 20 MB cannot be written for the moment: the streamed writes fail part way.
        rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 20 << 20;
        setrlimit(RLIMIT_FSIZE, &small);
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        std::string error;
        const ExportResult result = ExportModel(ModelFormat::GLB, path, builder, false, BuiltinModelTextures(), error);
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(result, ExportResult::Failed);
        EXPECT_NE(error.find("tree.glb"), std::string::npos) << error;
    }
    {
        // Stopped after the first strips have gone to the file.
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        int calls = 0;
        builder.SetProgress([&](double) { return ++calls < 3; });
        std::string error;
        EXPECT_EQ(ExportModel(ModelFormat::GLB, path, builder, false, BuiltinModelTextures(), error),
                  ExportResult::Cancelled);
    }
    EXPECT_TRUE(ReadFileBytes(path) == "previous");
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 1u);
}

TEST(ModelExport, ExportsWithSideFilesAreWrittenWholeOrNotAtAll) {
    const LeafyTree design;
    const GrownDesign grown(design.tree, design.leafPages);
    TempFolder folder;
    // The main file cannot be written (a folder has its name): no side file
    // appears beside it, and the previous set stays as it was.
    ASSERT_EQ(mkdir(folder.File("new.obj").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder.File("new.gltf").c_str(), 0755), 0);
    grovewright::test::WriteFileBytes(folder.File("old.gltf"), "previous gltf");
    grovewright::test::WriteFileBytes(folder.File("old.bin"), "previous bin");
    ASSERT_EQ(mkdir(folder.File("old_leaves.png").c_str(), 0755), 0);  // one side file that cannot be written
    const auto before = grovewright::test::ListFolder(folder.Path());
    for (const auto& [format, name] : {std::pair{ModelFormat::OBJ, "new.obj"}, std::pair{ModelFormat::GLTF, "new.gltf"},
                                       std::pair{ModelFormat::GLTF, "old.gltf"}}) {
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        std::string error;
        EXPECT_EQ(ExportModel(format, folder.File(name), builder, true, BuiltinModelTextures(), error),
                  ExportResult::Failed)
            << name;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        EXPECT_EQ(grovewright::test::ListFolder(folder.Path()), before) << name;
    }
    EXPECT_EQ(ReadFileBytes(folder.File("old.gltf")), "previous gltf");
    EXPECT_EQ(ReadFileBytes(folder.File("old.bin")), "previous bin");
    // A GLB written in one go into a folder that does not exist says so.
    std::string error;
    EXPECT_FALSE(WriteModel(ModelFormat::GLB, folder.File("no/tree.glb"), BuildModel(grown, true),
                            BuiltinModelTextures(), error));
    EXPECT_NE(error.find("no/tree.glb"), std::string::npos) << error;
}

TEST(ModelExport, AGlbBeyondFourGibibytesIsRefusedBeforeAnythingIsWritten) {
    // Arrays that are only reserved address space: nothing is written into them.
    TreeModel model;
    const std::size_t vertices = 140'000'000;  // 32 bytes each: 4.5 GB
    try {
        model.bark.positions.resize(3 * vertices);
        model.bark.normals.resize(3 * vertices);
        model.bark.uvs.resize(2 * vertices);
        model.bark.indices.resize(3);
    } catch (const std::bad_alloc&) {
        GTEST_SKIP() << "no room for 4.5 GB of address space";
    }
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(WriteModel(ModelFormat::GLB, folder.File("huge.glb"), model, BuiltinModelTextures(), error));
    EXPECT_NE(error.find("huge.glb"), std::string::npos) << error;
    EXPECT_NE(error.find(".gltf"), std::string::npos) << error;
    EXPECT_TRUE(grovewright::test::ListFolder(folder.Path()).empty());
}
