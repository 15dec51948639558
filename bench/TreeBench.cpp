// Growth, meshing and export of large simple trees (Height 300, HeightReduction
// 70, SpreadAngle 60, TwistAngle 90, Division 8) at Iteration 16 and 20.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "generators/BranchTreeModel.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGDXFFileWriter.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/LevelsOfDetail.h"
#include "render/ModelSink.h"

namespace {

using namespace grovewright;

// A grown tree with the view values its generator pushes.
struct GrownTree {
    explicit GrownTree(int iteration) {
        Configure(model, iteration);
        model.Rebuild(skeleton);
        view.Take(model.Base());
    }
    static void Configure(SimpleTreeModel& tree, int iteration);

    SimpleTreeModel model;
    SkeletonLevels skeleton;
    LeafStore leaves;
    TreeViewParameters view;
};

void GrownTree::Configure(SimpleTreeModel& tree, int iteration) {
    tree.Base().SetIteration(iteration);
    tree.Base().SetHeight(300);
    tree.Base().SetHeightReduction(70);
    tree.Base().SetDivision(8);
    tree.Base().SetDiameter(40);
    tree.Base().SetDiameterReduction(80);
    tree.Custom().SetSpreadAngle(60);
    tree.Custom().SetTwistAngle(90);
}

// Peak resident memory of the whole process so far, in MB.
double PeakMegabytes() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_GrowSimple(benchmark::State& state) {
    SimpleTreeModel tree;
    GrownTree::Configure(tree, static_cast<int>(state.range(0)));
    SkeletonLevels skeleton;
    for (auto _ : state) {
        tree.Rebuild(skeleton);
        benchmark::DoNotOptimize(skeleton.SegmentCount());
    }
    state.counters["segments"] = static_cast<double>(skeleton.SegmentCount());
    state.counters["peakMB"] = PeakMegabytes();
}
BENCHMARK(BM_GrowSimple)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same tree with length and angle variation and gravity, drawn with Bend pieces a branch.
void BM_GrowSimpleVaried(benchmark::State& state) {
    SimpleTreeModel tree;
    GrownTree::Configure(tree, 16);
    GrowthSetup& growth = tree.Growth();
    growth.SetParameter(GrowthSetup::kSeed, 17);
    growth.SetParameter(GrowthSetup::kLengthVariation, 30);
    growth.SetParameter(GrowthSetup::kAngleVariation, 25);
    growth.SetParameter(GrowthSetup::kGravity, -40);
    growth.SetParameter(GrowthSetup::kBend, static_cast<int>(state.range(0)));
    SkeletonLevels skeleton;
    for (auto _ : state) {
        tree.Rebuild(skeleton);
        benchmark::DoNotOptimize(skeleton.SegmentCount());
    }
    state.counters["segments"] = static_cast<double>(skeleton.SegmentCount());
}
BENCHMARK(BM_GrowSimpleVaried)->ArgName("bend")->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_MeshToCountingSink(benchmark::State& state) {
    GrownTree tree(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CountingSink counts;
        MeshBuilder builder(tree.skeleton, tree.leaves, tree.view);
        benchmark::DoNotOptimize(builder.BuildTree(counts, false));
    }
}
BENCHMARK(BM_MeshToCountingSink)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ExportDXF(benchmark::State& state) {
    GrownTree tree(static_cast<int>(state.range(0)));
    const char* tmp = getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : "/tmp") + "/grovewright-bench-tree.dxf";
    TGDXFFileWriter writer;
    for (auto _ : state) {
        writer.SetFileName(path);
        writer.Open();
        MeshBuilder builder(tree.skeleton, tree.leaves, tree.view);
        ExportDXFPass(writer, builder, false);
        if (!writer.Close()) state.SkipWithError(writer.LastError().c_str());
    }
    unlink(path.c_str());
}
BENCHMARK(BM_ExportDXF)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// The model pass alone (arg 0) and the whole GLB export with its textures (arg 1).
void BM_ExportGLB(benchmark::State& state) {
    GrownTree tree(16);
    const char* tmp = getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : "/tmp") + "/grovewright-bench-tree.glb";
    const ModelTextures textures = BuiltinModelTextures();
    for (auto _ : state) {
        MeshBuilder builder(tree.skeleton, tree.leaves, tree.view);
        std::string error;
        if (state.range(0) == 0) {
            TreeModel model;
            ModelSink sink(model);
            benchmark::DoNotOptimize(builder.BuildTree(sink, false));
        } else if (ExportModel(ModelFormat::GLB, path, builder, false, textures, error) != ExportResult::Written) {
            state.SkipWithError(error.c_str());
        }
    }
    unlink(path.c_str());
}
BENCHMARK(BM_ExportGLB)->ArgName("file")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

