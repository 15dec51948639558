// The example projects a designer starts from: each file names the generator
// that draws it, and that generator grows it within a game asset's budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "generators/ExampleTrees.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

using namespace grovewright;

namespace {

// The examples whose names say their generator ("oak.regular.xml").
std::vector<std::string> SpeciesFiles() {
    std::vector<std::string> species;
    for (const std::string& name : grovewright::test::ListFolder(GROVEWRIGHT_EXAMPLES)) {
        const auto first = name.find('.');
        if (first != std::string::npos && name.find('.', first + 1) != std::string::npos) species.push_back(name);
    }
    std::sort(species.begin(), species.end());
    return species;
}

// The bounds of the leaves alone.
struct LeafBounds : CountingSink {
    void Side(const SegmentRings&) override {}
    void Cap(const Vector3D&, const Vector3D*, const Vector3D&, int) override {}
};

// The menus' numbers of the textures: the classic leaves, then the needles,
// then the painted leaves; the classic barks, then the painted ones.
constexpr int kNeedles = 2, kPaintedBarks = 2;

// The bounds of the wood with the roots left out (they run into the ground).
CountingSink WoodWithoutRoots(grovewright::test::GrownDesign& grown) {
    grown.skeleton.Roots().clear();
    CountingSink wood;
    MeshBuilder(grown.skeleton, grown.leaves, grown.view).BuildTree(wood, false);
    return wood;
}

}  // namespace

TEST(Examples, FileNamesSayTheirGenerator) {
    EXPECT_EQ(GeneratorNamedBy("examples/spruce.complex.xml"), "complex");
    EXPECT_EQ(GeneratorNamedBy("/a/oak.Regular.XML"), "regular");
    EXPECT_EQ(GeneratorNamedBy("sapling.simple.xml"), "simple");
    // Anything else is drawn by the simple generator, as the command-line tool always did.
    for (const char* other : {"conifer.xml", "complex.xml.bak", "tree.complex", "complex", "", ".complex.xml2"})
        EXPECT_EQ(GeneratorNamedBy(other), "simple") << other;
    EXPECT_EQ(GeneratorNamedBy(".complex.xml"), "complex");
}

TEST(Examples, SpeciesGrowWithTheirGeneratorWithinAGameAssetBudget) {
    const std::vector<std::string> species = SpeciesFiles();
    ASSERT_GE(species.size(), 8u);
    for (const std::string& file : species) {
        SCOPED_TRACE(file);
        SimpleTreeModel simple;
        RegularTreeModel regular;
        ComplexTreeModel complex;
        LeafGeneratorModel leafPages;
        TGXMLFileReader reader;
        std::string error, path = std::string(GROVEWRIGHT_EXAMPLES) + "/" + file;
        std::vector<std::string> kept;
        ASSERT_TRUE(LoadProject(reader, path, {&simple, &regular, &complex}, error, &leafPages, &kept)) << error;
        EXPECT_TRUE(kept.empty());
        const std::string generator = GeneratorNamedBy(file);
        const TreeGeneratorModel& tree = generator == "regular"   ? static_cast<const TreeGeneratorModel&>(regular)
                                         : generator == "complex" ? static_cast<const TreeGeneratorModel&>(complex)
                                                                  : simple;
        EXPECT_EQ(tree.Base().Division(), 8);

        grovewright::test::GrownDesign grown(tree, leafPages);
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        CountingSink counts;
        const int treeTriangles = builder.BuildTree(counts, true);
        EXPECT_GT(treeTriangles, 0);
        EXPECT_GT(builder.LeafTriangles(), 0);
        EXPECT_LT(treeTriangles + builder.LeafTriangles(), 100'000);
        // Standing on the ground, from a shrub to a tree in its true size (up to 20 m): only
        // roots go into it, the rest of the wood stands on it.
        ASSERT_TRUE(counts.hasPoints);
        EXPECT_GT(counts.minimum.y, -0.5);
        EXPECT_GT(counts.maximum.y, 2.0);
        EXPECT_LT(counts.maximum.y, 20.0);
        EXPECT_NEAR(WoodWithoutRoots(grown).minimum.y, 0.0, 0.05);
    }
}

TEST(Examples, EverySeedGrowsAnotherStructureOnTheGroundWithinTheBudget) {
    for (const std::string& file : SpeciesFiles()) {
        SCOPED_TRACE(file);
        grovewright::test::GrownExample example(file);
        std::set<std::size_t> branchCounts;
        for (int seed = 0; seed <= 50; ++seed) {
            SCOPED_TRACE(seed);
            ASSERT_TRUE(example.tree->Growth().SetParameter(GrowthSetup::kSeed, seed));
            const DesignSize size = MeasureDesign(*example.tree, example.leafPages);
            branchCounts.insert(std::accumulate(size.skeleton.branchesPerLevel.begin(),
                                                size.skeleton.branchesPerLevel.end(), std::size_t{0}));
            grovewright::test::GrownDesign grown(*example.tree, example.leafPages);
            MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
            CountingSink wood;
            const int woodTriangles = builder.BuildTree(wood, false);
            EXPECT_LT(woodTriangles + builder.LeafTriangles(), 100'000);
            LeafBounds leaves;
            builder.BuildTree(leaves, true);
            ASSERT_TRUE(leaves.hasPoints);
            EXPECT_GE(leaves.minimum.y, 0.0);
            // The foot's ring may lean into the grass by a few centimetres; nothing but roots goes below.
            EXPECT_GT(WoodWithoutRoots(grown).minimum.y, -0.05);
        }
        // Pruning leaves out other branches for other seeds: not clones that differ in angles only.
        EXPECT_GE(branchCounts.size(), 3u);
    }
}

TEST(Examples, TheBuiltInGalleryIsTheExampleFilesAndShowsTheirGenerators) {
    const std::vector<std::string> files = SpeciesFiles();
    ASSERT_EQ(files.size(), static_cast<std::size_t>(kExampleTreeCount));
    const char* const generators[] = {"simple", "regular", "complex"};
    for (int i = 0; i < kExampleTreeCount; ++i) {
        const ExampleTree& example = ExampleTreeAt(i);
        SCOPED_TRACE(example.fileName);
        EXPECT_EQ(std::string(example.fileName).rfind(example.name, 0), 0u);
        EXPECT_TRUE(example.project ==
                    grovewright::test::ReadFileBytes(std::string(GROVEWRIGHT_EXAMPLES) + "/" + example.fileName));
        // The file shows the generator its name says (the window opens that tab).
        TGXMLFileReader reader;
        SimpleTreeModel simple;
        RegularTreeModel regular;
        ComplexTreeModel complex;
        std::string error;
        DesignViewValues view;
        ASSERT_TRUE(LoadProject(reader, std::string(GROVEWRIGHT_EXAMPLES) + "/" + example.fileName,
                                {&simple, &regular, &complex}, error, nullptr, nullptr, &view));
        EXPECT_EQ(GeneratorNamedBy(example.fileName), generators[std::max(view.shownGenerator, 0)]);
        // The file names textures that suit a species: needles or painted leaves, never the
        // classic flat ones, and a painted bark.
        EXPECT_GE(view.textures.builtIn[TextureChoice::kLeaves], kNeedles);
        EXPECT_GE(view.textures.builtIn[TextureChoice::kBark], kPaintedBarks);
    }
}
