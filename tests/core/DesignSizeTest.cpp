// The size of a design known before it is grown must be what growing it gives.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "TestHelpers.h"
#include "generators/BranchTreeModel.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/TreeViewParameters.h"

using namespace grovewright;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

// Grows the design and compares everything that was counted in advance.
void ExpectCountsMatchGrowth(const TreeGeneratorModel& tree, const LeafGeneratorModel& leafPages,
                             const std::string& design) {
    SCOPED_TRACE(design);
    const DesignSize size = MeasureDesign(tree, leafPages);
    grovewright::test::GrownDesign grown(tree, leafPages);
    const SkeletonLevels& skeleton = grown.skeleton;
    const LeafStore& leaves = grown.leaves;

    ASSERT_EQ(size.skeleton.perLevel.size(), skeleton.LevelCount());
    // The levels a crown growth adds are counted by their bound.
    const GrowthSetup& growth = tree.Growth();
    const bool crowned = tree.Index() != 0 && growth.CrownPoints() > 0;
    const std::size_t bounded =
        crowned ? skeleton.LevelCount() - static_cast<std::size_t>(growth.GetParameter(GrowthSetup::kCrownLevels))
                : skeleton.LevelCount();
    EXPECT_EQ(size.skeleton.exact, !crowned);
    std::size_t cut = 0, zeroLength = 0;
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level) {
        if (level < bounded) {
            EXPECT_EQ(size.skeleton.perLevel[level], skeleton[level].size()) << "level " << level;
        } else {
            EXPECT_LE(skeleton[level].size(), size.skeleton.perLevel[level]) << "level " << level;
        }
        for (const BranchSegment& segment : skeleton[level]) {
            cut += segment.IsCut();
            zeroLength += segment.Length() == 0.0;
        }
    }
    EXPECT_EQ(size.skeleton.cut, cut);
    MeshBuilder builder(skeleton, leaves, grown.view);
    CountingSink counts;
    const std::size_t treeTriangles = static_cast<std::size_t>(builder.BuildTree(counts, true));
    if (crowned) {
        EXPECT_LE(leaves.Empty() ? 0 : leaves[0].size(), size.leaves.strips);
        EXPECT_LE(treeTriangles, size.treeTriangles);
        EXPECT_LE(static_cast<std::size_t>(builder.LeafTriangles()), size.leaves.Triangles());
        return;
    }
    EXPECT_EQ(size.leaves.strips, leaves.Empty() ? 0 : leaves[0].size());
    EXPECT_EQ(size.leaves.vertices, leaves.Empty() ? 0 : leaves[0].VertexTotal());
    // Exact but for the segments of zero length, which draw nothing.
    EXPECT_EQ(size.treeTriangles, treeTriangles + 2 * static_cast<std::size_t>(tree.Base().Division()) * zeroLength);
    EXPECT_EQ(size.leaves.Triangles(), static_cast<std::size_t>(builder.LeafTriangles()));
}

// An example project loaded into the three generators and the leaf pages.
struct ExampleDesign {
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leafPages;

    void Load(const std::string& file) {
        TGXMLFileReader reader;
        std::string error;
        ASSERT_TRUE(LoadProject(reader, std::string(GROVEWRIGHT_EXAMPLES) + "/" + file, {&simple, &regular, &complex},
                                error, &leafPages))
            << error;
    }
};

int Corner(ParameterRange range, std::mt19937& random) { return random() % 2 ? range.max : range.min; }

}  // namespace

TEST(DesignSize, ExamplesAreCountedExactlyButTheCrownGrowthsLevelsByTheirBound) {
    for (const std::string& file : grovewright::test::ListFolder(GROVEWRIGHT_EXAMPLES)) {
        ExampleDesign design;
        ASSERT_NO_FATAL_FAILURE(design.Load(file));
        for (const TreeGeneratorModel* tree :
             std::initializer_list<const TreeGeneratorModel*>{&design.simple, &design.regular, &design.complex})
            ExpectCountsMatchGrowth(*tree, design.leafPages, file + " " + tree->GetName());
    }
}

