// Designs that use no growth value (the examples as they were before growth
// values existed, kept in fixtures/designs, and a sweep of random designs) are
// exported byte for byte as before. The digests in fixtures/export-digests.txt
// were written by the build that had no growth values (those of the glTF and
// OBJ files again once their materials and images took the file's name);
// GROVEWRIGHT_WRITE_EXPORT_DIGESTS=path writes this build's digests there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "io/ModelFiles.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

using namespace grovewright;

namespace {

using grovewright::test::Digest;

struct Designs {
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leaves;
    TreeGeneratorModel& Generator(int g) {
        if (g == 1) return regular;
        if (g == 2) return complex;
        return simple;
    }
};

// "name.format digest" for every export of the grown design, with leaves.
void AddDigests(const std::string& name, const TreeGeneratorModel& tree, const LeafGeneratorModel& leafPages,
                std::map<std::string, std::string>& digests) {
    const grovewright::test::GrownDesign grown(tree, leafPages);
    const auto texts = grovewright::test::ExportWithLeaves(grown);
    digests[name + ".x"] = Digest(texts.directX);
    digests[name + ".dxf"] = Digest(texts.dxf);
    const grovewright::test::TempFolder folder;
    const ModelTextures textures = BuiltinModelTextures();
    for (const auto& [format, ending] : {std::pair{ModelFormat::GLB, ".glb"}, std::pair{ModelFormat::GLTF, ".gltf"},
                                         std::pair{ModelFormat::OBJ, ".obj"}}) {
        MeshBuilder builder(grown.skeleton, grown.leaves, grown.view);
        std::string error;
        ASSERT_EQ(ExportModel(format, folder.File(std::string("tree") + ending), builder, true, textures, error),
                  ExportResult::Written)
            << error;
    }
    // The model files and every file written beside them (buffers, textures, material).
    for (const std::string& file : grovewright::test::ListFolder(folder.Path()))
        digests[name + "/" + file] = Digest(grovewright::test::ReadFileBytes(folder.File(file)));
}

// A value anywhere in the parameter's range.
int Anywhere(const Parameter& parameter, std::mt19937& random) {
    const unsigned span = static_cast<unsigned>(parameter.range.max - parameter.range.min) + 1;
    return parameter.range.min + static_cast<int>(random() % span);
}

// Random values in every record of generator g and the leaf pages, kept small
// enough to export quickly.
void RandomDesign(Designs& designs, int g, std::mt19937& random) {
    TreeGeneratorModel& tree = designs.Generator(g);
    do {
        tree.Reset();
        designs.leaves.Reset();
        for (int i = 0; i < BaseSetup::kCount; ++i)
            tree.Base().SetParameter(i, Anywhere(BaseSetup::kParameters[i], random));
        tree.Base().SetIteration(static_cast<int>(random() % (g == 0 ? 8 : 6)));
        tree.Base().SetHeight(50 + static_cast<int>(random() % 400));
        if (g == 0) {
            for (int i = 0; i < SimpleSetup::kCount; ++i)
                designs.simple.Custom().SetParameter(i, Anywhere(SimpleSetup::kParameters[i], random));
        } else {
            auto& branches = static_cast<BranchTreeModel&>(tree);
            for (int level = 0; level < 6; ++level)
                for (int i = 0; i < BranchSetup::kFileCount; ++i)
                    branches.Page(level).SetParameter(i, Anywhere(BranchSetup::kParameters[i], random));
        }
        for (int page = 0; page < 2; ++page)
            for (int i = 0; i < LeafSetup::kFileCount; ++i)
                designs.leaves.Page(page).SetParameter(i, Anywhere(LeafSetup::kParameters[i], random));
    } while (MeasureDesign(tree, designs.leaves).Triangles() > 60000);
}

std::map<std::string, std::string> CurrentDigests() {
    std::map<std::string, std::string> digests;
    const std::string folder = GROVEWRIGHT_FIXTURES "/designs";
    std::vector<std::string> examples = grovewright::test::ListFolder(folder);
    std::sort(examples.begin(), examples.end());
    for (const std::string& file : examples) {
        Designs designs;
        TGXMLFileReader reader;
        std::string error;
        const std::string path = folder + "/" + file;
        EXPECT_TRUE(LoadProject(reader, path, {&designs.simple, &designs.regular, &designs.complex}, error,
                                &designs.leaves))
            << error;
        const std::string generator = GeneratorNamedBy(file);
        const int g = generator == "regular" ? 1 : generator == "complex" ? 2 : 0;
        AddDigests(file, designs.Generator(g), designs.leaves, digests);
    }
    std::mt19937 random(2026);
    for (int design = 0; design < 12; ++design) {
        Designs designs;
        const int g = design % 3;
        RandomDesign(designs, g, random);
        AddDigests("random" + std::to_string(design), designs.Generator(g), designs.leaves, digests);
    }
    return digests;
}

}  // namespace

TEST(UnchangedExports, DesignsWithoutGrowthValuesWriteTheBytesTheyAlwaysWrote) {
    const std::map<std::string, std::string> digests = CurrentDigests();
    if (const char* out = std::getenv("GROVEWRIGHT_WRITE_EXPORT_DIGESTS")) {
        std::ofstream file(out);
        for (const auto& [name, digest] : digests) file << name << ' ' << digest << '\n';
        GTEST_SKIP() << "digests written to " << out;
    }
    std::map<std::string, std::string> expected;
    std::istringstream fixture(grovewright::test::ReadFileBytes(GROVEWRIGHT_FIXTURES "/export-digests.txt"));
    for (std::string name, digest; fixture >> name >> digest;) expected[name] = digest;
    ASSERT_GE(expected.size(), 13u * 7);
    for (const auto& [name, digest] : expected) {
        const auto found = digests.find(name);
        ASSERT_NE(found, digests.end()) << name << " was not written";
        EXPECT_EQ(found->second, digest) << name;
    }
    EXPECT_EQ(digests.size(), expected.size());
}

TEST(UnchangedExports, ProductsAreRoundedBeforeTheyAreAdded) {
    // A processor that fuses a*b+c (FMA) without rounding a*b gives 2^-24 here;
    // the exports' bytes would then depend on the machine they were made for.
    volatile float inputs[2] = {1 + 1 / 4096.0f, -(1 + 1 / 2048.0f)};
    const float a = inputs[0], c = inputs[1];
    EXPECT_EQ(a * a + c, 0.0f);
}