namespace {

// Five leaf pages of LeafSplit 3 and SegmentCount 10 over the three outermost levels.
void UseFiveLeafPages(grovewright::LeafGeneratorModel& leaves) {
    for (int i = 0; i < 5; ++i) {
        grovewright::LeafSetup& page = leaves.Page(i);
        page.SetUseLeaf(true);
        page.Set(grovewright::LeafSetup::kLeafSplit, 3);
        page.Set(grovewright::LeafSetup::kSegmentCount, 10);
        page.Set(grovewright::LeafSetup::kRelativAddDownTo, 2);
        page.Set(grovewright::LeafSetup::kSplitAngle, 5 * i);
        page.Set(grovewright::LeafSetup::kAddAngle, 30 + 10 * i);
        page.Set(grovewright::LeafSetup::kOriAngle, 72 * i);
    }
}

// Leaves on a simple tree of Iteration 14 (32,767 segments): the five pages above.
void BM_GenerateLeaves(benchmark::State& state) {
    GrownTree tree(14);
    grovewright::LeafGeneratorModel leaves;
    UseFiveLeafPages(leaves);
    // The store lives as long as the window: every slider step after the first
    // generation reuses its buffers.
    if (state.range(0) == 1) leaves.Generate(tree.skeleton, tree.leaves);
    for (auto _ : state) {
        leaves.Generate(tree.skeleton, tree.leaves);
        benchmark::DoNotOptimize(tree.leaves[0].size());
    }
    state.counters["strips"] = static_cast<double>(tree.leaves[0].size());
}
BENCHMARK(BM_GenerateLeaves)->ArgName("reused")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The five pages above, then with every leaf varied (size, angles, colour) and
// three leaves on each shoot: what a leaf triangle costs either way.
void BM_GenerateLeavesPerTriangle(benchmark::State& state) {
    GrownTree tree(14);
    grovewright::LeafGeneratorModel leaves;
    UseFiveLeafPages(leaves);
    if (state.range(0) == 1) {
        for (int i = 0; i < 5; ++i) {
            grovewright::LeafSetup& page = leaves.Page(i);
            page.Set(grovewright::LeafSetup::kShootLeaves, 3);
            page.Set(grovewright::LeafSetup::kArrangement, i % 4);
            page.Set(grovewright::LeafSetup::kSizeVariation, 30);
            page.Set(grovewright::LeafSetup::kAngleVariation, 25);
            page.Set(grovewright::LeafSetup::kLightnessVariation, 30);
            page.Set(grovewright::LeafSetup::kHueVariation, 20);
            page.Set(grovewright::LeafSetup::kAboveGround, 1);
        }
    }
    leaves.Generate(tree.skeleton, tree.leaves, 1);
    const auto triangles = static_cast<double>(tree.leaves[0].VertexTotal() - 2 * tree.leaves[0].size());
    for (auto _ : state) {
        leaves.Generate(tree.skeleton, tree.leaves, 1);
        benchmark::DoNotOptimize(tree.leaves[0].size());
    }
    state.counters["triangles"] = triangles;
    state.counters["ns_per_triangle"] =
        benchmark::Counter(triangles * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GenerateLeavesPerTriangle)->ArgName("varied")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same leaves after a step of page 1's Add Angle: only that page's leaves are written again.
void BM_RegenerateLeafPage(benchmark::State& state) {
    GrownTree tree(14);
    grovewright::LeafGeneratorModel leaves;
    UseFiveLeafPages(leaves);
    leaves.Generate(tree.skeleton, tree.leaves);
    std::vector<std::uint32_t> written;
    int angle = 30;
    for (auto _ : state) {
        angle = angle == 30 ? 31 : 30;
        leaves.Page(0).Set(grovewright::LeafSetup::kAddAngle, angle);
        if (!leaves.RegeneratePage(tree.skeleton, tree.leaves, 0, written)) state.SkipWithError("not in place");
        benchmark::DoNotOptimize(written.data());
    }
    state.counters["strips"] = static_cast<double>(written.size());
}
BENCHMARK(BM_RegenerateLeafPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The three meshes of the levels of detail of the tree and leaves above (long
// leaves, made coarser), with wind weights for arg 1.
void BM_LevelsOfDetail(benchmark::State& state) {
    GrownTree tree(14);
    grovewright::LeafGeneratorModel leaves;
    UseFiveLeafPages(leaves);
    leaves.Generate(tree.skeleton, tree.leaves);
    std::size_t triangles = 0;
    for (auto _ : state) {
        const LevelsOfDetail levels(tree.skeleton, tree.leaves, tree.view, leaves.Places(tree.skeleton), true);
        triangles = 0;
        for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) {
            TreeModel model;
            levels.Build(k, model, state.range(0) == 1);
            triangles += model.bark.TriangleCount() + model.caps.TriangleCount() + model.leaves.TriangleCount();
        }
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}
BENCHMARK(BM_LevelsOfDetail)->ArgName("wind")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

namespace {

using namespace grovewright;

// Rebuild of an example project's tree with its own generator (what every slider
// step on its pages costs).
void BM_RebuildExample(benchmark::State& state, const char* file, bool complexGenerator) {
    TGXMLFileReader reader;
    std::string error;
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    if (!LoadProject(reader, std::string(GROVEWRIGHT_EXAMPLES) + "/" + file, {&simple, &regular, &complex}, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    TreeGeneratorModel& tree = complexGenerator ? static_cast<TreeGeneratorModel&>(complex)
                                                : static_cast<TreeGeneratorModel&>(regular);
    SkeletonLevels skeleton;
    for (auto _ : state) {
        tree.Rebuild(skeleton);
        benchmark::DoNotOptimize(skeleton.SegmentCount());
    }
    state.counters["segments"] = static_cast<double>(skeleton.SegmentCount());
}
BENCHMARK_CAPTURE(BM_RebuildExample, conifer, "conifer.xml", true)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_RebuildExample, broadleaf, "broadleaf-tree.xml", false)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The whole growth of the oak, skeleton and leaves, as a load or an edit on it
// grows it: with its crown grown by competition for space (the example), and
// as it was grown by its pages alone (its eighteen pages and twig leaves).
void BM_GrowOak(benchmark::State& state, const char* path) {
    TGXMLFileReader reader;
    std::string error;
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leafPages;
    if (!LoadProject(reader, path, {&simple, &regular, &complex}, error, &leafPages)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SkeletonLevels skeleton;
    LeafStore leaves;
    const std::uint64_t seed = LeafGeneratorModel::Seed(regular.Growth().Seed(), regular.Index());
    for (auto _ : state) {
        regular.Rebuild(skeleton);
        leafPages.Generate(skeleton, leaves, seed);
        benchmark::DoNotOptimize(leaves.Empty());
    }
    state.counters["segments"] = static_cast<double>(skeleton.SegmentCount());
    state.counters["leaves"] = static_cast<double>(leaves.Empty() ? 0 : leaves[0].size());
}
BENCHMARK_CAPTURE(BM_GrowOak, crown, GROVEWRIGHT_EXAMPLES "/oak.regular.xml")
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_GrowOak, pages, GROVEWRIGHT_PROJECTS "/oak-pages.regular.xml")
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// All twenty pages over every level (each page doubles the tree), grown to iteration.
void SetAllPages(RegularTreeModel& tree, int iteration) {
    tree.Base().SetIteration(iteration);
    tree.Base().SetHeight(300);
    tree.Base().SetDiameter(40);
    tree.Base().SetDiameterReduction(80);
    for (int i = 0; i < BranchTreeModel::kLevelCount; ++i) {
        BranchSetup& page = tree.Page(i);
        page.Set(BranchSetup::kUseBranch, true);
        page.Set(BranchSetup::kAddAngle, 30 + i);
        page.Set(BranchSetup::kOriAngle, 37 * i % 360);
        page.Set(BranchSetup::kRelativAdd, 70);
        page.Set(BranchSetup::kHeightReduction, 80);
        page.Set(BranchSetup::kDiameter, 20);
    }
}

// Worst case: all twenty pages over every level.
void BM_GrowAllPages(benchmark::State& state) {
    RegularTreeModel tree;
    SetAllPages(tree, 20);
    SkeletonLevels skeleton;
    for (auto _ : state) {
        tree.Rebuild(skeleton);
        benchmark::DoNotOptimize(skeleton.SegmentCount());
    }
    state.counters["segments"] = static_cast<double>(skeleton.SegmentCount());
    state.counters["peakMB"] = PeakMegabytes();
}
BENCHMARK(BM_GrowAllPages)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Growth per segment with today's values (Arg 0: every page on every level, Iteration
// 16) against every form value on (Arg 1: two laterals a page spread along the
// parent with a changing angle, pruning, a conical crown pruned to its shape,
// a flare and roots, Iteration 13 for a like number of segments).
void BM_GrowFormsPerSegment(benchmark::State& state) {
    const bool forms = state.range(0) == 1;
    RegularTreeModel tree;
    SetAllPages(tree, forms ? 13 : 16);
    for (int i = 0; forms && i < BranchTreeModel::kLevelCount; ++i) {
        BranchSetup& page = tree.Page(i);
        page.SetParameter(BranchSetup::kLaterals, 2);
        page.SetParameter(BranchSetup::kSpreadTo, 30);
        page.SetParameter(BranchSetup::kAngleChange, -20);
    }
    if (forms) {
        GrowthSetup& growth = tree.Growth();
        growth.SetParameter(GrowthSetup::kPruning, 30);
        growth.SetParameter(GrowthSetup::kCrownShape, GrowthSetup::kConical);
        growth.SetParameter(GrowthSetup::kCrownBase, 20);
        growth.SetParameter(GrowthSetup::kCrownWidth, 80);
        growth.SetParameter(GrowthSetup::kFlareWidth, 80);
        growth.SetParameter(GrowthSetup::kRoots, 9);
    }
    SkeletonLevels skeleton;
    for (auto _ : state) {
        tree.Rebuild(skeleton);
        benchmark::DoNotOptimize(skeleton.SegmentCount());
    }
    const double segments = static_cast<double>(skeleton.SegmentCount());
    state.counters["segments"] = segments;
    state.counters["perSegment"] =
        benchmark::Counter(segments, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GrowFormsPerSegment)->ArgName("forms")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The size of a design too big to grow: Iteration 20, ExtendTo 20, every page
// over every level (22 million segments), with twenty leaf pages.
void BM_MeasureHugeDesign(benchmark::State& state) {
    RegularTreeModel tree;
    tree.Base().SetIteration(20);
    tree.Base().SetExtendTo(20);
    for (int i = 0; i < BranchTreeModel::kLevelCount; ++i) {
        tree.Page(i).Set(BranchSetup::kUseBranch, true);
        tree.Page(i).Set(BranchSetup::kAddFrom, 0);
        tree.Page(i).Set(BranchSetup::kAddTo, 20);
    }
    LeafGeneratorModel leaves;
    for (int i = 0; i < LeafGeneratorModel::kPageCount; ++i) leaves.Page(i).SetUseLeaf(true);
    std::size_t segments = 0;
    for (auto _ : state) {
        const DesignSize size = MeasureDesign(tree, leaves);
        segments = size.skeleton.Total();
        benchmark::DoNotOptimize(size.Triangles());
    }
    state.counters["segments"] = static_cast<double>(segments);
}
BENCHMARK(BM_MeasureHugeDesign)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