TEST(DesignSize, RandomBranchDesignsAreCountedExactly) {
    // Pages over random level ranges with random flags: the parents each page
    // finds, trunk pieces or branches, are what decides the counts.
    std::mt19937 random(5);
    for (int trial = 0; trial < 150; ++trial) {
        const std::unique_ptr<BranchTreeModel> tree = grovewright::test::MakeBranchModel(trial % 2);
        BaseSetup& base = tree->Base();
        base.SetIteration(random() % 7), base.SetExtendTo(random() % 7), base.SetHeight(100 + random() % 300);
        base.SetHeightReduction(50 + random() % 50), base.SetCut(random() % 2), base.SetDivision(3 + random() % 6);
        for (int index = 0; index < 6; ++index) {
            BranchSetup& page = tree->Page(index);
            page.Set(BranchSetup::kAddFrom, random() % 6), page.Set(BranchSetup::kAddTo, random() % 7);
            page.Set(BranchSetup::kHeight, random() % 3 ? 50 : 0);
            for (int f = 0; f < BranchSetup::kFlagCount; ++f)
                page.Set(static_cast<BranchSetup::Flag>(f), static_cast<bool>(random() % 2));
        }
        LeafGeneratorModel leafPages;
        for (int index = 0; index < 2; ++index) {
            LeafSetup& leaf = leafPages.Page(index);
            leaf.SetUseLeaf(random() % 2);
            leaf.Set(LeafSetup::kRelativAddDownTo, random() % 5);
            leaf.Set(LeafSetup::kLeafSplit, Corner(LeafSetup::kParameters[LeafSetup::kLeafSplit].range, random));
            leaf.Set(LeafSetup::kSegmentCount, Corner(LeafSetup::kParameters[LeafSetup::kSegmentCount].range, random));
        }
        ExpectCountsMatchGrowth(*tree, leafPages, tree->GetName() + " trial " + std::to_string(trial));
    }
}

TEST(DesignSize, SimpleTreesAndTheirCuts) {
    SimpleTreeModel tree;
    LeafGeneratorModel noLeaves;
    tree.Base().SetHeight(200), tree.Base().SetHeightReduction(70), tree.Base().SetCut(true);
    for (int iteration : {0, 1, 5, 12}) {
        tree.Base().SetIteration(iteration);
        tree.Custom().SetCut(iteration % 2);
        ExpectCountsMatchGrowth(tree, noLeaves, "Iteration " + std::to_string(iteration));
    }
    // Iteration 20 is counted without being grown.
    tree.Base().SetIteration(20);
    EXPECT_EQ(MeasureDesign(tree, noLeaves).skeleton.Total(), (std::size_t{1} << 21) - 1);
}

TEST(DesignSize, HugeDesignsSaturateAndPrunedOnesAreCountedInBoundedTime) {
    // The oak with 64 laterals on every page: the counts once wrapped around
    // 2^64 (a level smaller than the one below it), and with pruning they
    // were drawn one by one for minutes. (Run without the bound, this test
    // meets its time-out.)
    ExampleDesign oak;
    ASSERT_NO_FATAL_FAILURE(oak.Load("oak.regular.xml"));
    RegularTreeModel& regular = oak.regular;
    const LeafGeneratorModel& leafPages = oak.leafPages;
    regular.Growth().SetParameter(GrowthSetup::kCrownPoints, 0);
    regular.Base().SetIteration(20), regular.Base().SetExtendTo(20);
    for (int index = 0; index < 20; ++index) {
        BranchSetup& page = regular.Page(index);
        page.Set(BranchSetup::kUseBranch, true), page.Set(BranchSetup::kAddFrom, 0), page.Set(BranchSetup::kAddTo, 20);
        page.SetParameter(BranchSetup::kLaterals, 64);
    }
    for (const int pruning : {0, 20, 90}) {
        SCOPED_TRACE("Pruning " + std::to_string(pruning));
        regular.Growth().SetParameter(GrowthSetup::kPruning, pruning);
        const DesignSize size = MeasureDesign(regular, leafPages);
        EXPECT_EQ(size.skeleton.exact, pruning == 0);
        const std::vector<std::size_t>& levels = size.skeleton.branchesPerLevel;
        ASSERT_EQ(levels.size(), 21u);
        // Every page takes every level below it as parents: each level holds
        // more than the one below, until the counts stop at their ceiling.
        for (std::size_t k = 1; k < levels.size(); ++k) {
            EXPECT_LE(levels[k], kCountCeiling);
            EXPECT_TRUE(levels[k] > levels[k - 1] || levels[k] == kCountCeiling) << "level " << k;
        }
        EXPECT_EQ(size.skeleton.Total(), kCountCeiling);
        EXPECT_EQ(size.leaves.Triangles(), kCountCeiling);
        // The sizes made from saturated counts do not wrap either.
        EXPECT_GT(size.memoryBytes, std::size_t{1} << 40);
        EXPECT_GT(size.ExportBytes({true, true, true}), size.ExportBytes({}));
    }
}

