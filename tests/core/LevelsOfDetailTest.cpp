// Levels of detail: each gallery species reduced to the planned shares by its
// structure, written as one glTF with the nodes and extension engines read.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "ExportParsers.h"
#include "TestHelpers.h"
#include "generators/BranchTreeModel.h"
#include "generators/ExampleTrees.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "io/ModelFiles.h"
#include "io/TGXMLFileReader.h"
#include "render/ImageDecoders.h"
#include "render/LevelsOfDetail.h"

using namespace grovewright;

namespace {

std::size_t Triangles(const TreeModel& model) {
    return model.bark.TriangleCount() + model.caps.TriangleCount() + model.leaves.TriangleCount();
}

// An example grown, and its leaves' places.
struct GrownExample : test::GrownExample {
    explicit GrownExample(const std::string& file)
        : test::GrownExample(file), places(leafPages.Places(grown->skeleton)) {}
    std::vector<LeafGeneratorModel::Place> places;
};

}  // namespace

TEST(LevelsOfDetail, EverySpeciesHalvesAndFifthsWithFewerLargerLeaves) {
    for (int i = 0; i < kExampleTreeCount; ++i) {
        const ExampleTree& example = ExampleTreeAt(i);
        SCOPED_TRACE(example.name);
        const GrownExample tree(example.fileName);
        // The leaf generator's places match its strips one to one.
        ASSERT_EQ(tree.places.size(), tree.grown->leaves[0].size());
        const LevelsOfDetail levels(tree.grown->skeleton, tree.grown->leaves, tree.grown->view, tree.places, true);
        TreeModel models[LevelsOfDetail::kMeshLevels];
        for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) levels.Build(k, models[k], false);
        const double all = static_cast<double>(Triangles(models[0]));
        EXPECT_NEAR(Triangles(models[1]) / all, 0.5, 0.1);
        EXPECT_NEAR(Triangles(models[2]) / all, 0.2, 0.05);
        // Level 0 is the tree as exported otherwise.
        EXPECT_EQ(levels.PlanOf(0).division, tree.grown->view.Division());
        EXPECT_EQ(levels.PlanOf(0).leafStep, 1);
        // Fewer leaves stand for the others: most of the leaf area, not a fifth of it.
        auto leafArea = [](const MeshPart& leaves) {
            double area = 0;
            for (std::size_t t = 0; t < leaves.indices.size(); t += 3) {
                const float* a = &leaves.positions[3 * leaves.indices[t]];
                const float* b = &leaves.positions[3 * leaves.indices[t + 1]];
                const float* c = &leaves.positions[3 * leaves.indices[t + 2]];
                const Vector3D ab(b[0] - a[0], b[1] - a[1], b[2] - a[2]), ac(c[0] - a[0], c[1] - a[1], c[2] - a[2]);
                area += 0.5 * std::sqrt(std::pow(ab.y * ac.z - ab.z * ac.y, 2) + std::pow(ab.z * ac.x - ab.x * ac.z, 2) +
                                        std::pow(ab.x * ac.y - ab.y * ac.x, 2));
            }
            return area;
        };
        if (!models[0].leaves.Empty()) {
            EXPECT_NEAR(leafArea(models[2].leaves) / leafArea(models[0].leaves), 0.8, 0.3);
            // The larger leaves stay where the leaves were seen: the reduced
            // crowns are no wider than the full one (a spruce's needles grown
            // about their stems made it three quarters wider).
            auto width = [](const MeshPart& leaves) {
                return std::max(leaves.maximum[0] - leaves.minimum[0], leaves.maximum[2] - leaves.minimum[2]);
            };
            for (int k = 1; k < LevelsOfDetail::kMeshLevels; ++k)
                EXPECT_LT(width(models[k].leaves), 1.1f * width(models[0].leaves)) << "level " << k;
        }
        // Every index still names a vertex after the vertex cache reordering.
        for (const TreeModel& model : models)
            for (const MeshPart* part : {&model.bark, &model.caps, &model.leaves})
                for (std::uint32_t index : part->indices) ASSERT_LT(index, part->VertexCount());
    }
}

