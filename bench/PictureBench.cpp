// The command-line billboard as a user runs it: the whole process (start-up,
// loading and growing the broadleaf example, the off-screen context, drawing on
// the software renderer, writing a 1024 x 1024 TGA).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/PaintedTextures.h"

namespace {

void BM_CommandLineBillboard1024(benchmark::State& state) {
    const std::string output = "/tmp/grovewright-bench-billboard-" + std::to_string(getpid()) + ".tga";
    const std::string command = std::string(GROVEWRIGHT_CLI) + " billboard " GROVEWRIGHT_EXAMPLES
                                "/broadleaf-tree.xml --generator regular --leaves --size 1024x1024 -o " + output +
                                " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the billboard command failed");
    std::remove(output.c_str());
}
BENCHMARK(BM_CommandLineBillboard1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// Painting every built-in leaf, twig, needle spray, bark and normal map once,
// on all processors, as the first picture or export that needs them does.
void BM_PaintAllTextures(benchmark::State& state) {
    namespace Painted = grovewright::PaintedTextures;
    for (auto _ : state) {
        std::vector<grovewright::PixelImage> leaves(Painted::kLeafCount);
        std::vector<Painted::PaintedBark> barks(Painted::kBarkCount);
        Painted::PaintInParallel([&](int i) {
            if (i < Painted::kLeafCount)
                leaves[i] = Painted::PaintLeaf(i);
            else
                barks[i - Painted::kLeafCount] = Painted::PaintBark(i - Painted::kLeafCount);
        });
        benchmark::DoNotOptimize(leaves.data());
    }
}
BENCHMARK(BM_PaintAllTextures)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
