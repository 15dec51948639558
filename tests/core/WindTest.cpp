// Wind weights read back from exported GLB files: where they are zero, where
// they rise, that they repeat for the same design and change no other byte.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "ExportParsers.h"
#include "TestHelpers.h"
#include "generators/BranchTreeModel.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "io/ModelFiles.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/WindAnimation.h"
#include "render/WindWeights.h"

using namespace grovewright;
using grovewright::test::ParsedGlb;

namespace {

// A gallery species grown as the program grows it, with its leaves, and its GLB.
struct Species : test::GrownExample {
    explicit Species(const std::string& file) : GrownExample(file) {}
    // The GLB's bytes, with the wind weights as asked.
    std::string Glb(const test::TempFolder& folder, const WindOutput& wind) const {
        MeshBuilder builder(grown->skeleton, grown->leaves, grown->view);
        std::string error;
        const std::string path = folder.File("tree.glb");
        EXPECT_EQ(ExportModel(ModelFormat::GLB, path, builder, true, BuiltinModelTextures(), error, wind),
                  ExportResult::Written)
            << error;
        return test::ReadFileBytes(path);
    }
};

const nlohmann::json& Primitive(const ParsedGlb& glb, const char* mesh) {
    for (const auto& m : glb.json["meshes"])
        if (m["name"] == mesh) return m["primitives"][0];
    ADD_FAILURE() << "no mesh " << mesh;
    static const nlohmann::json none;
    return none;
}

}  // namespace

TEST(WindWeights, RiseFromTheGroundAndAlongEveryBranchAndRepeatForTheSameDesign) {
    for (const char* file : {"willow.regular.xml", "birch.complex.xml"}) {
        SCOPED_TRACE(file);
        const Species species(file);
        const WindWeights weights(species.grown->skeleton, species.leafPages.Places(species.grown->skeleton));
        test::TempFolder folder;
        const std::string bytes = species.Glb(folder, {&weights, false});
        EXPECT_EQ(species.Glb(folder, {&weights, false}), bytes);
        const ParsedGlb glb = test::ParseGlb(bytes);
        ASSERT_EQ(glb.error, "");

        const nlohmann::json& bark = Primitive(glb, "Tree");
        const std::vector<float> wind = glb.Floats(bark["attributes"]["_WIND"]);
        const std::vector<float> positions = glb.Floats(bark["attributes"]["POSITION"]);
        ASSERT_EQ(wind.size() / 4, positions.size() / 3);
        for (float w : wind) ASSERT_TRUE(std::isfinite(w) && w >= 0 && w <= 1) << w;
        // The trunk's base (the bottom ring of the first strip) does not move at all.
        EXPECT_NEAR(positions[1], 0.0f, 1e-4f);
        EXPECT_NEAR(wind[0], 0.0f, 1e-6f);
        EXPECT_EQ(wind[1], 0.0f);
        // The tree weight follows height, up to the top of the leaves, which sways fully.
        const nlohmann::json& leafPrimitive = Primitive(glb, "Leaves");
        const std::vector<float> leaves = glb.Floats(leafPrimitive["attributes"]["_WIND"]);
        const std::vector<float> leafPositions = glb.Floats(leafPrimitive["attributes"]["POSITION"]);
        std::map<float, float> byHeight;
        for (std::size_t v = 0; v < positions.size() / 3; ++v) byHeight[positions[3 * v + 1]] = wind[4 * v];
        for (std::size_t v = 0; v < leafPositions.size() / 3; ++v) byHeight[leafPositions[3 * v + 1]] = leaves[4 * v];
        float previous = 0;
        for (const auto& [height, tree] : byHeight) {
            EXPECT_GE(tree, previous) << height;
            previous = tree;
        }
        EXPECT_EQ(previous, 1.0f);
        // Each strip is bottom ring, top ring alternately: the branch weight rises from base to tip,
        // and one strip's vertices share their branch's phase.
        const std::size_t strip = 2 * (static_cast<std::size_t>(species.grown->view.Division()) + 1);
        std::size_t rising = 0;
        for (std::size_t first = 0; first < wind.size() / 4; first += strip) {
            const float bottom = wind[4 * first + 1], top = wind[4 * (first + 1) + 1];
            EXPECT_LE(bottom, top);
            rising += top > bottom;
            for (std::size_t v = first; v < first + strip; ++v) EXPECT_EQ(wind[4 * v + 2], wind[4 * first + 2]);
        }
        EXPECT_GT(rising, wind.size() / 4 / strip / 2);  // every strip above the trunk

        // Leaves: flutter 0 where each sits and 1 at its tip; phases differ between branches.
        ASSERT_FALSE(leaves.empty());
        std::map<float, int> phases;
        float leastFlutter = 1, mostFlutter = 0;
        for (std::size_t v = 0; v < leaves.size() / 4; ++v) {
            ASSERT_TRUE(std::isfinite(leaves[4 * v + 3]));
            leastFlutter = std::min(leastFlutter, leaves[4 * v + 3]);
            mostFlutter = std::max(mostFlutter, leaves[4 * v + 3]);
            ++phases[leaves[4 * v + 2]];
            EXPECT_GT(leaves[4 * v + 1], 0.0f);  // no leaf sits on the trunk's base
        }
        EXPECT_EQ(leastFlutter, 0.0f);
        EXPECT_EQ(mostFlutter, 1.0f);
        EXPECT_GT(phases.size(), 20u);
    }
}