TEST(LevelsOfDetail, OneGltfNamesTheLevelsForEnginesAndDrawsTheImpostorFromItsAtlas) {
    const GrownExample tree("birch.complex.xml");
    const LevelsOfDetail levels(tree.grown->skeleton, tree.grown->leaves, tree.grown->view, tree.places, true);
    LevelsOfDetailModel model;
    model.levels.resize(LevelsOfDetail::kMeshLevels);
    for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) levels.Build(k, model.levels[k], false);
    const ImpostorBox box = ImpostorBoxOf(model.levels[0]);
    EXPECT_GT(box.radius, 1.0f);
    EXPECT_NEAR(box.height, std::max(model.levels[0].leaves.maximum[1], model.levels[0].bark.maximum[1]), 1e-4f);
    model.impostor = ImpostorCross(box, 8);
    model.impostorImage = "\x89PNG\r\n\x1a\n";  // the writer stores the bytes as they are
    model.coverages = {0.5, 0.25, 0.1, 0.02};
    test::TempFolder folder;
    std::string error;
    // By names: the four levels side by side under "Tree", no extension.
    model.layout = LevelsOfDetailModel::Layout::Names;
    ASSERT_TRUE(WriteLevelsOfDetail(true, folder.File("names.glb"), model, BuiltinModelTextures(), error)) << error;
    const test::ParsedGlb named = test::ParseGlb(test::ReadFileBytes(folder.File("names.glb")));
    ASSERT_EQ(named.error, "");
    const nlohmann::json& namedRoot = named.json["nodes"][named.json["scenes"][0]["nodes"][0].get<int>()];
    ASSERT_EQ(namedRoot["children"].size(), 4u);
    EXPECT_FALSE(named.json.contains("extensionsUsed"));
    EXPECT_EQ(namedRoot["extras"]["screenCoverage"], nlohmann::json({0.5, 0.25, 0.1, 0.02}));

    // MSFT_lod: only the first level in the scene; it names the others, which no node holds.
    model.layout = LevelsOfDetailModel::Layout::MsftLod;
    ASSERT_TRUE(WriteLevelsOfDetail(true, folder.File("lod.glb"), model, BuiltinModelTextures(), error)) << error;
    const test::ParsedGlb glb = test::ParseGlb(test::ReadFileBytes(folder.File("lod.glb")));
    ASSERT_EQ(glb.error, "");
    const nlohmann::json& nodes = glb.json["nodes"];
    ASSERT_EQ(glb.json["scenes"][0]["nodes"].size(), 1u);
    const nlohmann::json& root = nodes[glb.json["scenes"][0]["nodes"][0].get<int>()];
    EXPECT_EQ(root["name"], "Tree");
    EXPECT_EQ(root["extras"], namedRoot["extras"]);
    EXPECT_TRUE(root["extras"]["screenCoverageMeasure"].get<std::string>().find("area") != std::string::npos);
    ASSERT_EQ(root["children"].size(), 1u);
    const nlohmann::json& first = nodes[root["children"][0].get<int>()];
    EXPECT_EQ(first["name"], "Tree_LOD0");
    const nlohmann::json& ids = first["extensions"]["MSFT_lod"]["ids"];
    ASSERT_EQ(ids.size(), 3u);
    for (int k = 1; k < 4; ++k) {
        EXPECT_EQ(nodes[ids[k - 1].get<int>()]["name"], "Tree_LOD" + std::to_string(k));
        for (const nlohmann::json& node : nodes) {
            if (!node.contains("children")) continue;
            for (const nlohmann::json& child : node["children"]) EXPECT_NE(child, ids[k - 1]);
        }
    }
    EXPECT_EQ(first["extras"]["MSFT_screencoverage"], nlohmann::json({0.5, 0.25, 0.1, 0.02}));
    EXPECT_EQ(glb.json["extensionsUsed"], nlohmann::json({"MSFT_lod"}));
    // The levels share their materials; the impostor has its own, cut out by alpha.
    EXPECT_EQ(glb.json["materials"].size(), 4u);
    EXPECT_EQ(glb.json["images"].size(), 4u);
    // The impostor's planes: texture coordinates in the atlas's first and third picture.
    const nlohmann::json& impostor = glb.json["meshes"][nodes[ids[2].get<int>()]["mesh"].get<int>()];
    const std::vector<float> uvs = glb.Floats(impostor["primitives"][0]["attributes"]["TEXCOORD_0"]);
    ASSERT_EQ(uvs.size(), 16u);
    EXPECT_EQ(*std::min_element(uvs.begin(), uvs.begin() + 8), 0.0f);
    EXPECT_EQ(*std::max_element(uvs.begin(), uvs.begin() + 8), 1.0f);
    for (int corner = 4; corner < 8; ++corner) {
        EXPECT_GE(uvs[2 * corner], 0.25f);
        EXPECT_LE(uvs[2 * corner], 0.375f);
    }
}