TEST(DesignSize, ExportEstimatesAreNearTheRealSize) {
    SimpleTreeModel tree;
    LeafGeneratorModel leafPages;
    tree.Base().SetIteration(8), tree.Base().SetHeight(300), tree.Base().SetHeightReduction(80);
    tree.Base().SetDiameter(30), tree.Base().SetDiameterReduction(70), tree.Base().SetDivision(8);
    leafPages.Page(0).SetUseLeaf(true);
    const DesignSize size = MeasureDesign(tree, leafPages);
    const auto texts = grovewright::test::ExportWithLeaves(grovewright::test::GrownDesign(tree, leafPages));
    EXPECT_NEAR(size.DXFBytes(true) / static_cast<double>(texts.dxf.size()), 1.0, 0.2);
    EXPECT_NEAR(size.DirectXBytes(true) / static_cast<double>(texts.directX.size()), 1.0, 0.2);
}

TEST(DesignSize, SizesThatDifferReadDifferently) {
    EXPECT_EQ(FormatBytes(13'400'000'000), "13 GB");
    EXPECT_EQ(FormatBytes(3'400'000'000), "3.4 GB");
    EXPECT_EQ(FormatBytesApart(13'400'000'000, 13'100'000'000),
              (std::pair<std::string, std::string>{"13.4 GB", "13.1 GB"}));
    EXPECT_EQ(FormatBytesApart(13'040'000'000, 13'000'000'000),
              (std::pair<std::string, std::string>{"13.04 GB", "13.00 GB"}));
    // One unit for both, the larger's.
    EXPECT_EQ(FormatBytesApart(900'000'000, 1'200'000'000), (std::pair<std::string, std::string>{"0.9 GB", "1.2 GB"}));
    EXPECT_EQ(FormatBytesApart(500, 500), (std::pair<std::string, std::string>{"500 bytes", "500 bytes"}));
}

TEST(MemoryBudget, IsHalfOfTheLeastOfMemoryAddressSpaceAndControlGroup) {
    const std::size_t gb = std::size_t{1} << 30;
    EXPECT_EQ(MemoryBudgetWithin(24 * gb, 6 * gb, 2 * gb), gb);
    EXPECT_EQ(MemoryBudgetWithin(24 * gb, 0, 0), 12 * gb);  // no limits: the computer's memory

    // A process under ulimit -v: the design budget follows it. (The sanitizers
    // reserve far more address space than any such limit allows.)
#if !defined(__SANITIZE_ADDRESS__)
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{3 * gb, 3 * gb};
        rlimit now{};
        getrlimit(RLIMIT_AS, &now);
        if (now.rlim_max != RLIM_INFINITY && now.rlim_max < limit.rlim_max) limit = now;
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        _exit(ProcessMemoryBudget() <= limit.rlim_cur / 2 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

TEST(MemoryBudget, ControlGroupLimitsOfBothVersionsAndTheirParentsAreRead) {
    TempFolder root;
    auto write = [&](const std::string& folder, const std::string& file, const std::string& text) {
        ASSERT_EQ(std::system(("mkdir -p '" + root.Path() + folder + "'").c_str()), 0);
        WriteFileBytes(root.Path() + folder + "/" + file, text);
    };
    // Version 2: the group says "max", its parent a number.
    write("/user/app", "memory.max", "max\n");
    write("/user", "memory.max", "3221225472\n");
    EXPECT_EQ(ControlGroupMemoryLimit("0::/user/app\n", root.Path()), 3221225472u);
    // Version 1 beside an empty version 2 line; the unset limit is a huge number.
    write("/memory/box", "memory.limit_in_bytes", "2147483648\n");
    write("/memory", "memory.limit_in_bytes", "9223372036854771712\n");
    EXPECT_EQ(ControlGroupMemoryLimit("4:memory:/box\n0::/\n", root.Path()), 2147483648u);
    EXPECT_EQ(ControlGroupMemoryLimit("4:cpu,memory:/\n", root.Path()), 0u);
    // No group files at all, or a path that tries to leave the root.
    EXPECT_EQ(ControlGroupMemoryLimit("0::/elsewhere\n", root.Path() + "/none"), 0u);
    EXPECT_EQ(ControlGroupMemoryLimit("0::/../../etc\n", root.Path()), 0u);
}