TEST(WindWeights, AreOnlyWrittenWhenAskedForAndAsColoursOnlyWithThat) {
    const Species species("shrub.regular.xml");
    test::TempFolder folder;
    const ParsedGlb plain = test::ParseGlb(species.Glb(folder, {}));
    for (const auto& mesh : plain.json["meshes"])
        for (const auto& primitive : mesh["primitives"]) {
            EXPECT_FALSE(primitive["attributes"].contains("_WIND"));
            EXPECT_FALSE(primitive["attributes"].contains("COLOR_0"));
        }
    const WindWeights weights(species.grown->skeleton, species.leafPages.Places(species.grown->skeleton));
    const ParsedGlb coloured = test::ParseGlb(species.Glb(folder, {&weights, true}));
    ASSERT_EQ(coloured.error, "");
    for (const auto& mesh : coloured.json["meshes"])
        for (const auto& primitive : mesh["primitives"])
            EXPECT_EQ(primitive["attributes"]["COLOR_0"], primitive["attributes"]["_WIND"]);
    // The model itself is unchanged: the same positions as without wind.
    EXPECT_EQ(coloured.Floats(Primitive(coloured, "Tree")["attributes"]["POSITION"]),
              plain.Floats(Primitive(plain, "Tree")["attributes"]["POSITION"]));
}

TEST(WindAnimation, MovesTheCrownNotTheFootAndNothingWithoutWind) {
    const Species species("oak.regular.xml");
    const WindAnimation animation(species.grown->skeleton, species.grown->leaves, species.leafPages,
                                  species.grown->view);
    TreeModel calm, blown;
    animation.Pose(1.3, 0.0, calm);
    animation.Pose(1.3, 1.0, blown);
    TreeModel rest;
    ModelSink sink(rest, ModelSink::Order::kView);
    MeshBuilder(species.grown->skeleton, species.grown->leaves, species.grown->view).BuildTree(sink, true);
    EXPECT_EQ(calm.bark.positions, rest.bark.positions);
    EXPECT_EQ(calm.leaves.positions, rest.leaves.positions);
    EXPECT_EQ(blown.bark.indices, rest.bark.indices);
    // The trunk's foot stays; the highest leaf moves, by at most a few percent of the height.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(blown.bark.positions[i], rest.bark.positions[i]);
    std::size_t top = 0;
    for (std::size_t v = 0; v < rest.leaves.VertexCount(); ++v)
        if (rest.leaves.positions[3 * v + 1] > rest.leaves.positions[3 * top + 1]) top = v;
    const float dx = blown.leaves.positions[3 * top] - rest.leaves.positions[3 * top];
    const float dz = blown.leaves.positions[3 * top + 2] - rest.leaves.positions[3 * top + 2];
    const float moved = std::sqrt(dx * dx + dz * dz), height = rest.leaves.positions[3 * top + 1];
    EXPECT_GT(moved, 0.002f * height);
    EXPECT_LT(moved, 0.08f * height);
    // Another moment, another pose.
    TreeModel later;
    animation.Pose(2.9, 1.0, later);
    EXPECT_NE(later.leaves.positions, blown.leaves.positions);
}