TEST(LevelsOfDetail, TheImpostorsPicturesOfAHugeTreeComeFromAReducedLevel) {
    // The pictures of a gallery tree show the tree itself; those of a tree above
    // a million triangles show the first level below that.
    auto drawnFrom = [](const SimpleTreeModel& tree) {
        const test::GrownDesign grown(tree, LeafGeneratorModel());
        std::optional<std::size_t> shown;  // the reduced level's triangles; 0: the tree itself
        auto draw = [&](const ImpostorBox&, const TreeModel* reduced, PixelImage& atlas, std::string&) {
            shown = reduced ? Triangles(*reduced) : 0;
            atlas = PixelImage(kImpostorViews * 4, 4, 4);
            return true;
        };
        LevelsOfDetailModel levels;
        std::string error;
        EXPECT_TRUE(MakeLevelsOfDetail(grown.skeleton, grown.leaves, grown.view, LeafGeneratorModel(), false, false,
                                       draw, levels, error))
            << error;
        EXPECT_TRUE(shown.has_value());
        // The triangles of the first level at most kAtlasTriangles large.
        std::size_t firstSmall = 0;
        for (const TreeModel& level : levels.levels)
            if ((firstSmall = Triangles(level)) <= kAtlasTriangles) break;
        return std::pair{shown.value_or(0), firstSmall};
    };
    SimpleTreeModel tree;
    tree.Base().SetIteration(10), tree.Base().SetHeight(300), tree.Base().SetDivision(8);
    EXPECT_EQ(drawnFrom(tree).first, 0u);
    tree.Base().SetIteration(16);  // 2,097,136 triangles: its half is still above a million
    const auto [shown, firstSmall] = drawnFrom(tree);
    EXPECT_EQ(shown, firstSmall);
    EXPECT_GT(shown, 0u);
    EXPECT_LE(shown, kAtlasTriangles);
}

TEST(LevelsOfDetail, APlanForAnyShareKeepsAboutThatShareAndTheLevelsAreSuchPlans) {
    for (const char* file : {"sapling.simple.xml", "oak.regular.xml", "spruce.complex.xml"}) {
        SCOPED_TRACE(file);
        const GrownExample tree(file);
        const LevelsOfDetail levels(tree.grown->skeleton, tree.grown->leaves, tree.grown->view, {}, true);
        TreeModel whole;
        levels.BuildPlan(levels.PlanFor(1.0), whole, false);
        const double all = static_cast<double>(Triangles(whole));
        for (double share : {0.1, 0.3, 0.6, 0.9}) {
            TreeModel model;
            const int tree = levels.BuildPlan(levels.PlanFor(share), model, false, ModelSink::Order::kView);
            EXPECT_EQ(static_cast<std::size_t>(tree), model.bark.TriangleCount() + model.caps.TriangleCount());
            EXPECT_NEAR(Triangles(model) / all, share, 0.06 + 0.15 * share) << share;
        }
        for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) {
            const LevelsOfDetail::Plan level = levels.PlanOf(k), plan = levels.PlanFor(LevelsOfDetail::kShares[k]);
            EXPECT_EQ(level.division, plan.division);
            EXPECT_EQ(level.thinnest, plan.thinnest);
            EXPECT_EQ(level.leafStep, plan.leafStep);
        }
    }
}

TEST(LevelsOfDetail, TheImpostorSwaysWithTheTreeAndItsPicturesHaveNoDarkFringe) {
    const GrownExample tree("birch.complex.xml");
    // Pictures of one green square on black: the atlas as the renderer gives it.
    auto draw = [](const ImpostorBox&, const TreeModel*, PixelImage& atlas, std::string&) {
        atlas = PixelImage(kImpostorViews * 32, 32, 4);
        for (int y = 12; y < 20; ++y)
            for (int x = 12; x < 20; ++x) {
                std::uint8_t* p = atlas.At(y, x);
                p[0] = 40, p[1] = 120, p[2] = 30, p[3] = 255;
            }
        return true;
    };
    LevelsOfDetailModel levels;
    std::string error;
    ASSERT_TRUE(MakeLevelsOfDetail(tree.grown->skeleton, tree.grown->leaves, tree.grown->view, tree.leafPages, true,
                                   true, draw, levels, error))
        << error;
    // The cards' tree weight: 0 at the foot, 1 at the top, as the tree's; nothing else moves them.
    const MeshPart& cards = levels.impostor;
    ASSERT_EQ(cards.wind.size(), cards.VertexCount() * 4);
    for (std::size_t v = 0; v < cards.VertexCount(); ++v) {
        EXPECT_EQ(cards.wind[4 * v], cards.positions[3 * v + 1] > 0 ? 1.0f : 0.0f);
        for (int c = 1; c < 4; ++c) EXPECT_EQ(cards.wind[4 * v + c], 0.0f);
    }

    // The transparent pixels carry the square's colour, so that filtering at its
    // edge blends green with green; alpha cuts the same shape out.
    PixelImage atlas;
    ASSERT_TRUE(DecodePng(levels.impostorImage, atlas, error)) << error;
    ASSERT_EQ(atlas.channels, 4);
    for (int y = 0; y < atlas.height; ++y)
        for (int x = 0; x < atlas.width; ++x) {
            const std::uint8_t* p = atlas.At(y, x);
            const bool square = x >= 12 && x < 20 && y >= 12 && y < 20;
            EXPECT_EQ(p[3], square ? 255 : 0) << x << ", " << y;
            EXPECT_EQ(p[0], 40) << x << ", " << y;
            EXPECT_EQ(p[1], 120) << x << ", " << y;
        }
}
